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

// Boxes reaching the midline of the quadrant passed into from either side; step 0 passes two
// levels.
TEST_F(QuadLayoutTest, AClusterPassesLevelsWholeInEveryQuadrantAsTheBuilderDivides) {
    QuadTreeLayout layout;
    for (const Vec2 sign : {Vec2{1, 1}, Vec2{1, -1}, Vec2{-1, 1}, Vec2{-1, -1}}) {
        for (const double step : {15.0, -15.0, 0.0}) {
            SCOPED_TRACE(testing::Message() << sign.x << ' ' << sign.y << ' ' << step);
            TestTable table(Kind::uniform, 0, 8);
            for (int i = 0; i < 40; ++i) {
                const Vec2 p = step == 0.0 ? Vec2{300.0 + i % 5, 300.0 + i % 7}
                                           : Vec2{256 + step * (i % 17), 100.0 + i % 7};
                table.place({sign.x * p.x, sign.y * p.y});
            }
            expectTheBuildersLayout(kTestWorld, table.slots, layout);
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
