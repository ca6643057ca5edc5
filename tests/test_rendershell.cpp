#include <engine/rendershell.h>

#include "capture.h"
#include "standin.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

namespace {

using Calls = std::vector<std::string>;

constexpr D3DCOLOR kOpaqueBlue = 0xFF0000FF;
constexpr HRESULT kInvalidCall = static_cast<HRESULT>(0x8876086Cu);
constexpr HRESULT kOutOfMemory = static_cast<HRESULT>(0x8007000Eu);

const std::string kClear = "IDirect3DDevice9::Clear(0, null, 0x1, 0xff0000ff, 1, 0)";
const std::string kBeginScene = "IDirect3DDevice9::BeginScene";
const std::string kEndScene = "IDirect3DDevice9::EndScene";
const std::string kPresent = "IDirect3DDevice9::Present(null, null, null, null)";
const std::string kReleaseDevice = "IDirect3DDevice9::Release -> 0";
const std::string kReleaseDirect3D = "IDirect3D9::Release -> 0";

bool allPixelsAre(D3DCOLOR colour) {
    const std::vector<D3DCOLOR>& pixels = standin::frontBuffer();
    return pixels.size() == std::size_t{standin::kBackBufferWidth} * standin::kBackBufferHeight &&
           std::all_of(pixels.begin(), pixels.end(), [colour](D3DCOLOR p) { return p == colour; });
}

class RenderShellTest : public ::testing::Test {
protected:
    void SetUp() override {
        standin::reset();
        g_d3d = nullptr;
        g_device = nullptr;
    }
    void TearDown() override { standin::reset(); }

    HWND window = reinterpret_cast<HWND>(std::uintptr_t{0x1234});
    const std::string windowText = "0x1234";
    // Called the way the platform calls it.
    WNDPROC procedure = windowProc;

    void expectNothingHeld() {
        EXPECT_EQ(g_d3d, nullptr);
        EXPECT_EQ(g_device, nullptr);
        EXPECT_EQ(standin::liveObjects(), 0);
        EXPECT_EQ(standin::overReleases(), 0);
    }
};

} // namespace

TEST_F(RenderShellTest, SetupCreatesAWindowedDeviceForTheWindowOnAnySuccessCode) {
    const HRESULT falseButSucceeded = 1;
    standin::setCreateDeviceResult(falseButSucceeded);
    EXPECT_EQ(setupDevice(window), S_OK);
    ASSERT_NE(g_d3d, nullptr);
    ASSERT_NE(g_device, nullptr);
    ASSERT_EQ(standin::calls().size(), 2u);
    EXPECT_EQ(standin::calls()[0], "Direct3DCreate9(32)");
    const std::string created = standin::calls()[1];
    EXPECT_EQ(created.rfind("IDirect3D9::CreateDevice(0, 1, " + windowText + ", 0x20, ", 0), 0u);
    const std::string intoDevice = ", " + addressText(&g_device) + ")";
    EXPECT_EQ(created.substr(created.size() - intoDevice.size()), intoDevice);

    const D3DPRESENT_PARAMETERS& p = standin::lastPresentParameters();
    EXPECT_EQ(p.Windowed, TRUE);
    EXPECT_EQ(p.SwapEffect, D3DSWAPEFFECT_DISCARD);
    EXPECT_EQ(p.BackBufferFormat, D3DFMT_UNKNOWN);
    const std::vector<std::uint64_t> others = {p.BackBufferWidth,
                                               p.BackBufferHeight,
                                               p.BackBufferCount,
                                               static_cast<std::uint64_t>(p.MultiSampleType),
                                               p.MultiSampleQuality,
                                               reinterpret_cast<std::uintptr_t>(p.hDeviceWindow),
                                               static_cast<std::uint64_t>(p.EnableAutoDepthStencil),
                                               static_cast<std::uint64_t>(p.AutoDepthStencilFormat),
                                               p.Flags,
                                               p.FullScreen_RefreshRateInHz,
                                               p.PresentationInterval};
    for (std::size_t i = 0; i < others.size(); ++i) {
        EXPECT_EQ(others[i], 0u) << "field " << i;
    }
    EXPECT_EQ(standin::liveObjects(), 2);
}

TEST_F(RenderShellTest, SetupReportsEveryFailureAsEFail) {
    standin::failDirect3DCreate9();
    EXPECT_EQ(setupDevice(window), E_FAIL);
    EXPECT_EQ(standin::calls(), Calls{"Direct3DCreate9(32)"});
    cleanup();
    expectNothingHeld();

    for (const HRESULT failure : {E_FAIL, kInvalidCall, kOutOfMemory}) {
        standin::reset();
        standin::setCreateDeviceResult(failure);
        EXPECT_EQ(setupDevice(window), E_FAIL) << failure;
        EXPECT_NE(g_d3d, nullptr);
        EXPECT_EQ(g_device, nullptr);
        EXPECT_EQ(standin::liveObjects(), 1);

        standin::clearCalls();
        renderFrame();
        EXPECT_TRUE(standin::calls().empty());
        cleanup();
        EXPECT_EQ(standin::calls(), Calls{kReleaseDirect3D});
        expectNothingHeld();
    }
}

TEST_F(RenderShellTest, SecondSetupReleasesWhatTheFirstCreated) {
    ASSERT_EQ(setupDevice(window), S_OK);
    standin::clearCalls();
    ASSERT_EQ(setupDevice(window), S_OK);
    ASSERT_EQ(standin::calls().size(), 4u);
    EXPECT_EQ(standin::calls()[0], kReleaseDevice);
    EXPECT_EQ(standin::calls()[1], kReleaseDirect3D);
    EXPECT_EQ(standin::calls()[2], "Direct3DCreate9(32)");
    EXPECT_EQ(standin::liveObjects(), 2);

    standin::failDirect3DCreate9();
    EXPECT_EQ(setupDevice(window), E_FAIL);
    expectNothingHeld();
}

TEST_F(RenderShellTest, PaintBeforeSetupRendersNothingButValidates) {
    EXPECT_EQ(procedure(window, WM_PAINT, 0, 0), 0);
    EXPECT_EQ(standin::calls(), Calls{"ValidateRect(" + windowText + ", null)"});
    EXPECT_TRUE(allPixelsAre(0));
}

TEST_F(RenderShellTest, PaintClearsEveryPixelToOpaqueBlueAndPresents) {
    ASSERT_EQ(setupDevice(window), S_OK);
    standin::clearCalls();
    EXPECT_EQ(procedure(window, WM_PAINT, 0, 0), 0);
    EXPECT_EQ(standin::calls(), (Calls{kClear, kBeginScene, kEndScene, kPresent,
                                       "ValidateRect(" + windowText + ", null)"}));
    EXPECT_TRUE(allPixelsAre(kOpaqueBlue));
}

TEST_F(RenderShellTest, FailedSceneSkipsEndSceneButStillPresents) {
    ASSERT_EQ(setupDevice(window), S_OK);
    standin::setBeginSceneResult(kInvalidCall);
    standin::clearCalls();
    renderFrame();
    EXPECT_EQ(standin::calls(), (Calls{kClear, kBeginScene, kPresent}));
    EXPECT_TRUE(allPixelsAre(kOpaqueBlue));
}

TEST_F(RenderShellTest, DestroyReleasesTheDeviceFirstThenPostsQuit) {
    ASSERT_EQ(setupDevice(window), S_OK);
    standin::clearCalls();
    EXPECT_EQ(procedure(window, WM_DESTROY, 0, 0), 0);
    EXPECT_EQ(standin::calls(), (Calls{kReleaseDevice, kReleaseDirect3D, "PostQuitMessage(0)"}));
    expectNothingHeld();

    standin::clearCalls();
    cleanup();
    renderFrame();
    EXPECT_TRUE(standin::calls().empty());
    EXPECT_EQ(standin::overReleases(), 0);
}

TEST_F(RenderShellTest, OtherMessagesPassToTheDefaultProcedureUnchanged) {
    ASSERT_EQ(setupDevice(window), S_OK);
    const WPARAM wide = std::numeric_limits<WPARAM>::max();
    const LPARAM low = std::numeric_limits<LPARAM>::min();
    for (const UINT message : {0u, 1u, 3u, 14u, 16u, 0x0201u}) {
        standin::clearCalls();
        standin::setDefWindowProcResult(-77 - static_cast<LRESULT>(message));
        EXPECT_EQ(procedure(window, message, wide, low), -77 - static_cast<LRESULT>(message));
        EXPECT_EQ(standin::calls(),
                  Calls{"DefWindowProcA(" + windowText + ", " + std::to_string(message) + ", " +
                        std::to_string(wide) + ", " + std::to_string(low) + ")"});
    }
    EXPECT_NE(g_device, nullptr);
}
