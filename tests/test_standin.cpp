// The stand-in's Clear over lists of rectangles: clipped to the back buffer as Direct3D 9
// clips them, and refused where Direct3D 9 refuses the call.
#include <engine/rendershell.h>

#include "standin.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <limits>
#include <vector>

namespace {

constexpr D3DCOLOR kBlack = 0xFF000000;
constexpr D3DCOLOR kRed = 0xFFFF0000;

class StandinClearTest : public ::testing::Test {
protected:
    void SetUp() override {
        standin::reset();
        standin::setClientArea(8, 4);
        ASSERT_EQ(setupDevice(nullptr), S_OK);
        ASSERT_EQ(g_device->Clear(0, nullptr, D3DCLEAR_TARGET, kBlack, 1.0f, 0), S_OK);
    }
    void TearDown() override {
        cleanup();
        standin::reset();
    }

    // The picture after Present, one character a pixel: '.' black, 'R' red, '?' other.
    std::vector<std::string> picture() {
        g_device->Present(nullptr, nullptr, nullptr, nullptr);
        const std::vector<D3DCOLOR>& pixels = standin::frontBuffer();
        std::vector<std::string> rows(standin::backBufferHeight());
        for (std::size_t i = 0; i < pixels.size(); ++i) {
            const char c = pixels[i] == kBlack ? '.' : pixels[i] == kRed ? 'R' : '?';
            rows[i / standin::backBufferWidth()] += c;
        }
        return rows;
    }
    HRESULT clear(const std::vector<D3DRECT>& rects) {
        return g_device->Clear(static_cast<DWORD>(rects.size()), rects.data(), D3DCLEAR_TARGET,
                               kRed, 1.0f, 0);
    }
};

using Rows = std::vector<std::string>;

} // namespace

TEST(StandinClientArea, ADeviceTakesTheClientAreaAsDirect3D9Does) {
    standin::reset();
    EXPECT_EQ(standin::backBufferWidth(), standin::kBackBufferWidth);
    EXPECT_EQ(standin::backBufferHeight(), standin::kBackBufferHeight);
    standin::setClientArea(512, 512);
    ASSERT_EQ(setupDevice(nullptr), S_OK);
    g_device->Clear(0, nullptr, D3DCLEAR_TARGET, kRed, 1.0f, 0);
    g_device->Present(nullptr, nullptr, nullptr, nullptr);
    EXPECT_EQ(standin::frontBuffer().size(), 512U * 512U);
    cleanup();
    standin::reset();
    EXPECT_EQ(standin::frontBuffer().size(),
              std::size_t{standin::kBackBufferWidth} * standin::kBackBufferHeight);
}

TEST_F(StandinClearTest, ClearsEachRectangleHalfOpen) {
    ASSERT_EQ(clear({{1, 0, 3, 1}, {5, 2, 6, 4}}), S_OK);
    EXPECT_EQ(picture(), (Rows{".RR.....", "........", ".....R..", ".....R.."}));
}

TEST_F(StandinClearTest, ClipsRectanglesToTheBackBufferOnEverySide) {
    ASSERT_EQ(clear({{-1, -1, 1, 1},
                     {7, 3, 9, 5},
                     {-5, 2, -1, 3},
                     {3, 1, 4, std::numeric_limits<LONG>::max()},
                     {std::numeric_limits<LONG>::min(), std::numeric_limits<LONG>::min(),
                      std::numeric_limits<LONG>::min() + 1, 1}}),
              S_OK);
    EXPECT_EQ(picture(), (Rows{"R.......", "...R....", "...R....", "...R...R"}));
}

TEST_F(StandinClearTest, AnEmptyOrInvertedRectangleClearsNothing) {
    ASSERT_EQ(clear({{2, 2, 2, 3}, {4, 1, 3, 2}, {0, 3, 1, 2}, {9, 0, 12, 4}}), S_OK);
    EXPECT_EQ(picture(), (Rows{"........", "........", "........", "........"}));
}

TEST_F(StandinClearTest, RefusesACountWithoutRectanglesRectanglesWithoutACountAndDepth) {
    const D3DRECT rect{0, 0, 8, 4};
    EXPECT_EQ(g_device->Clear(1, nullptr, D3DCLEAR_TARGET, kRed, 1.0f, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(g_device->Clear(0, &rect, D3DCLEAR_TARGET, kRed, 1.0f, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(g_device->Clear(1, &rect, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, kRed, 1.0f, 0),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(g_device->Clear(1, &rect, D3DCLEAR_STENCIL, kRed, 1.0f, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(picture(), (Rows{"........", "........", "........", "........"}));
}
