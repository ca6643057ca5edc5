#include <engine/quadlayout.h>

#include <engine/actor.h>
#include <engine/quadnode.h>
#include <engine/trace.h>

#include "blocks.h"
#include "capture.h"
#include "layoutscan.h"
#include "smallstack.h"
#include "tables.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <string>
#include <vector>

namespace {

using Kind = TestTable::Kind;
using QuadLayoutTest = TableTest;

// The first node whose counts or entities disagree with its rectangle: a divided node's leaves
// and divided nodes are those that follow it inside its rectangle, its midline entities lie on
// a midline strictly inside it, and a leaf's entities strictly inside the leaf.
std::string nodeFault(const QuadTreeLayout& layout) {
    for (std::size_t i = 0; i < layout.divided.size(); ++i) {
        const QuadDivided& d = layout.divided[i];
        const auto inside = [&d](const QuadRect& r) {
            return d.rect.minX <= r.minX && r.maxX <= d.rect.maxX && d.rect.minY <= r.minY &&
                   r.maxY <= d.rect.maxY;
        };
        std::size_t leaves = 0;
        while (d.firstLeaf + leaves < layout.leaves.size() &&
               inside(layout.leaves[d.firstLeaf + leaves].rect)) {
            ++leaves;
        }
        std::size_t divided = 1;
        while (i + divided < layout.divided.size() && inside(layout.divided[i + divided].rect)) {
            ++divided;
        }
        if (leaves != d.leafCount || divided != d.dividedCount) {
            return "divided node " + std::to_string(i) + "'s counts";
        }
        for (std::size_t e = d.first; e < d.first + d.count; ++e) {
            const Vec2 p = layout.midlinePositions.at(e);
            if (!d.rect.surrounds(p.x, p.y) || (p.x != d.rect.midX() && p.y != d.rect.midY())) {
                return "divided node " + std::to_string(i) + "'s midline entities";
            }
        }
    }
    for (const QuadLeaf& leaf : layout.leaves) {
        for (std::size_t e = leaf.first; e < leaf.first + leaf.count; ++e) {
            if (!leaf.rect.surrounds(layout.positions.at(e).x, layout.positions.at(e).y)) {
                return "a leaf's entities";
            }
        }
    }
    return "";
}

// layout holds the last build, so that one left behind in it would show.
void expectTheBuildersLayout(const QuadRect& r, Actor** table, QuadTreeLayout& layout) {
    QuadTreeLayout built;
    partitionQuadTree(r, table, layout);
    {
        const ScopedTraceRoute quiet(TraceRoute::nowhere());
        releaseQuadTree(QuadTreeBuilder(r.minX, r.maxX, r.minY, r.maxY, table, built));
    }
    EXPECT_EQ(layoutscan::differenceBetween(layout, built), "");
    EXPECT_EQ(layoutscan::indexFault(layout), "");
    EXPECT_EQ(nodeFault(layout), "");
    EXPECT_TRUE(layoutscan::holdsEveryActorOnce(layout, table));
    EXPECT_TRUE(layout.divided.empty() || (layout.divided[0].leafCount == layout.leaves.size() &&
                                           layout.divided[0].dividedCount == layout.divided.size()))
        << "the root's counts";
}

} // namespace

TEST_F(QuadLayoutTest, EveryKindOfTableGivesTheBuildersPartitionWithEveryActorOnce) {
    const QuadRect rects[] = {kTestWorld,
                              {-INFINITY, INFINITY, -INFINITY, INFINITY},
                              {-512, 512, -INFINITY, 512},
                              {0, 1e-300, 0, 1e-300},
                              {512, -512, -512, 512},
                              {std::nan(""), 512, -512, 512}};
    QuadTreeLayout layout;
    for (const Kind kind : TestTable::kKinds) {
        for (const std::size_t count : {0U, 4U, 5U, 60U, 1000U}) {
            TestTable table(kind, count, static_cast<unsigned>(count) + 7U);
            for (const QuadRect& r : rects) {
                SCOPED_TRACE(testing::Message() << "kind " << static_cast<int>(kind) << ", "
                                                << count << " actors, rect " << (&r - rects));
                expectTheBuildersLayout(
                    r, count == 0 && kind != Kind::uniform ? nullptr : table.slots, layout);
            }
        }
    }
}

// Boxes reaching the midline of the quadrant passed into from either side, on either axis;
// step 0 passes two levels, then meets one that only the entity of the highest slot, read
// first, lies across.
TEST_F(QuadLayoutTest, AClusterPassesLevelsWholeInEveryQuadrantAsTheBuilderDivides) {
    QuadTreeLayout layout;
    for (const Vec2 sign : {Vec2{1, 1}, Vec2{1, -1}, Vec2{-1, 1}, Vec2{-1, -1}}) {
        for (const double step : {15.0, -15.0, 0.0}) {
            for (const bool across : {false, true}) {
                SCOPED_TRACE(testing::Message()
                             << sign.x << ' ' << sign.y << ' ' << step << ' ' << across);
                TestTable table(Kind::uniform, 0, 8);
                for (int i = 0; i < 41; ++i) {
                    Vec2 p = step == 0.0 ? Vec2{300.0 + i % 5, 300.0 + i % 7}
                                         : Vec2{256 + step * (i % 17), 100.0 + i % 7};
                    p = i < 40 ? p : Vec2{287, 300};
                    p = across ? Vec2{sign.x * p.y, sign.y * p.x}
                               : Vec2{sign.x * p.x, sign.y * p.y};
                    if (i < 40) {
                        table.place(p);
                    } else {
                        table.placeAt(kEntityTableSize - 1, p);
                    }
                }
                expectTheBuildersLayout(kTestWorld, table.slots, layout);
            }
        }
    }
}

#if !defined(__EMSCRIPTEN__)
TEST_F(QuadLayoutTest, APartitionAtTheDepthBoundFitsAWorkerThreadsSmallStack) {
    TestTable table(Kind::stacked, 1000, 19);
    QuadTreeLayout layout;
    ASSERT_TRUE(
        onSmallStack(64 * 1024, [&] { partitionQuadTree(kTestWorld, table.slots, layout); }));
    EXPECT_TRUE(std::any_of(layout.divided.begin(), layout.divided.end(),
                            [](const QuadDivided& d) { return d.depth == kQuadTreeMaxDepth - 1; }));
}
#endif

// Rebuilt into itself over its own root's rectangle (read before emptying), it allocates nothing.
TEST_F(QuadLayoutTest, TheBuildIsSilentLeavesTheCellCounterAloneAndReusesItsStorage) {
    for (const std::size_t count : {std::size_t{3}, std::size_t{1000}}) {
        TestTable table(Kind::clusters, count, 3);
        QuadTreeLayout layout;
        cellSlotCounter = 2;
        TraceCapture trace;
        partitionQuadTree(kTestWorld, table.slots, layout);
        EXPECT_EQ(trace.text(), "");
        EXPECT_EQ(cellSlotCounter, 2);
        const QuadTreeLayout expected = layout;
        const long before = blocksTaken();
        partitionQuadTree(layout.divided.empty() ? layout.leaves.front().rect
                                                 : layout.divided.front().rect,
                          table.slots, layout);
        EXPECT_EQ(blocksTaken(), before) << count;
        EXPECT_EQ(layoutscan::differenceBetween(layout, expected), "") << count;
        layout.clear();
        EXPECT_EQ(layoutscan::differenceBetween(layout, QuadTreeLayout{}), "") << "cleared";
    }
}
