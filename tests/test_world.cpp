// The demo's world: the table, leaves against the builder's tree, flashes, frames alike everywhere.
#include "demoworld.h"
#include "digest.h"

#include <gtest/gtest.h>

#include <set>
#include <stdexcept>
#include <tuple>

using Leaf = std::vector<std::size_t>;

// The actors strictly inside each leaf of the builder's tree, in the order of their first actor.
static std::vector<Leaf> scannedLeaves(const World& world) {
    std::set<Leaf> leaves;
    forEachNode(builderTree().get(), kWorldSquare, [&](const QuadNode& node, const QuadRect& r) {
        Leaf inside;
        for (std::size_t i = 0; node.children.empty() && i < world.actorCount(); ++i) {
            const Vec2 p = world.position(i);
            if (r.minX < p.x && p.x < r.maxX && r.minY < p.y && p.y < r.maxY) {
                inside.push_back(i);
            }
        }
        leaves.insert(inside);
    });
    leaves.erase(Leaf{}); // nodes with none
    return {leaves.begin(), leaves.end()};
}

TEST_F(DemoWorldTest, StandsOneToAThousandActorsInTheTableAndTakesThemOutAgainPrintingNothing) {
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

// A default world's run: its last frame's nodes, leaves, messages and digest, alike everywhere.
using WorldRun =
    std::tuple<World::Build, World::Motion, int, int, std::size_t, std::uint64_t, std::uint64_t>;

class WorldRunTest : public DemoWorldTest, public ::testing::WithParamInterface<WorldRun> {};

// Every frame against the builder's tree and the messages, in the half-open square, at most 2 fast.
TEST_P(WorldRunTest, MakesTheBuildersLeavesAndFlashesInsideTheSquareAndTheRecordedLastFrame) {
    const auto& [build, motion, frames, nodes, leaves, messages, hash] = GetParam();
    World world(World::kDefaultActors, build, motion);
    std::vector<int> lastHeard(world.actorCount(), -1);
    std::uint64_t delivered = 0;
    for (int frame = 0; frame <= frames; ++frame) {
        if (frame > 0) {
            const std::int32_t cells = cellSlotCounter;
            world.step();
            // The partition makes no cell: the demo's frames run without the builder.
            ASSERT_EQ(cellSlotCounter == cells, build == World::Build::partition);
            noteReceptions(world, lastHeard);
            delivered += std::count(lastHeard.begin(), lastHeard.end(), frame);
        }
        ASSERT_EQ(world.leaves(), scannedLeaves(world)) << "frame " << frame;
        ASSERT_EQ(world.delivered(), delivered) << "frame " << frame;
        for (std::size_t i = 0; i < world.actorCount(); ++i) {
            const Actor& a = world.actor(i);
            ASSERT_TRUE(a.position.x >= -512 && a.position.x < 512 && a.position.y > -512 &&
                        a.position.y <= 512 &&
                        Vec2(a.velocity.x, a.velocity.y).length() <= 2 + 1e-12)
                << "actor " << i << ", frame " << frame;
            ASSERT_EQ(world.lastReception(i), lastHeard[i]) << "actor " << i;
            ASSERT_EQ(world.flashing(i), flashes(frame, lastHeard[i])) << "actor " << i;
        }
    }
    EXPECT_EQ(std::make_tuple(world.nodeCount(), world.leaves().size(), world.delivered()),
              std::make_tuple(nodes, leaves, messages));
    Digest digest; // every actor's position and velocity, bit for bit
    for (std::size_t i = 0; i < world.actorCount(); ++i) {
        const Actor& a = world.actor(i);
        for (const double v : {a.position.x, a.position.y, a.velocity.x, a.velocity.y}) {
            digest.add(v);
        }
    }
    EXPECT_EQ(digest.hash, hash) << std::hex << digest.hash;
}

INSTANTIATE_TEST_SUITE_P(EitherBuildAndAFlock, WorldRunTest,
                         ::testing::Values(WorldRun{World::Build::partition, World::Motion::wander,
                                                    100, 201, 128, 21322, 0x1cc07b30d1b04286},
                                           WorldRun{World::Build::builder, World::Motion::wander,
                                                    100, 201, 128, 21322, 0x1cc07b30d1b04286},
                                           WorldRun{World::Build::partition, World::Motion::flock,
                                                    300, 297, 136, 63092, 0x6d9abe9ae2dc9326}));
