#include <engine/rendershell.h>

#include "standin.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <limits>

using Calls = std::vector<std::string>;

const std::string kClear = "IDirect3DDevice9::Clear(0, null, 0x1, 0xff0000ff, 1, 0)";
const std::string kBeginScene = "IDirect3DDevice9::BeginScene";
const std::string kPresent = "IDirect3DDevice9::Present(null, null, null, null)";
const std::string kReleaseDevice = "IDirect3DDevice9::Release -> 0";
const std::string kReleaseDirect3D = "IDirect3D9::Release -> 0";

class RenderShellTest : public ::testing::Test {
protected:
    void SetUp() override { standin::reset(); }
    void TearDown() override { // nothing leaked, nothing released twice
        cleanup();
        EXPECT_EQ(standin::liveObjects(), 0);
        EXPECT_EQ(standin::overReleases(), 0);
    }

    HWND window = reinterpret_cast<HWND>(std::uintptr_t{0x1234});
};

TEST_F(RenderShellTest, SetupCreatesAWindowedDeviceOnAnySuccessCodeReleasingAnEarlierOne) {
    standin::setCreateDeviceResult(1); // a success code other than S_OK
    EXPECT_EQ(setupDevice(window), S_OK);
    ASSERT_EQ(standin::calls().size(), 2u);
    EXPECT_EQ(standin::calls()[1].rfind("IDirect3D9::CreateDevice(0, 1, 0x1234, 0x20, ", 0), 0u);
    // Windowed, discarding, in the display's format; every other parameter zero.
    D3DPRESENT_PARAMETERS expected;
    std::memset(&expected, 0, sizeof expected);
    expected.Windowed = TRUE;
    expected.SwapEffect = D3DSWAPEFFECT_DISCARD;
    EXPECT_EQ(std::memcmp(&standin::lastPresentParameters(), &expected, sizeof expected), 0);

    standin::clearCalls();
    ASSERT_EQ(setupDevice(window), S_OK);
    ASSERT_EQ(standin::calls().size(), 4u);
    EXPECT_EQ(Calls(standin::calls().begin(), standin::calls().begin() + 3),
              (Calls{kReleaseDevice, kReleaseDirect3D, "Direct3DCreate9(32)"}));
}

TEST_F(RenderShellTest, SetupReportsEveryFailureAsEFailAndRendersNothingWithoutADevice) {
    standin::failDirect3DCreate9();
    EXPECT_EQ(setupDevice(window), E_FAIL);
    EXPECT_EQ(standin::calls(), Calls{"Direct3DCreate9(32)"});
    for (const HRESULT failure : {E_FAIL, D3DERR_INVALIDCALL, static_cast<HRESULT>(0x8007000Eu)}) {
        standin::reset();
        standin::setCreateDeviceResult(failure);
        EXPECT_EQ(setupDevice(window), E_FAIL) << failure;
        standin::clearCalls();
        renderFrame();
        cleanup();
        EXPECT_EQ(standin::calls(), Calls{kReleaseDirect3D});
    }
}

// Called through a WNDPROC, the way the platform calls it.
TEST_F(RenderShellTest, WindowProcedurePaintsOpaqueBluePassesOtherMessagesOnAndDestroyEndsAll) {
    const WNDPROC procedure = windowProc;
    EXPECT_EQ(procedure(window, WM_PAINT, 0, 0), 0);
    EXPECT_EQ(standin::calls(), Calls{"ValidateRect(0x1234, null)"});
    ASSERT_EQ(setupDevice(window), S_OK);
    standin::clearCalls();
    EXPECT_EQ(procedure(window, WM_PAINT, 0, 0), 0);
    EXPECT_EQ(standin::calls(), (Calls{kClear, kBeginScene, "IDirect3DDevice9::EndScene", kPresent,
                                       "ValidateRect(0x1234, null)"}));
    const std::vector<D3DCOLOR>& pixels = standin::frontBuffer();
    EXPECT_EQ(std::count(pixels.begin(), pixels.end(), D3DCOLOR{0xFF0000FF}),
              std::ptrdiff_t{standin::kBackBufferWidth} * standin::kBackBufferHeight);
    // A scene that cannot begin is not ended, but the frame is still presented.
    standin::setBeginSceneResult(D3DERR_INVALIDCALL);
    standin::clearCalls();
    renderFrame();
    EXPECT_EQ(standin::calls(), (Calls{kClear, kBeginScene, kPresent}));
    // Other messages pass to the default procedure unchanged, and back.
    const WPARAM wide = std::numeric_limits<WPARAM>::max();
    const LPARAM low = std::numeric_limits<LPARAM>::min();
    for (const UINT message : {0u, 1u, 3u, 14u, 16u, 0x0201u}) {
        standin::clearCalls();
        standin::setDefWindowProcResult(-77 - static_cast<LRESULT>(message));
        EXPECT_EQ(procedure(window, message, wide, low), -77 - static_cast<LRESULT>(message));
        EXPECT_EQ(standin::calls(),
                  Calls{"DefWindowProcA(0x1234, " + std::to_string(message) + ", " +
                        std::to_string(wide) + ", " + std::to_string(low) + ")"});
    }
    // Only destroying releases the device, before anything else, and then posts quit.
    standin::clearCalls();
    EXPECT_EQ(procedure(window, WM_DESTROY, 0, 0), 0);
    EXPECT_EQ(standin::calls(), (Calls{kReleaseDevice, kReleaseDirect3D, "PostQuitMessage(0)"}));
}
