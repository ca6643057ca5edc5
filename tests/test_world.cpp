// The demo's world: its actors in the entity table, the same frames on every target, the
// leaves found against a scan of each leaf's rectangle, and the flash against the messages.
#include <demo/world.h>

#include <engine/actor.h>
#include <engine/baseentity.h>
#include <engine/quadnode.h>
#include <engine/steering.h>

#include "capture.h"
#include "digest.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <set>
#include <stdexcept>
#include <vector>

namespace {

class WorldTest : public ::testing::Test {
protected:
    // Every world starts from the globals of a fresh process, as the demo does.
    void SetUp() override {
        resetEngineGlobals();
        pi_idx = 2;
    }
    void TearDown() override { resetEngineGlobals(); }
};

std::uint64_t stateDigest(const World& world) {
    Digest digest;
    for (std::size_t i = 0; i < world.actorCount(); ++i) {
        const Actor& actor = world.actor(i);
        digest.add(actor.position.x);
        digest.add(actor.position.y);
        digest.add(actor.velocity.x);
        digest.add(actor.velocity.y);
    }
    return digest.hash;
}

using Leaf = std::set<std::size_t>;

// Every childless node's rectangle, found by halving from the root.
void collectLeafRects(const QuadNode* node, const WorldRect& r, std::vector<WorldRect>& out) {
    if (node->children.empty()) {
        out.push_back(r);
        return;
    }
    const double midX = r.minX + (r.maxX - r.minX) / 2;
    const double midY = r.minY + (r.maxY - r.minY) / 2;
    collectLeafRects(node->children[0], {r.minX, midX, r.minY, midY}, out);
    collectLeafRects(node->children[1], {r.minX, midX, midY, r.maxY}, out);
    collectLeafRects(node->children[2], {midX, r.maxX, r.minY, midY}, out);
    collectLeafRects(node->children[3], {midX, r.maxX, midY, r.maxY}, out);
}

// The actors strictly inside each leaf's rectangle, by scanning them all: the slow way.
std::set<Leaf> scannedLeaves(const World& world) {
    std::vector<WorldRect> rects;
    collectLeafRects(world.tree(), kWorldSquare, rects);
    std::set<Leaf> leaves;
    for (const WorldRect& r : rects) {
        Leaf inside;
        for (std::size_t i = 0; i < world.actorCount(); ++i) {
            const Vec2 p = world.position(i);
            if (r.minX < p.x && p.x < r.maxX && r.minY < p.y && p.y < r.maxY) {
                inside.insert(i);
            }
        }
        if (!inside.empty()) {
            leaves.insert(inside);
        }
    }
    return leaves;
}

std::set<Leaf> foundLeaves(const World& world) {
    std::set<Leaf> leaves;
    for (const auto& leaf : world.leaves()) {
        EXPECT_TRUE(std::is_sorted(leaf.begin(), leaf.end()));
        leaves.insert(Leaf(leaf.begin(), leaf.end()));
    }
    return leaves;
}

} // namespace

TEST_F(WorldTest, RefusesAnyNumberOfActorsOutsideOneToAThousand) {
    for (const int count : {0, -1, 1001, 1 << 30}) {
        EXPECT_THROW(World{count}, std::invalid_argument) << count;
    }
    EXPECT_EQ(be_val, 0U);
}

TEST_F(WorldTest, StandsItsActorsInTheTableAndTakesThemOutAgainPrintingNothing) {
    CoutCapture console;
    {
        World world(World::kMaxActors);
        for (std::size_t i = 0; i < world.actorCount(); ++i) {
            ASSERT_EQ(world.actor(i).getID(), i);
            ASSERT_EQ(EntityTable[i + 1], &world.actor(i));
            const Vec2 p = world.position(i);
            ASSERT_TRUE(p.x >= -512 && p.x < 512 && p.y > -512 && p.y <= 512);
        }
        EXPECT_EQ(EntityTable[0], nullptr);
        EXPECT_EQ(EntityTable[World::kMaxActors + 1], nullptr);
        world.step();
        world.step();
        EXPECT_GT(world.delivered(), 0U);
    }
    EXPECT_EQ(console.text(), "");
    EXPECT_TRUE(std::all_of(EntityTable, EntityTable + kEntityTableSize,
                            [](const Actor* a) { return a == nullptr; }));
}

TEST_F(WorldTest, RefusesActorsWhoseIdentifiersHaveNoTableSlot) {
    be_val = 1000;
    EXPECT_THROW(World{100}, std::runtime_error);
    EXPECT_TRUE(std::all_of(EntityTable, EntityTable + kEntityTableSize,
                            [](const Actor* a) { return a == nullptr; }));
}

// The golden digest of frame 100: the same on the native build and under wine, so the
// simulation is bit-identical on both targets.
TEST_F(WorldTest, FrameHundredIsTheSameEveryRunAndOnEveryTarget) {
    std::uint64_t first = 0;
    {
        World world(World::kDefaultActors);
        for (int frame = 0; frame < 100; ++frame) {
            world.step();
        }
        EXPECT_EQ(world.frame(), 100);
        first = stateDigest(world);
    }
    SetUp();
    World again(World::kDefaultActors);
    for (int frame = 0; frame < 100; ++frame) {
        again.step();
    }
    EXPECT_EQ(stateDigest(again), first);
    EXPECT_EQ(first, 0x1cc07b30d1b04286ULL) << std::hex << first;
}

TEST_F(WorldTest, ActorsStayInTheSquareComingBackOnTheOtherSide) {
    World world(World::kMaxActors);
    std::vector<Vec2> before(world.actorCount());
    int wrapped = 0;
    for (int frame = 0; frame < 300; ++frame) {
        for (std::size_t i = 0; i < world.actorCount(); ++i) {
            before[i] = world.position(i);
        }
        world.simulate();
        for (std::size_t i = 0; i < world.actorCount(); ++i) {
            const Vec2 p = world.position(i);
            ASSERT_TRUE(p.x >= -512 && p.x < 512 && p.y > -512 && p.y <= 512);
            const double dx = std::abs(p.x - before[i].x);
            const double dy = std::abs(p.y - before[i].y);
            // A step is at most the top speed, 2, or that less the side of the square.
            ASSERT_TRUE(dx <= 2 || (dx >= 1022 && dx <= 1024)) << dx;
            ASSERT_TRUE(dy <= 2 || (dy >= 1022 && dy <= 1024)) << dy;
            wrapped += dx > 2 || dy > 2 ? 1 : 0;
        }
    }
    EXPECT_GT(wrapped, 0);
}

TEST_F(WorldTest, FindsEveryLeafAsAScanOfItsRectangleDoes) {
    World world(World::kMaxActors);
    for (int frame = 0; frame < 30; ++frame) {
        world.step();
        ASSERT_EQ(foundLeaves(world), scannedLeaves(world)) << "frame " << world.frame();
        std::size_t inLeaves = 0;
        for (const auto& leaf : world.leaves()) {
            inLeaves += leaf.size();
        }
        // Only an actor on a midline (or on the square's border) lies in no leaf.
        EXPECT_LE(world.actorCount() - inLeaves, 3U);
    }
    EXPECT_GT(world.nodeCount(), 1);
    EXPECT_EQ(world.dividedNodes().size() * 4 + 1, static_cast<std::size_t>(world.nodeCount()));
}

// Every actor of a leaf it shares hears from its predecessor there, but the actor with
// identifier 1: every handler's holder is 1, so a message to 1 is dropped untraced.
TEST_F(WorldTest, TheFlashReachesExactlyTheActorsWhoseReceptionWasTraced) {
    World world(300);
    std::vector<int> lastHeard(world.actorCount(), -1);
    std::uint64_t delivered = 0;
    bool sawOne = false;
    for (int frame = 1; frame <= 40; ++frame) {
        world.step();
        for (const auto& leaf : world.leaves()) {
            for (const std::size_t i : leaf) {
                const bool hears = leaf.size() >= 2 && world.actor(i).getID() != 1;
                sawOne = sawOne || (leaf.size() >= 2 && world.actor(i).getID() == 1);
                if (hears) {
                    lastHeard[i] = frame;
                    ++delivered;
                }
            }
        }
        ASSERT_EQ(world.delivered(), delivered) << "frame " << frame;
        for (std::size_t i = 0; i < world.actorCount(); ++i) {
            ASSERT_EQ(world.lastReception(i), lastHeard[i]) << "actor " << i;
            const bool flashing = lastHeard[i] >= 0 && frame - lastHeard[i] < kFlashFrames;
            ASSERT_EQ(world.flashing(i), flashing) << "actor " << i << ", frame " << frame;
        }
    }
    EXPECT_TRUE(sawOne);
}
