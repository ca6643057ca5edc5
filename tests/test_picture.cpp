// Every frame of the demo's picture, pixel by pixel, against its world and the builder's tree.
#include <demo/picture.h>

#include <engine/rendershell.h>

#include "demoworld.h"
#include "standin.h"

#include <gtest/gtest.h>

#include <cmath>

using Calls = std::vector<std::string>;
using Rects = std::vector<std::array<LONG, 4>>;

class PictureTest : public DemoWorldTest, public ::testing::WithParamInterface<int> {};

// Blue; every divided node's midlines white, across it and at least a pixel long; each actor's
// 3 x 3 square yellow, or red over everything while it flashes (at columnOf and rowOf's pixels).
static std::vector<D3DCOLOR> expectedPicture(const World& world,
                                             const std::vector<int>& lastHeard) {
    std::vector<D3DCOLOR> pixels(kPictureSize * kPictureSize, kBackgroundColour);
    const auto fill = [&pixels](LONG left, LONG top, LONG right, LONG bottom, D3DCOLOR colour) {
        for (LONG y = std::max<LONG>(top, 0); y < std::min(bottom, kPictureSize); ++y) {
            for (LONG x = std::max<LONG>(left, 0); x < std::min(right, kPictureSize); ++x) {
                pixels[static_cast<std::size_t>(y * kPictureSize + x)] = colour;
            }
        }
    };
    forEachNode(builderTree().get(), kWorldSquare, [&](const QuadNode& node, const QuadRect& r) {
        if (node.children.size() == 4) {
            const LONG left = columnOf(r.minX);
            const LONG top = rowOf(r.maxY);
            const LONG midX = columnOf(r.minX + (r.maxX - r.minX) / 2);
            const LONG midY = rowOf(r.minY + (r.maxY - r.minY) / 2);
            fill(midX, top, midX + 1, std::max(rowOf(r.minY), top + 1), kMidlineColour);
            fill(left, midY, std::max(columnOf(r.maxX), left + 1), midY + 1, kMidlineColour);
        }
    });
    for (const bool flash : {false, true}) {
        for (std::size_t i = 0; i < world.actorCount(); ++i) {
            if (flashes(world.frame(), lastHeard[i]) == flash) {
                const LONG x = columnOf(world.position(i).x);
                const LONG y = rowOf(world.position(i).y);
                fill(x - 1, y - 1, x + 2, y + 2, flash ? kFlashColour : kActorColour);
            }
        }
    }
    return pixels;
}

static Rects corners(const std::vector<D3DRECT>& rects) {
    Rects all;
    for (const D3DRECT& r : rects) {
        all.push_back({r.x1, r.y1, r.x2, r.y2});
    }
    std::sort(all.begin(), all.end());
    return all;
}

// The pointer's marks in the middle, corners, on a midline and outside, against a scan.
static void expectPointerMarks(const World& world) {
    PointerMarks marks;
    for (const auto& [column, row] :
         {std::pair<LONG, LONG>{256, 256}, {0, 0}, {511, 511}, {37, 401}, {128, 77}, {-40, 600}}) {
        const Vec2 pointer = pixelCentre(column, row);
        ASSERT_EQ(std::make_pair(columnOf(pointer.x), rowOf(pointer.y)),
                  std::make_pair(column, row));
        Rects within, nearest;
        double best = INFINITY;
        for (std::size_t i = 0; i < world.actorCount(); ++i) {
            const LONG x = columnOf(world.position(i).x);
            const LONG y = rowOf(world.position(i).y);
            const double d = distance(world.position(i), pointer);
            if (d <= kPointerReach) {
                within.push_back({x - 1, y - 1, x + 2, y + 2});
            }
            if (d < best) {
                best = d;
                nearest = {{x - 2, y - 2, x + 3, y + 3}};
            }
        }
        std::sort(within.begin(), within.end());
        EXPECT_EQ(pointerMarks(world, pointer, marks), within.size());
        EXPECT_EQ(corners(marks.within), within) << column << ", " << row;
        EXPECT_EQ(corners(marks.nearest), nearest) << column << ", " << row;
    }
}

TEST_P(PictureTest, EveryFrameShowsItsWorldItsTreeAndItsFlashesAndMarksAroundThePointer) {
    standin::reset();
    standin::setClientArea(kPictureSize, kPictureSize);
    ASSERT_EQ(setupDevice(nullptr), S_OK); // the next one releases it should this test stop
    World world(GetParam());
    std::vector<int> lastHeard(world.actorCount(), -1);
    PictureRects rects; // kept from frame to frame, as the demo keeps them
    for (int frame = 0; frame <= 24; ++frame) {
        if (frame > 0) {
            world.step();
            noteReceptions(world, lastHeard);
        }
        pictureRects(world, rects);
        ASSERT_EQ(drawPicture(g_device, rects), S_OK);
        EXPECT_EQ(Calls(standin::calls().end() - 3, standin::calls().end()), // empty, presented
                  (Calls{"IDirect3DDevice9::BeginScene", "IDirect3DDevice9::EndScene",
                         "IDirect3DDevice9::Present(null, null, null, null)"}));
        ASSERT_TRUE(standin::frontBuffer() == expectedPicture(world, lastHeard)) << frame;
        expectPointerMarks(world);
    }
    cleanup();
}

INSTANTIATE_TEST_SUITE_P(OfEachSize, PictureTest,
                         ::testing::Values(1, 7, World::kDefaultActors, World::kMaxActors));
