// The demo's world: its actors in the entity table, its tree against QuadTreeBuilder's and the
// leaves against a scan of each leaf's rectangle, the flash against the messages, and the same
// frames on every target.
#include "demoworld.h"
#include "digest.h"

#include <engine/quadquery.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <iostream>
#include <set>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using WorldTest = DemoWorldTest;
using Leaf = std::set<std::size_t>;

// The world's actors strictly inside each leaf's rectangle of the tree, by scanning them all:
// the slow way.
std::set<Leaf> scannedLeaves(const World& world, const QuadNode* tree) {
    std::set<Leaf> leaves;
    forEachNode(tree, kWorldSquare, [&](const QuadNode& node, const QuadRect& r) {
        Leaf inside;
        for (std::size_t i = 0; node.children.empty() && i < world.actorCount(); ++i) {
            const Vec2 p = world.position(i);
            if (r.minX < p.x && p.x < r.maxX && r.minY < p.y && p.y < r.maxY) {
                inside.insert(i);
            }
        }
        if (!inside.empty()) {
            leaves.insert(inside);
        }
    });
    return leaves;
}

} // namespace

TEST_F(WorldTest, StandsOneToAThousandActorsInTheTableAndTakesThemOutAgainPrintingNothing) {
    for (const int count : {0, -1, 1001, 1 << 30}) {
        EXPECT_THROW(World{count}, std::invalid_argument) << count;
    }
    ConsoleWatch console;
    {
        World world(World::kMaxActors); // identifiers from 0: the refused worlds drew none
        for (std::size_t i = 0; i < world.actorCount(); ++i) {
            ASSERT_EQ(world.actor(i).getID(), i);
            ASSERT_EQ(EntityTable[i + 1], &world.actor(i));
        }
        world.step();
    }
    std::cout << "back"; // the console is the console again
    EXPECT_EQ(console.take(), "back");
    be_val = kEntityTableSize - 2; // the last slot for the first actor, none for the second
    EXPECT_THROW(World{2}, std::runtime_error);
    EXPECT_EQ(std::count(EntityTable, EntityTable + kEntityTableSize, nullptr),
              std::ptrdiff_t{kEntityTableSize});
}

class WorldBuildTest : public WorldTest, public ::testing::WithParamInterface<World::Build> {};

// Every frame on the way to frame 100, built either way, its leaves against the builder's tree
// over the same actors and the slow way; frame 100 against its recorded digest and the figures
// the manual gives: the same on the native build and under wine, so the simulation is
// bit-identical on both.
TEST_P(WorldBuildTest, MakesTheBuildersTreeAndLeavesAndTheRecordedFrameHundred) {
    const World::Build build = GetParam();
    World world(World::kDefaultActors, build);
    const auto name = build == World::Build::partition ? "partition" : "builder";
    std::vector<int> lastHeard(world.actorCount(), -1);
    std::uint64_t delivered = 0;
    for (int frame = 0; frame <= 100; ++frame) {
        if (frame > 0) {
            const std::int32_t cells = cellSlotCounter;
            world.step();
            // The partition makes no cell: the demo's frames run without the builder.
            ASSERT_EQ(cellSlotCounter == cells, build == World::Build::partition) << name;
            noteReceptions(world, lastHeard);
            delivered += std::count(lastHeard.begin(), lastHeard.end(), frame);
        }
        const BuilderTree builder;
        std::set<Leaf> found;
        for (const auto& leaf : world.leaves()) {
            EXPECT_TRUE(std::is_sorted(leaf.begin(), leaf.end()));
            found.insert(Leaf(leaf.begin(), leaf.end()));
        }
        ASSERT_EQ(found, scannedLeaves(world, builder.root)) << name << " " << frame;
        ASSERT_EQ(world.delivered(), delivered) << name << " " << frame;
        for (std::size_t i = 0; i < world.actorCount(); ++i) {
            ASSERT_EQ(world.lastReception(i), lastHeard[i]) << "actor " << i;
            ASSERT_EQ(world.flashing(i), flashes(frame, lastHeard[i])) << "actor " << i;
        }
    }
    EXPECT_EQ(world.nodeCount(), 201) << name;
    EXPECT_EQ(world.leaves().size(), 128U) << name;
    EXPECT_EQ(world.delivered(), 21322U) << name;
    Digest digest;
    for (std::size_t i = 0; i < world.actorCount(); ++i) {
        const Actor& a = world.actor(i);
        for (const double v : {a.position.x, a.position.y, a.velocity.x, a.velocity.y}) {
            digest.add(v);
        }
    }
    EXPECT_EQ(digest.hash, 0x1cc07b30d1b04286ULL) << name << std::hex << " " << digest.hash;
}

TEST_F(WorldTest, AFlockGathersInsideTheSquareAtItsSpeedTheSameWayEveryRun) {
    // Its members end with many more neighbours than they started with, never leave the square
    // or the top speed, and the layout stays the builder's; two runs end alike, on every target.
    const auto neighbours = [](const World& world) {
        std::size_t sum = 0;
        for (std::size_t i = 0; i < world.actorCount(); ++i) {
            sum += visitWithin(world.layout(), world.position(i), 40.0, [](Actor*) {}) - 1;
        }
        return static_cast<double>(sum) / static_cast<double>(world.actorCount());
    };
    std::uint64_t hashes[2] = {};
    for (std::uint64_t& hash : hashes) {
        startFresh();
        World world(World::kDefaultActors, World::Build::partition, World::Motion::flock);
        EXPECT_EQ(world.motion(), World::Motion::flock);
        const double before = neighbours(world);
        for (int frame = 1; frame <= 300; ++frame) {
            world.step();
            for (std::size_t i = 0; i < world.actorCount(); ++i) {
                const Actor& a = world.actor(i);
                ASSERT_TRUE(a.position.x >= -512 && a.position.x < 512 && a.position.y > -512 &&
                            a.position.y <= 512)
                    << "actor " << i << ", frame " << frame;
                ASSERT_LE(Vec2(a.velocity.x, a.velocity.y).length(), 2.0);
            }
        }
        EXPECT_GT(neighbours(world), 4 * before);
        Digest digest;
        for (std::size_t i = 0; i < world.actorCount(); ++i) {
            const Actor& a = world.actor(i);
            for (const double v : {a.position.x, a.position.y, a.velocity.x, a.velocity.y}) {
                digest.add(v);
            }
        }
        hash = digest.hash;
    }
    EXPECT_EQ(hashes[0], hashes[1]);
    EXPECT_EQ(hashes[0], 0x6d9abe9ae2dc9326ULL) << std::hex << hashes[0];
}

INSTANTIATE_TEST_SUITE_P(EitherBuild, WorldBuildTest,
                         ::testing::Values(World::Build::partition, World::Build::builder));
