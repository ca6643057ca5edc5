// The stand-in's Clear over lists of rectangles: clipped to the back buffer as Direct3D 9
// clips them, and refused where Direct3D 9 refuses the call.
#include <engine/rendershell.h>

#include "standin.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <limits>
#include <vector>

namespace {

constexpr D3DCOLOR kRed = 0xFFFF0000;

class StandinClearTest : public ::testing::Test {
protected:
    void SetUp() override {
        standin::reset();
        standin::setClientArea(8, 4);
        ASSERT_EQ(setupDevice(nullptr), S_OK);
    }
    void TearDown() override {
        cleanup();
        standin::reset();
    }

    // The picture after Present, a character a pixel: '.' as the device began, 'R' red, '?' other.
    std::vector<std::string> picture() {
        g_device->Present(nullptr, nullptr, nullptr, nullptr);
        const std::vector<D3DCOLOR>& pixels = standin::frontBuffer();
        std::vector<std::string> rows(standin::backBufferHeight());
        for (std::size_t i = 0; i < pixels.size(); ++i) {
            const char c = pixels[i] == 0 ? '.' : pixels[i] == kRed ? 'R' : '?';
            rows[i / standin::backBufferWidth()] += c;
        }
        return rows;
    }
};

using Rows = std::vector<std::string>;

} // namespace

// Refused calls draw nothing; the clipped rectangles are all the picture shows.
TEST_F(StandinClearTest, RefusesWhatDirect3DRefusesAndClearsEachRectangleClippedToTheBackBuffer) {
    const D3DRECT whole{0, 0, 8, 4};
    EXPECT_EQ(g_device->Clear(1, nullptr, D3DCLEAR_TARGET, kRed, 1.0f, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(g_device->Clear(0, &whole, D3DCLEAR_TARGET, kRed, 1.0f, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(g_device->Clear(1, &whole, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, kRed, 1.0f, 0),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(g_device->Clear(1, &whole, D3DCLEAR_STENCIL, kRed, 1.0f, 0), D3DERR_INVALIDCALL);
    constexpr LONG kMin = std::numeric_limits<LONG>::min();
    constexpr LONG kMax = std::numeric_limits<LONG>::max();
    const std::vector<D3DRECT> rects{{1, 0, 3, 1},              // inside
                                     {-1, -1, 1, 1},            // over the top left corner
                                     {7, 3, 9, 5},              // over the bottom right one
                                     {-5, 2, -1, 3},            // wholly left
                                     {9, 0, 12, 4},             // wholly right
                                     {3, 1, 4, kMax},           // down far past the bottom
                                     {kMin, kMin, kMin + 1, 1}, // far above and left
                                     {2, 2, 2, 3},              // empty
                                     {6, 1, 5, 2},              // inverted across
                                     {0, 3, 1, 2}};             // inverted down
    ASSERT_EQ(g_device->Clear(static_cast<DWORD>(rects.size()), rects.data(), D3DCLEAR_TARGET, kRed,
                              1.0f, 0),
              S_OK);
    EXPECT_EQ(picture(), (Rows{"RRR.....", "...R....", "...R....", "...R...R"}));
}
