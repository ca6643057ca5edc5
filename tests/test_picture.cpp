// The demo's picture, drawn into the stand-in: frame 100 against its recorded digest, and
// every frame checked pixel by pixel against the world it came from and the world's tree.
#include <demo/picture.h>

#include <engine/rendershell.h>

#include "demoworld.h"
#include "digest.h"
#include "standin.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
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

    // The lists are kept from one frame to the next, as the demo keeps them.
    const std::vector<D3DCOLOR>& draw(const World& world) {
        pictureRects(world, rects);
        EXPECT_EQ(drawPicture(g_device, rects), S_OK);
        return standin::frontBuffer();
    }
    PictureRects rects;
};

// What the frame must show, at the pixels of columnOf and rowOf (which the recorded digest
// pins): blue; both midlines of every divided node of the world's tree, white, across the node
// and at least a pixel long; each actor's 3 x 3 square yellow, and red over everything for an
// actor that flashes.
std::vector<D3DCOLOR> expectedPicture(const World& world, const std::vector<int>& lastHeard) {
    std::vector<D3DCOLOR> pixels(kPictureSize * kPictureSize, kBackgroundColour);
    const auto fill = [&pixels](LONG left, LONG top, LONG right, LONG bottom, D3DCOLOR colour) {
        for (LONG y = std::max<LONG>(top, 0); y < std::min(bottom, kPictureSize); ++y) {
            for (LONG x = std::max<LONG>(left, 0); x < std::min(right, kPictureSize); ++x) {
                pixels[static_cast<std::size_t>(y * kPictureSize + x)] = colour;
            }
        }
    };
    forEachNode(world.tree(), kWorldSquare, [&](const QuadNode& node, const WorldRect& r) {
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
    if (actual == expected) {
        return "";
    }
    const auto i =
        std::mismatch(actual.begin(), actual.end(), expected.begin()).first - actual.begin();
    return "at " + std::to_string(i % kPictureSize) + ", " + std::to_string(i / kPictureSize);
}

} // namespace

// The digest that demo-frame prints for `--frames 100` and docs/demo.png shows.
TEST_F(PictureTest, FrameHundredOfTheDefaultWorldHasItsRecordedDigestAndEndsInAnEmptyScene) {
    World world(World::kDefaultActors);
    while (world.frame() < 100) {
        world.step();
    }
    Digest digest;
    for (const D3DCOLOR pixel : draw(world)) {
        digest.add(static_cast<std::uint64_t>(pixel));
    }
    EXPECT_EQ(digest.hash, 0x58ba5970e32e0615ULL) << std::hex << digest.hash;
    const std::vector<std::string>& calls = standin::calls();
    ASSERT_GE(calls.size(), 3U);
    EXPECT_EQ(calls[calls.size() - 3], "IDirect3DDevice9::BeginScene");
    EXPECT_EQ(calls[calls.size() - 2], "IDirect3DDevice9::EndScene");
}

TEST_F(PictureTest, EveryFrameShowsItsWorldItsTreeAndItsFlashesAndNothingElse) {
    for (const int actors : {1, 7, World::kDefaultActors, World::kMaxActors}) {
        TearDown();
        SetUp();
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
}
