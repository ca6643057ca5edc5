// The demo's picture, drawn into the stand-in: every frame pixel by pixel against its world and
// the builder's tree over it. The demo_readme_picture test checks frame 100 against docs/demo.png.
#include <demo/picture.h>

#include <engine/rendershell.h>

#include "demoworld.h"
#include "standin.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <string>
#include <vector>

namespace {

using Calls = std::vector<std::string>;
using Rects = std::vector<std::array<LONG, 4>>;

class PictureTest : public DemoWorldTest, public ::testing::WithParamInterface<int> {
protected:
    void SetUp() override {
        DemoWorldTest::SetUp();
        standin::reset();
        standin::setClientArea(kPictureSize, kPictureSize);
        ASSERT_EQ(setupDevice(nullptr), S_OK);
    }
    void TearDown() override {
        cleanup();
        DemoWorldTest::TearDown();
    }
};

// What the frame must show, at the pixels of columnOf and rowOf (which docs/demo.png pins):
// blue; both midlines of every divided node of the builder's tree, white, across the node and at
// least a pixel long; each actor's 3 x 3 square yellow, and red over everything if it flashes.
std::vector<D3DCOLOR> expectedPicture(const World& world, const std::vector<int>& lastHeard) {
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

// The rectangles' corners, sorted.
Rects corners(const std::vector<D3DRECT>& rects) {
    Rects all;
    for (const D3DRECT& r : rects) {
        all.push_back({r.x1, r.y1, r.x2, r.y2});
    }
    std::sort(all.begin(), all.end());
    return all;
}

// The pointer's marks at pixels in the middle, in the corners, on a midline and outside the
// picture, against a scan of the actors: all within reach, and the nearest.
void expectPointerMarks(const World& world) {
    PointerMarks marks;
    for (const auto& [column, row] :
         {std::pair<LONG, LONG>{256, 256}, {0, 0}, {511, 511}, {37, 401}, {128, 77}, {-40, 600}}) {
        const Vec2 pointer = pixelCentre(column, row);
        ASSERT_EQ(columnOf(pointer.x), column);
        ASSERT_EQ(rowOf(pointer.y), row);
        Rects within;
        Rects nearest;
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

} // namespace

TEST_P(PictureTest, EveryFrameShowsItsWorldItsTreeAndItsFlashesAndMarksAroundThePointer) {
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
        const Calls& calls = standin::calls(); // a frame ends in an empty scene, presented
        EXPECT_EQ(Calls(calls.end() - 3, calls.end()),
                  (Calls{"IDirect3DDevice9::BeginScene", "IDirect3DDevice9::EndScene",
                         "IDirect3DDevice9::Present(null, null, null, null)"}));
        const std::vector<D3DCOLOR>& actual = standin::frontBuffer();
        const std::vector<D3DCOLOR> expected = expectedPicture(world, lastHeard);
        const auto at =
            std::mismatch(actual.begin(), actual.end(), expected.begin()).first - actual.begin();
        ASSERT_TRUE(actual == expected) << "frame " << frame << ", first at pixel "
                                        << at % kPictureSize << ", " << at / kPictureSize;
        expectPointerMarks(world);
    }
}

INSTANTIATE_TEST_SUITE_P(OfEachSize, PictureTest,
                         ::testing::Values(1, 7, World::kDefaultActors, World::kMaxActors));
