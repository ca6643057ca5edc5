#include <engine/quadnode.h>

#include <engine/cell2d.h>

#include "digest.h"
#include "quadtree.h"
#include "smallstack.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <string>
#include <tuple>
#include <utility>

namespace {

const std::int32_t counterAtStart = cellSlotCounter; // read before any test sets a cell

bool isEmpty(const QuadNode* n) {
    return n->children.empty() && !n->swCell && !n->nwCell && !n->seCell && !n->neCell;
}

} // namespace

// The slots a build fills, in order, are pinned by the recorded trees below.
TEST_F(QuadTreeTest, NothingStrictlyInsideMakesNoCellAndTheCounterSaturates) {
    EXPECT_EQ(counterAtStart, 0) << "the first cell of a process goes south-west";
    const double outside[][2] = {{-512, 0}, {512, 0}, {0, -512}, {0, 512}, {NAN, 0}, {0, INFINITY}};
    for (std::size_t i = 0; i < 6; ++i) {
        place(i + 1, outside[i][0], outside[i][1]);
    }
    TraceCapture quiet;
    rebuild();
    EXPECT_TRUE(isEmpty(root));
    EXPECT_EQ(cellSlotCounter, 0);
    QuadTreeLayout layout;
    QuadNode* none = QuadTreeBuilder(-1, 1, -1, 1, nullptr, layout); // a null table is empty
    EXPECT_EQ(std::make_tuple(isEmpty(none), layout.leaves.size(), layout.divided.size()),
              std::make_tuple(true, std::size_t{1}, std::size_t{0}));
    releaseQuadTree(none);
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

// A midline at NaN (halving from -inf) or at infinity lies in no quadrant: such a root stays a
// leaf rather than lose its entities. Finite bounds whose width overflows are still halved.
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

namespace {

// A walk in creation order: the trace a build prints (each node's address, its subtree, its
// line), each node's place in the layout's lists, its child count and cells in full.
struct Walk {
    const QuadTreeLayout& layout;
    Digest& digest;
    std::size_t seen[2];
    int cells;
    std::string trace;

    void visit(const QuadNode* node) {
        const bool leaf = node->children.empty();
        const std::size_t i = seen[leaf ? 1 : 0]++;
        EXPECT_EQ(leaf ? layout.leaves.at(i).node : layout.divided.at(i).node, node);
        trace += "\n" + addressText(node);
        digest.add(std::uint64_t{node->children.size()});
        for (const Cell2d* cell : {node->nwCell, node->neCell, node->swCell, node->seCell}) {
            digest.add(std::uint64_t{cell != nullptr});
            if (cell != nullptr) {
                ++cells;
                for (double bound : {cell->minX, cell->maxX, cell->minY, cell->maxY}) {
                    digest.add(bound);
                }
                for (std::int32_t k = 0; k < cell->count; ++k) {
                    digest.add(std::uint64_t{cell->entities[k]->getID()});
                }
            }
        }
        for (const QuadNode* child : node->children) {
            visit(child);
        }
        trace += "\nFinished a quad tree iteration.";
    }
};

} // namespace

// Fixed tables of multiples of 1/16 (so midlines and borders are hit), recorded from the builder
// before its scan was made faster. Only the first four leaf cells of a run are stored, so each
// table is built again, the counter started four lower each time, until every cell was seen.
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
            Walk walk{layout, digest, {0, 0}, 0, {}};
            walk.visit(root);
            EXPECT_EQ(capture.text(), walk.trace);
            EXPECT_EQ(std::make_pair(walk.seen[0], walk.seen[1]),
                      std::make_pair(layout.divided.size(), layout.leaves.size()));
            stored = walk.cells;
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
