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
#include <cstring>
#include <limits>
#include <string>
#include <vector>

namespace {

using Kind = TestTable::Kind;
using layoutscan::differenceBetween;
using layoutscan::holdsEveryActorOnce;

// The builder's own layout over the same rectangle and table, its tree released.
QuadTreeLayout builderLayout(const QuadRect& r, Actor** table) {
    const ScopedTraceRoute quiet(TraceRoute::nowhere());
    QuadTreeLayout layout;
    releaseQuadTree(QuadTreeBuilder(r.minX, r.maxX, r.minY, r.maxY, table, layout));
    return layout;
}

using QuadLayoutTest = TableTest;

} // namespace

TEST_F(QuadLayoutTest, EveryKindOfTableGivesTheBuildersPartitionWithEveryActorOnce) {
    const double inf = std::numeric_limits<double>::infinity();
    const QuadRect rects[] = {kTestWorld,
                              {-inf, inf, -inf, inf},
                              {-512, 512, -inf, 512},
                              {0, 1e-300, 0, 1e-300},
                              {512, -512, -512, 512},
                              {std::nan(""), 512, -512, 512}};
    for (const Kind kind : TestTable::kKinds) {
        for (const std::size_t count :
             {std::size_t{0}, std::size_t{4}, std::size_t{5}, std::size_t{60}, std::size_t{1000}}) {
            TestTable table(kind, count, static_cast<unsigned>(count) + 7U);
            for (const QuadRect& r : rects) {
                SCOPED_TRACE(testing::Message() << "kind " << static_cast<int>(kind) << ", "
                                                << count << " actors, rect " << (&r - rects));
                QuadTreeLayout layout;
                partitionQuadTree(r, table.slots, layout);
                EXPECT_EQ(differenceBetween(layout, builderLayout(r, table.slots)), "");
                EXPECT_TRUE(holdsEveryActorOnce(layout, table.slots));
            }
        }
    }
}

TEST_F(QuadLayoutTest, TheDepthBoundAndMidlinesSplitAsTheBuilderDoes) {
    TestTable table(Kind::uniform, 0, 1);
    for (int i = 0; i < 6; ++i) {
        table.place({0.1, 0.1}); // six at one point: divided down to the depth bound
        table.place({0, 100});   // on the root's north-south midline
    }
    table.place({0, 0}); // on both
    QuadTreeLayout layout;
    partitionQuadTree(kTestWorld, table.slots, layout);
    ASSERT_FALSE(layout.divided.empty());
    EXPECT_EQ(layout.divided.front().count, 7U) << "seven on the root's midlines";
    EXPECT_EQ(layout.divided.back().depth, kQuadTreeMaxDepth - 1);
    EXPECT_EQ(layout.leaves.size(), 3 * layout.divided.size() + 1);
    EXPECT_EQ(layout.divided.front().leafCount, layout.leaves.size());
}

#if !defined(__EMSCRIPTEN__)
TEST_F(QuadLayoutTest, APartitionAtTheDepthBoundFitsAWorkerThreadsSmallStack) {
    TestTable table(Kind::stacked, 1000, 19);
    QuadTreeLayout layout;
    ASSERT_TRUE(
        onSmallStack(64 * 1024, [&] { partitionQuadTree(kTestWorld, table.slots, layout); }));
    EXPECT_EQ(std::max_element(
                  layout.divided.begin(), layout.divided.end(),
                  [](const QuadDivided& a, const QuadDivided& b) { return a.depth < b.depth; })
                  ->depth,
              kQuadTreeMaxDepth - 1);
}
#endif

TEST_F(QuadLayoutTest, TheBuildIsSilentLeavesTheCellCounterAloneAndReusesItsStorage) {
    TestTable table(Kind::clusters, 1000, 3);
    QuadTreeLayout layout;
    cellSlotCounter = 2;
    {
        TraceCapture trace;
        partitionQuadTree(kTestWorld, table.slots, layout);
        EXPECT_EQ(trace.text(), "");
    }
    EXPECT_EQ(cellSlotCounter, 2);
    const long before = blocksTaken();
    partitionQuadTree(kTestWorld, table.slots, layout);
    EXPECT_EQ(blocksTaken(), before) << "a second build into the same layout allocates nothing";
    partitionQuadTree(kTestWorld, nullptr, layout);
    EXPECT_EQ(layout.leaves.size(), 1U) << "a null table is empty";
    EXPECT_TRUE(layout.entities.empty() && layout.outside.empty() && layout.divided.empty());
}

TEST_F(QuadLayoutTest, AWorldThatIsOneOfTheLayoutsOwnRectanglesIsReadBeforeItIsEmptied) {
    for (const std::size_t count : {std::size_t{3}, std::size_t{200}}) {
        TestTable table(Kind::uniform, count, 41);
        QuadTreeLayout layout;
        partitionQuadTree(kTestWorld, table.slots, layout);
        const QuadTreeLayout expected = layout;
        // Last frame's root, whether it divided or stayed a leaf, as this frame's world.
        const QuadRect& root =
            layout.divided.empty() ? layout.leaves.front().rect : layout.divided.front().rect;
        partitionQuadTree(root, table.slots, layout);
        EXPECT_EQ(differenceBetween(layout, expected), "") << count << " actors";
    }
}

// A cluster that passes levels whole, by its box, in each quadrant, with its box reaching the
// midline of the quadrant it passes into from either side.
TEST_F(QuadLayoutTest, AClusterPassesLevelsWholeInEveryQuadrantAsTheBuilderDivides) {
    for (const Vec2 sign : {Vec2{1, 1}, Vec2{1, -1}, Vec2{-1, 1}, Vec2{-1, -1}}) {
        for (const double step : {15.0, -15.0, 0.0}) {
            TestTable table(Kind::uniform, 0, 8);
            for (int i = 0; i < 40; ++i) {
                // A step of 0 makes a tight cluster, which passes two levels by its box.
                const Vec2 p = step == 0.0 ? Vec2{300.0 + i % 5, 300.0 + i % 7}
                                           : Vec2{256 + step * (i % 17), 100.0 + i % 7};
                table.place({sign.x * p.x, sign.y * p.y});
            }
            QuadTreeLayout layout;
            partitionQuadTree(kTestWorld, table.slots, layout);
            EXPECT_EQ(differenceBetween(layout, builderLayout(kTestWorld, table.slots)), "")
                << sign.x << ' ' << sign.y << ' ' << step;
        }
    }
}
