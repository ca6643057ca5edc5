// The demo's world: its actors in the entity table, the leaves found against a scan of each
// leaf's rectangle, the flash against the messages, and the same frames on every target.
#include "demoworld.h"
#include "digest.h"

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

// The actors strictly inside each leaf's rectangle, by scanning them all: the slow way.
std::set<Leaf> scannedLeaves(const World& world) {
    std::set<Leaf> leaves;
    forEachNode(world.tree(), kWorldSquare, [&](const QuadNode& node, const QuadRect& r) {
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

// Every frame on the way to frame 100 against the slow way, and frame 100 against its recorded
// digest: the same on the native build and under wine, so the simulation is bit-identical on both.
TEST_F(WorldTest, FindsEveryLeafAndFlashesEveryTracedReceiverOnTheWayToTheRecordedFrameHundred) {
    World world(World::kDefaultActors);
    std::vector<int> lastHeard(world.actorCount(), -1);
    std::uint64_t delivered = 0;
    for (int frame = 0; frame <= 100; ++frame) {
        if (frame > 0) {
            world.step();
            noteReceptions(world, lastHeard);
            delivered += std::count(lastHeard.begin(), lastHeard.end(), frame);
        }
        std::set<Leaf> found;
        for (const auto& leaf : world.leaves()) {
            EXPECT_TRUE(std::is_sorted(leaf.begin(), leaf.end()));
            found.insert(Leaf(leaf.begin(), leaf.end()));
        }
        ASSERT_EQ(found, scannedLeaves(world)) << "frame " << frame;
        ASSERT_EQ(world.delivered(), delivered) << "frame " << frame;
        for (std::size_t i = 0; i < world.actorCount(); ++i) {
            ASSERT_EQ(world.lastReception(i), lastHeard[i]) << "actor " << i;
            ASSERT_EQ(world.flashing(i), flashes(frame, lastHeard[i])) << "actor " << i;
        }
    }
    EXPECT_EQ(world.dividedNodes().size() * 4 + 1, static_cast<std::size_t>(world.nodeCount()));
    Digest digest;
    for (std::size_t i = 0; i < world.actorCount(); ++i) {
        const Actor& a = world.actor(i);
        for (const double v : {a.position.x, a.position.y, a.velocity.x, a.velocity.y}) {
            digest.add(v);
        }
    }
    EXPECT_EQ(digest.hash, 0x1cc07b30d1b04286ULL) << std::hex << digest.hash;
}
