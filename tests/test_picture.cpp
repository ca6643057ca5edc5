// The demo's picture, drawn into the stand-in: every frame pixel by pixel against its world and
// the builder's tree over it. The demo_readme_picture test checks frame 100 against docs/demo.png.
#include <demo/picture.h>

#include <engine/rendershell.h>

#include "demoworld.h"
#include "standin.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace {

class PictureTest : public DemoWorldTest {
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

    // Lists kept from frame to frame, as the demo keeps them; a frame ends in an empty scene.
    const std::vector<D3DCOLOR>& draw(const World& world) {
        pictureRects(world, rects);
        EXPECT_EQ(drawPicture(g_device, rects), S_OK);
        const std::vector<std::string>& calls = standin::calls();
        EXPECT_EQ(
            std::vector<std::string>(calls.end() - 3, calls.end()),
            (std::vector<std::string>{"IDirect3DDevice9::BeginScene", "IDirect3DDevice9::EndScene",
                                      "IDirect3DDevice9::Present(null, null, null, null)"}));
        return standin::frontBuffer();
    }
    PictureRects rects;
};

// What the frame must show, at the pixels of columnOf and rowOf (which docs/demo.png pins):
// blue; both midlines of every divided node of the tree QuadTreeBuilder builds over the world's
// actors, white, across the node and at least a pixel long; each actor's 3 x 3 square yellow,
// and red over everything for an actor that flashes.
std::vector<D3DCOLOR> expectedPicture(const World& world, const std::vector<int>& lastHeard) {
    std::vector<D3DCOLOR> pixels(kPictureSize * kPictureSize, kBackgroundColour);
    const auto fill = [&pixels](LONG left, LONG top, LONG right, LONG bottom, D3DCOLOR colour) {
        for (LONG y = std::max<LONG>(top, 0); y < std::min(bottom, kPictureSize); ++y) {
            for (LONG x = std::max<LONG>(left, 0); x < std::min(right, kPictureSize); ++x) {
                pixels[static_cast<std::size_t>(y * kPictureSize + x)] = colour;
            }
        }
    };
    const BuilderTree builder;
    forEachNode(builder.root, kWorldSquare, [&](const QuadNode& node, const QuadRect& r) {
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

// Where the picture first differs from the expected one; "" where it does not.
std::string firstDifference(const std::vector<D3DCOLOR>& actual,
                            const std::vector<D3DCOLOR>& expected) {
    const auto i = std::mismatch(actual.begin(), actual.end(), expected.begin(), expected.end());
    const auto at = i.first - actual.begin();
    return actual == expected ? ""
                              : "at " + std::to_string(at % kPictureSize) + ", " +
                                    std::to_string(at / kPictureSize);
}

} // namespace

class PictureOfWorldTest : public PictureTest, public ::testing::WithParamInterface<int> {};

TEST_P(PictureOfWorldTest, EveryFrameShowsItsWorldItsTreeAndItsFlashesAndNothingElse) {
    const int actors = GetParam();
    World world(actors);
    std::vector<int> lastHeard(world.actorCount(), -1);
    for (int frame = 0; frame <= 24; ++frame) {
        if (frame > 0) {
            world.step();
            noteReceptions(world, lastHeard);
        }
        ASSERT_EQ(firstDifference(draw(world), expectedPicture(world, lastHeard)), "")
            << actors << " actors, frame " << frame;
    }
}

class PointerTest : public PictureTest, public ::testing::WithParamInterface<World::Motion> {};

TEST_P(PointerTest, MarksTheActorsAScanFindsNearItAndTheNearestOne) {
    // Pixels in the middle, in the corners, on a midline and outside the picture.
    const World::Motion motion = GetParam();
    World world(World::kDefaultActors, World::Build::partition, motion);
    for (int frame = 0; frame < 40; ++frame) {
        world.step();
    }
    PointerMarks marks;
    for (const auto& [column, row] :
         {std::pair<LONG, LONG>{256, 256}, {0, 0}, {511, 511}, {37, 401}, {128, 77}, {-40, 600}}) {
        const Vec2 pointer = pixelCentre(column, row);
        ASSERT_EQ(columnOf(pointer.x), column);
        ASSERT_EQ(rowOf(pointer.y), row);
        std::vector<std::string> expected;
        double nearest = INFINITY;
        for (std::size_t i = 0; i < world.actorCount(); ++i) {
            const double d = distance(world.position(i), pointer);
            if (d <= kPointerReach) {
                const LONG x = columnOf(world.position(i).x);
                const LONG y = rowOf(world.position(i).y);
                expected.push_back(std::to_string(x) + "," + std::to_string(y));
            }
            nearest = std::min(nearest, d);
        }
        EXPECT_EQ(pointerMarks(world, pointer, marks), expected.size());
        std::vector<std::string> marked;
        for (const D3DRECT& r : marks.within) {
            ASSERT_EQ(r.x2 - r.x1, 3);
            ASSERT_EQ(r.y2 - r.y1, 3);
            marked.push_back(std::to_string(r.x1 + 1) + "," + std::to_string(r.y1 + 1));
        }
        std::sort(expected.begin(), expected.end());
        std::sort(marked.begin(), marked.end());
        EXPECT_EQ(marked, expected) << column << ", " << row;
        ASSERT_EQ(marks.nearest.size(), 1U);
        const D3DRECT& n = marks.nearest.front();
        EXPECT_EQ(n.x2 - n.x1, 5);
        const Vec2 at = pixelCentre(n.x1 + 2, n.y1 + 2);
        // The pixel's centre lies within a pixel's half diagonal of the actor.
        EXPECT_LE(distance(at, pointer), nearest + std::sqrt(2.0)) << column << ", " << row;
        EXPECT_GE(distance(at, pointer), nearest - std::sqrt(2.0)) << column << ", " << row;
    }
}

INSTANTIATE_TEST_SUITE_P(OfEachSize, PictureOfWorldTest,
                         ::testing::Values(1, 7, World::kDefaultActors, World::kMaxActors));
INSTANTIATE_TEST_SUITE_P(EitherMotion, PointerTest,
                         ::testing::Values(World::Motion::wander, World::Motion::flock));
