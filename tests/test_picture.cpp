// The demo's picture, drawn into the stand-in: frame 100 against its recorded digest, and
// every frame checked pixel by pixel against the world it came from and a tree built anew
// over the same places.
#include <demo/picture.h>
#include <demo/world.h>

#include <engine/actor.h>
#include <engine/quadnode.h>
#include <engine/rendershell.h>
#include <engine/steering.h>

#include "capture.h"
#include "digest.h"
#include "standin.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace {

constexpr int kSize = 512;

class PictureTest : public ::testing::Test {
protected:
    void SetUp() override {
        resetEngineGlobals();
        pi_idx = 2;
        standin::reset();
        standin::setClientArea(kSize, kSize);
        ASSERT_EQ(setupDevice(nullptr), S_OK);
    }
    void TearDown() override {
        cleanup();
        standin::reset();
        resetEngineGlobals();
    }

    const std::vector<D3DCOLOR>& draw(const World& world) {
        PictureRects rects;
        pictureRects(world, rects);
        EXPECT_EQ(drawPicture(g_device, rects), S_OK);
        return standin::frontBuffer();
    }
};

struct Expected {
    std::vector<D3DCOLOR> pixels = std::vector<D3DCOLOR>(kSize * kSize, kBackgroundColour);
    void fill(long left, long top, long right, long bottom, D3DCOLOR colour) {
        for (long y = std::max(top, 0L); y < std::min(bottom, long{kSize}); ++y) {
            for (long x = std::max(left, 0L); x < std::min(right, long{kSize}); ++x) {
                pixels[static_cast<std::size_t>(y * kSize + x)] = colour;
            }
        }
    }
};

// Pixel column c covers x from 2c - 512 up to 2c - 510; row r covers y above 510 - 2r up to
// 512 - 2r.
long column(double x) {
    return static_cast<long>(std::floor((x + 512) / 2));
}
long row(double y) {
    return static_cast<long>(std::floor((512 - y) / 2));
}

// Both midlines of every divided node of a tree built afresh over the world's places.
void drawMidlines(const QuadNode* node, double minX, double maxX, double minY, double maxY,
                  Expected& picture) {
    if (node->children.size() != 4) {
        return;
    }
    const double midX = minX + (maxX - minX) / 2;
    const double midY = minY + (maxY - minY) / 2;
    const long left = column(minX);
    const long top = row(maxY);
    const long right = std::max(column(maxX), left + 1);
    const long bottom = std::max(row(minY), top + 1);
    picture.fill(column(midX), top, column(midX) + 1, bottom, kMidlineColour);
    picture.fill(left, row(midY), right, row(midY) + 1, kMidlineColour);
    drawMidlines(node->children[0], minX, midX, minY, midY, picture);
    drawMidlines(node->children[1], minX, midX, midY, maxY, picture);
    drawMidlines(node->children[2], midX, maxX, minY, midY, picture);
    drawMidlines(node->children[3], midX, maxX, midY, maxY, picture);
}

// What the frame must show: blue, the midlines white, each actor's 3 x 3 square yellow, and
// red over everything for an actor that heard a message in this frame or the seven before.
Expected expectedPicture(const World& world, const std::vector<int>& lastHeard) {
    Expected picture;
    QuadNode* tree = nullptr;
    {
        CoutCapture quiet;
        tree = QuadTreeBuilder(-512, 512, -512, 512, EntityTable);
    }
    drawMidlines(tree, -512, 512, -512, 512, picture);
    releaseQuadTree(tree);
    for (const bool flash : {false, true}) {
        for (std::size_t i = 0; i < world.actorCount(); ++i) {
            const bool flashing = lastHeard[i] >= 0 && world.frame() - lastHeard[i] < 8;
            if (flashing != flash) {
                continue;
            }
            const Vec2 p = world.position(i);
            picture.fill(column(p.x) - 1, row(p.y) - 1, column(p.x) + 2, row(p.y) + 2,
                         flash ? kFlashColour : kActorColour);
        }
    }
    return picture;
}

// The receptions as the messaging rule gives them: every actor of a shared leaf, but the
// one with identifier 1, whose messages the engine drops.
void noteReceptions(const World& world, std::vector<int>& lastHeard) {
    for (const auto& leaf : world.leaves()) {
        for (const std::size_t i : leaf) {
            if (leaf.size() >= 2 && world.actor(i).getID() != 1) {
                lastHeard[i] = world.frame();
            }
        }
    }
}

std::string firstDifference(const std::vector<D3DCOLOR>& actual,
                            const std::vector<D3DCOLOR>& expected) {
    if (actual.size() != expected.size()) {
        return "size " + std::to_string(actual.size());
    }
    for (std::size_t i = 0; i < actual.size(); ++i) {
        if (actual[i] != expected[i]) {
            char text[96];
            std::snprintf(text, sizeof text, "pixel (%zu, %zu) is %08x, not %08x", i % kSize,
                          i / kSize, static_cast<unsigned>(actual[i]),
                          static_cast<unsigned>(expected[i]));
            return text;
        }
    }
    return "";
}

std::uint64_t digestOf(const std::vector<D3DCOLOR>& pixels) {
    Digest digest;
    for (const D3DCOLOR pixel : pixels) {
        digest.add(static_cast<std::uint64_t>(pixel));
    }
    return digest.hash;
}

} // namespace

TEST(PictureMapping, TwoWorldUnitsAPixelXToTheRightYUpwards) {
    EXPECT_EQ(columnOf(-512), 0);
    EXPECT_EQ(columnOf(-510.5), 0);
    EXPECT_EQ(columnOf(-510), 1);
    EXPECT_EQ(columnOf(0), 256);
    EXPECT_EQ(columnOf(511.9), 511);
    EXPECT_EQ(rowOf(512), 0);
    EXPECT_EQ(rowOf(510.5), 0);
    EXPECT_EQ(rowOf(510), 1);
    EXPECT_EQ(rowOf(0), 256);
    EXPECT_EQ(rowOf(-511.9), 511);
}

// The digest that demo-frame prints for `--frames 100` and docs/demo.png shows.
TEST_F(PictureTest, FrameHundredOfTheDefaultWorldHasItsRecordedDigest) {
    World world(World::kDefaultActors);
    for (int frame = 0; frame < 100; ++frame) {
        world.step();
    }
    const std::uint64_t digest = digestOf(draw(world));
    EXPECT_EQ(digest, 0x58ba5970e32e0615ULL) << std::hex << digest;
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
            const Expected expected = expectedPicture(world, lastHeard);
            ASSERT_EQ(firstDifference(draw(world), expected.pixels), "")
                << actors << " actors, frame " << frame;
        }
    }
}

TEST_F(PictureTest, ClearsTheBackgroundThenEachNonEmptyListInItsColourAndPresents) {
    World world(1);
    standin::clearCalls();
    draw(world);
    const std::vector<std::string>& calls = standin::calls();
    ASSERT_EQ(calls.size(), 5U);
    EXPECT_EQ(calls[0], "IDirect3DDevice9::Clear(0, null, 0x1, 0xff0000ff, 1, 0)");
    EXPECT_EQ(calls[1].substr(0, 25), "IDirect3DDevice9::Clear(1");
    EXPECT_NE(calls[1].find(", 0x1, 0xffffff00, 1, 0)"), std::string::npos);
    EXPECT_EQ(calls[2], "IDirect3DDevice9::BeginScene");
    EXPECT_EQ(calls[3], "IDirect3DDevice9::EndScene");
    EXPECT_EQ(calls[4], "IDirect3DDevice9::Present(null, null, null, null)");
}
