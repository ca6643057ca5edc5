#include <engine/quadnode.h>

#include <engine/cell2d.h>

#include "digest.h"
#include "quadtree.h"
#include "smallstack.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <functional>
#include <string>
#include <tuple>
#include <utility>

static const std::int32_t counterAtStart = cellSlotCounter; // read before any test sets one

TEST_F(QuadTreeTest, NothingStrictlyInsideMakesNoCellAndTheCounterSaturates) {
    EXPECT_EQ(counterAtStart, 0) << "the first cell of a process goes south-west";
    const double outside[][2] = {{-512, 0}, {512, 0}, {0, -512}, {0, 512}, {NAN, 0}, {0, INFINITY}};
    for (std::size_t i = 0; i < 6; ++i) {
        place(i + 1, outside[i][0], outside[i][1]);
    }
    TraceCapture quiet;
    EXPECT_EQ(rebuild().problem, ""); // no cell in an empty node, no division
    EXPECT_EQ(cellSlotCounter, 0);
    // Held at its largest rather than wrapped back to the four slots.
    Cell2d cell(0, 0, 1, 1);
    cellSlotCounter = INT32_MAX;
    EXPECT_FALSE(root->setCell(&cell));
    EXPECT_EQ(cellSlotCounter, INT32_MAX);
}

// Below the root each point keeps to the quadrant opposite its first, so all four descend.
TEST_F(QuadTreeTest, CoincidentEntitiesStopAtTheDepthBoundInEveryQuadrantOnASmallStack) {
    for (const double x : {-1e-300, 1e-300}) {
        for (const double y : {-1e-300, 1e-300}) {
            for (std::size_t slot = 1; slot <= 70; ++slot) {
                place(slot, x, y);
            }
            TraceCapture quiet;
            QuadTreeCheck check;
#if defined(__EMSCRIPTEN__)
            check = rebuild();
#else
            ASSERT_TRUE(onSmallStack(64 * 1024, [&] { check = rebuild(); })); // a worker's stack
#endif
            EXPECT_EQ(std::make_tuple(check.problem, check.depth, check.nodes),
                      std::make_tuple("", kQuadTreeMaxDepth, 4 * kQuadTreeMaxDepth + 1));
        }
    }
}

// A NaN or infinite midline holds no quadrant, so such a root stays a leaf; huge finite ones halve.
TEST_F(QuadTreeTest, InfiniteBoundsMakeALeafAndHugeFiniteOnesAreStillHalved) {
    for (std::size_t slot = 1; slot <= 200; ++slot) {
        const double i = static_cast<double>(slot);
        place(slot, slot <= 6 ? i : (std::fmod(i, 20) - 9.5) * 8e306,
              slot <= 6 ? 0 : (std::floor(i / 20) - 4.5) * 1e306);
    }
    const double rects[][4] = {
        {-INFINITY, 512, -INFINITY, 512},      {-INFINITY, 512, -512, 512},
        {-512, INFINITY, -512, 512},           {-512, 512, -512, INFINITY},
        {-1e308, 1e308, -1e308, 1e308},        {-1.7e308, 1.7e308, -9e306, 9e306},
        {-DBL_MAX, DBL_MAX, -1.5e308, 1.6e308}};
    for (const auto& r : rects) {
        const bool infinite = std::any_of(r, r + 4, [](double v) { return std::isinf(v); });
        cellSlotCounter = 0;
        TraceCapture quiet;
        releaseQuadTree(root);
        root = QuadTreeBuilder(r[0], r[1], r[2], r[3], EntityTable);
        EXPECT_EQ(std::make_pair(root->children.size(), root->swCell != nullptr),
                  std::make_pair(infinite ? std::size_t{0} : std::size_t{4}, infinite));
        EXPECT_EQ(checkQuadTree(root, r[0], r[1], r[2], r[3], EntityTable).problem, "");
    }
}

// Recorded trees over multiples of 1/16 (midlines, borders); only four leaf cells a run are stored,
// so each table is rebuilt with the counter four lower until every cell was seen.
TEST_F(QuadTreeTest, FixedTablesBuildTheRecordedTreesAndReadThemOutInTheLayout) {
    for (const auto& [clustered, recordedDigest, recordedNodes, recordedCells] :
         {std::tuple{false, 0x67a532d702cbc70du, 229, 144},
          std::tuple{true, 0x323096070bcffe78u, 509, 114}}) {
        resetEngineGlobals();
        actors.clear();
        std::uint32_t seed = 2026;
        const auto draw = [&seed](std::uint32_t range) {
            seed = seed * 1664525u + 1013904223u;
            return static_cast<double>((seed >> 8) % range);
        };
        for (int i = 0; i < 300; ++i) {
            // Six clusters of points within 2 of their centre, and six points at one spot.
            const double k = i % 6;
            double x = clustered ? k * 150 - 380 + (draw(65) - 32) / 16 : draw(16384) / 16 - 512;
            double y = clustered ? 300 - k * 110 + (draw(65) - 32) / 16 : draw(16384) / 16 - 512;
            if (clustered && i % 50 == 0) {
                x = y = 0.1;
            }
            place(static_cast<std::size_t>(i * 1023 / 299), x, y);
        }
        Digest digest;
        int cells = 0;
        QuadTreeLayout layout; // every build into it starts afresh
        for (std::int32_t start = 0, stored = 1; stored > 0; start -= 4) {
            cellSlotCounter = start;
            TraceCapture capture;
            releaseQuadTree(root);
            root = QuadTreeBuilder(-512, 512, -512, 512, EntityTable, layout);
            // In creation order: each node's trace, place in the layout, children and cells.
            std::size_t seen[2] = {0, 0};
            std::string trace;
            stored = 0;
            const std::function<void(const QuadNode*)> visit = [&](const QuadNode* node) {
                const bool leaf = node->children.empty();
                const std::size_t i = seen[leaf ? 1 : 0]++;
                EXPECT_EQ(leaf ? layout.leaves.at(i).node : layout.divided.at(i).node, node);
                trace += "\n" + addressText(node);
                digest.add(std::uint64_t{node->children.size()});
                for (const Cell2d* cell :
                     {node->nwCell, node->neCell, node->swCell, node->seCell}) {
                    digest.add(std::uint64_t{cell != nullptr});
                    if (cell != nullptr) {
                        ++stored;
                        for (double bound : {cell->minX, cell->maxX, cell->minY, cell->maxY}) {
                            digest.add(bound);
                        }
                        for (std::int32_t k = 0; k < cell->count; ++k) {
                            digest.add(std::uint64_t{cell->entities[k]->getID()});
                        }
                    }
                }
                std::for_each(node->children.begin(), node->children.end(), visit);
                trace += "\nFinished a quad tree iteration.";
            };
            visit(root);
            EXPECT_EQ(capture.text(), trace);
            EXPECT_EQ(std::make_pair(seen[0], seen[1]),
                      std::make_pair(layout.divided.size(), layout.leaves.size()));
            cells += stored;
            digest.add(static_cast<std::uint64_t>(cellSlotCounter));
        }
        TraceCapture quiet;
        const QuadTreeCheck check = rebuild();
        EXPECT_EQ(std::make_tuple(check.problem, check.nodes, cells),
                  std::make_tuple("", recordedNodes, recordedCells));
        EXPECT_EQ(digest.hash, recordedDigest) << std::hex << "digest 0x" << digest.hash;
    }
}
