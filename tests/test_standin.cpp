// The stand-in's Clear clips and refuses rectangles as Direct3D 9 does.
#include <engine/rendershell.h>

#include "standin.h"

#include <gtest/gtest.h>

#include <limits>

// Refused calls draw nothing; the clipped rectangles are all the picture shows ('R' red).
TEST(StandinClear, RefusesWhatDirect3DRefusesAndClearsEachRectangleClippedToTheBackBuffer) {
    standin::reset();
    standin::setClientArea(8, 4);
    ASSERT_EQ(setupDevice(nullptr), S_OK);
    constexpr D3DCOLOR kRed = 0xFFFF0000;
    constexpr LONG kMin = std::numeric_limits<LONG>::min();
    constexpr LONG kMax = std::numeric_limits<LONG>::max();
    const D3DRECT whole{0, 0, 8, 4};
    EXPECT_EQ(g_device->Clear(1, nullptr, D3DCLEAR_TARGET, kRed, 1.0f, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(g_device->Clear(0, &whole, D3DCLEAR_TARGET, kRed, 1.0f, 0), D3DERR_INVALIDCALL);
    for (const DWORD flags : {D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, DWORD{D3DCLEAR_STENCIL}}) {
        EXPECT_EQ(g_device->Clear(1, &whole, flags, kRed, 1.0f, 0), D3DERR_INVALIDCALL) << flags;
    }
    // Inside, over corners, outside each side, far off below, above and left, empty, inverted.
    const std::vector<D3DRECT> rects{{1, 0, 3, 1},
                                     {-1, -1, 1, 1},
                                     {7, 3, 9, 5},
                                     {-5, 2, -1, 3},
                                     {9, 0, 12, 4},
                                     {3, 1, 4, kMax},
                                     {kMin, kMin, kMin + 1, 1},
                                     {2, 2, 2, 3},
                                     {6, 1, 5, 2},
                                     {0, 3, 1, 2}};
    ASSERT_EQ(g_device->Clear(static_cast<DWORD>(rects.size()), rects.data(), D3DCLEAR_TARGET, kRed,
                              1.0f, 0),
              S_OK);
    g_device->Present(nullptr, nullptr, nullptr, nullptr);
    std::string picture;
    for (std::size_t i = 0; i < standin::frontBuffer().size(); ++i) {
        const D3DCOLOR pixel = standin::frontBuffer()[i];
        picture += pixel == 0 ? '.' : pixel == kRed ? 'R' : '?';
        picture += i % standin::backBufferWidth() == 7 ? "|" : "";
    }
    EXPECT_EQ(picture, "RRR.....|...R....|...R....|...R...R|");
    cleanup();
}
