#include <engine/quadnode.h>

#include <engine/cell2d.h>

#include "digest.h"
#include "quadtree.h"
#include "smallstack.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <tuple>
#include <vector>

namespace {

const std::string kFinished = "\nFinished a quad tree iteration.";

const std::int32_t counterAtStart = cellSlotCounter; // read before any test sets a cell

bool isEmpty(const QuadNode* n) {
    return n->children.empty() && !n->swCell && !n->nwCell && !n->seCell && !n->neCell;
}

} // namespace

TEST_F(QuadTreeTest, SetCellFillsFourSlotsInBuildOrderThenNone) {
    EXPECT_EQ(counterAtStart, 0) << "the first cell of a process goes south-west";
    TraceCapture quiet;
    QuadNode node;
    Cell2d cell(0, 0, 1, 1);
    Cell2d** const order[] = {&node.swCell, &node.nwCell, &node.seCell, &node.neCell};
    for (Cell2d** slot : order) {
        EXPECT_TRUE(node.setCell(&cell));
        EXPECT_EQ(*slot, &cell);
    }
    QuadNode other;
    EXPECT_FALSE(other.setCell(&cell));
    EXPECT_EQ(cellSlotCounter, 5);
    EXPECT_TRUE(isEmpty(&other));

    // The counter saturates instead of wrapping back to the four slots.
    cellSlotCounter = std::numeric_limits<std::int32_t>::max();
    EXPECT_FALSE(other.setCell(&cell));
    EXPECT_EQ(cellSlotCounter, std::numeric_limits<std::int32_t>::max());
}

TEST_F(QuadTreeTest, NothingInsideGivesOneEmptyNode) {
    place(1, 0, 0);
    place(2, 512, 0);
    const double rects[][4] = {{-512, 512, 512, -512}, {5, 5, -1, 1}, {NAN, 1, -1, 1}};
    TraceCapture quiet;
    for (const auto& r : rects) {
        QuadNode* node = QuadTreeBuilder(r[0], r[1], r[2], r[3], EntityTable);
        EXPECT_TRUE(isEmpty(node));
        releaseQuadTree(node);
    }
    QuadNode* none = QuadTreeBuilder(-1, 1, -1, 1, nullptr);
    EXPECT_TRUE(isEmpty(none));
    releaseQuadTree(none);
    // Border, NaN and infinite positions are never inside.
    EntityTable[1] = nullptr;
    place(3, 0, -512);
    place(6, 0, 512);
    place(4, NAN, 0);
    place(5, 0, INFINITY);
    rebuild();
    EXPECT_TRUE(isEmpty(root));
    EXPECT_EQ(cellSlotCounter, 0);
}

TEST_F(QuadTreeTest, CoincidentEntitiesStopAtTheDepthBoundInEveryQuadrant) {
    // Near 0, halving would take over a thousand levels to put a midline on the point. Below
    // the root each point keeps to the quadrant opposite its first, so all four are descended.
    for (const double x : {-1e-300, 1e-300}) {
        for (const double y : {-1e-300, 1e-300}) {
            for (std::size_t slot = 1; slot <= 70; ++slot) {
                place(slot, x, y);
            }
            TraceCapture quiet;
            const QuadTreeCheck check = rebuild();
            EXPECT_EQ(check.problem, "");
            EXPECT_EQ(check.depth, 32);
            EXPECT_EQ(check.nodes, 4 * 32 + 1);
        }
    }
}

TEST_F(QuadTreeTest, InfiniteBoundsMakeALeafInsteadOfLosingTheEntities) {
    // Halving (-inf, 512) gives a NaN midline, (-512, inf) an infinite one: no quadrant could
    // hold an entity against either.
    for (std::size_t slot = 1; slot <= 6; ++slot) {
        place(slot, static_cast<double>(slot), 0);
    }
    const double inf = std::numeric_limits<double>::infinity();
    for (const auto& r : {std::array<double, 4>{-inf, 512, -inf, 512},
                          {-inf, 512, -512, 512},
                          {-512, inf, -512, 512},
                          {-512, 512, -512, inf}}) {
        releaseQuadTree(root);
        cellSlotCounter = 0;
        TraceCapture quiet;
        root = QuadTreeBuilder(r[0], r[1], r[2], r[3], EntityTable);
        EXPECT_NE(root->swCell, nullptr);
        EXPECT_EQ(checkQuadTree(root, r[0], r[1], r[2], r[3], EntityTable).problem, "");
    }
}

TEST_F(QuadTreeTest, FiniteBoundsTooFarApartToSubtractAreStillHalved) {
    // 2e308 overflows to infinity, but the rectangle is finite: its midlines lie at 0, and every
    // entity off them must reach a leaf. Where the width is finite the system's midpoint,
    // min + (max - min) / 2, stands bit for bit: for (0.1, 0.7) it is not min / 2 + max / 2.
    std::uint32_t seed = 7;
    for (std::size_t slot = 1; slot <= 200; ++slot) {
        seed = seed * 1664525u + 1013904223u;
        const double x = (static_cast<double>(seed >> 8) - 8388608.0) * 1e300;
        const double y = (static_cast<double>((seed * 31u) >> 8) - 8388608.0) * 1e300;
        place(slot, x, y);
    }
    for (const auto& r : {std::array<double, 4>{-1e308, 1e308, -1e308, 1e308},
                          {-1.7e308, 1.7e308, -9e306, 9e306},
                          {-1.7976931348623157e308, 1.7976931348623157e308, -1.5e308, 1.6e308}}) {
        TraceCapture quiet;
        releaseQuadTree(root);
        root = QuadTreeBuilder(r[0], r[1], r[2], r[3], EntityTable);
        EXPECT_EQ(root->children.size(), 4u) << r[0] << " to " << r[1];
        EXPECT_EQ(checkQuadTree(root, r[0], r[1], r[2], r[3], EntityTable).problem, "");
    }
    EXPECT_NE(0.1 + (0.7 - 0.1) / 2, 0.1 / 2 + 0.7 / 2);
    resetEngineGlobals();
    for (std::size_t slot = 1; slot <= 5; ++slot) {
        place(slot, 0.1 + static_cast<double>(slot) * 0.1, 0.4);
    }
    TraceCapture quiet;
    releaseQuadTree(root);
    root = QuadTreeBuilder(0.1, 0.7, 0.1, 0.7, EntityTable);
    EXPECT_EQ(checkQuadTree(root, 0.1, 0.7, 0.1, 0.7, EntityTable).problem, "");
}

#if !defined(__EMSCRIPTEN__)
TEST_F(QuadTreeTest, ABuildAtTheDepthBoundFitsAWorkerThreadsSmallStack) {
    // 0.1 is no sum of powers of two: no midline ever lands on it, so eight actors there
    // divide down to the depth bound.
    for (std::size_t slot = 1; slot <= 8; ++slot) {
        place(slot, 0.1, 0.1);
    }
    TraceCapture quiet;
    ASSERT_TRUE(onSmallStack(
        64 * 1024, [this] { root = QuadTreeBuilder(-512, 512, -512, 512, EntityTable); }));
    const QuadTreeCheck check = checkQuadTree(root, -512, 512, -512, 512, EntityTable);
    EXPECT_EQ(check.problem, "");
    EXPECT_EQ(check.depth, kQuadTreeMaxDepth);
}
#endif

namespace {

// Nodes in creation order: for each, its child count and its four cell slots in full.
int digestTree(const QuadNode* node, Digest& digest) {
    int stored = 0;
    digest.add(std::uint64_t{node->children.size()});
    for (const Cell2d* cell : {node->nwCell, node->neCell, node->swCell, node->seCell}) {
        digest.add(std::uint64_t{cell != nullptr});
        if (cell != nullptr) {
            ++stored;
            for (double bound : {cell->minX, cell->maxX, cell->minY, cell->maxY}) {
                digest.add(bound);
            }
            for (std::int32_t i = 0; i < cell->count; ++i) {
                digest.add(std::uint64_t{cell->entities[i]->getID()});
            }
        }
    }
    for (const QuadNode* child : node->children) {
        stored += digestTree(child, digest);
    }
    return stored;
}

// The trace a build must print: each node's address at its creation, its subtree, its line.
std::string buildTrace(const QuadNode* node) {
    std::string trace = "\n" + addressText(node);
    for (const QuadNode* child : node->children) {
        trace += buildTrace(child);
    }
    return trace + kFinished;
}

} // namespace

// Fixed tables of exact coordinates (multiples of 1/16, so midlines and borders are hit), spread
// from the first table slot to the last with empty slots between them, recorded from the builder
// before its scan was made faster. Only the first four leaf cells of a run are stored, so the table
// is built again with the counter started four lower each time until every leaf's cell has been
// seen.
TEST_F(QuadTreeTest, FixedTablesBuildTheRecordedTrees) {
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
        for (std::int32_t start = 0, stored = 1; stored > 0; start -= 4) {
            cellSlotCounter = start;
            TraceCapture capture;
            releaseQuadTree(root);
            root = QuadTreeBuilder(-512, 512, -512, 512, EntityTable);
            EXPECT_EQ(capture.text(), buildTrace(root));
            stored = digestTree(root, digest);
            cells += stored;
            digest.add(static_cast<std::uint64_t>(cellSlotCounter));
        }
        TraceCapture quiet;
        const QuadTreeCheck check = rebuild();
        EXPECT_EQ(check.problem, "");
        EXPECT_EQ(check.nodes, recordedNodes);
        EXPECT_EQ(cells, recordedCells);
        EXPECT_EQ(digest.hash, recordedDigest) << std::hex << "digest 0x" << digest.hash;
    }
}

namespace {

// The tree's nodes in creation order, which is the layout's, divided nodes and leaves apart.
void collectNodes(const QuadNode* node, std::vector<const QuadNode*>& divided,
                  std::vector<const QuadNode*>& leaves) {
    (node->children.empty() ? leaves : divided).push_back(node);
    for (const QuadNode* child : node->children) {
        collectNodes(child, divided, leaves);
    }
}

// The layout read against the tree: the same nodes, each leaf's cell holding the leaf's
// rectangle and entities; and against the game's partition, which the partition's tests hold
// to the system's rule and to a scan of the table.
void expectLayoutOfTree(const QuadTreeLayout& layout, const QuadNode* root) {
    std::vector<const QuadNode*> divided;
    std::vector<const QuadNode*> leaves;
    collectNodes(root, divided, leaves);
    ASSERT_EQ(divided.size(), layout.divided.size());
    ASSERT_EQ(leaves.size(), layout.leaves.size());
    for (std::size_t i = 0; i < divided.size(); ++i) {
        EXPECT_EQ(layout.divided[i].node, divided[i]);
    }
    for (std::size_t i = 0; i < leaves.size(); ++i) {
        const QuadLeaf& l = layout.leaves[i];
        EXPECT_EQ(l.node, leaves[i]);
        for (const Cell2d* cell :
             {l.node->swCell, l.node->nwCell, l.node->seCell, l.node->neCell}) {
            if (cell != nullptr) {
                EXPECT_EQ(std::make_tuple(cell->minX, cell->maxX, cell->minY, cell->maxY),
                          std::make_tuple(l.rect.minX, l.rect.maxX, l.rect.minY, l.rect.maxY));
                ASSERT_EQ(static_cast<std::size_t>(cell->count), l.count);
                EXPECT_TRUE(std::equal(cell->entities, cell->entities + cell->count,
                                       layout.entities.begin() + static_cast<long>(l.first)));
            }
        }
    }
}

} // namespace

TEST_F(QuadTreeTest, ABuildReadsOutEveryLeafAndDividedNodeWithTheSameTrace) {
    std::uint32_t seed = 11;
    for (std::size_t slot = 1; slot < kEntityTableSize; slot += 2) {
        seed = seed * 1664525u + 1013904223u;
        // Multiples of 1/4 in a corner of the square, so that midlines and borders are hit.
        place(slot, static_cast<double>(seed >> 22) / 4 - 200,
              static_cast<double>(seed % 1024) / 4);
    }
    place(2, 0.1, 0.1); // with five more: down to the depth bound
    for (std::size_t slot = 4; slot <= 12; slot += 2) {
        place(slot, 0.1, 0.1);
    }
    QuadTreeLayout layout;
    for (int round = 0; round < 2; ++round) { // a second build into the same layout starts afresh
        cellSlotCounter = 0;
        TraceCapture capture;
        releaseQuadTree(root);
        root = QuadTreeBuilder(-512, 512, -512, 512, EntityTable, layout);
        EXPECT_EQ(capture.text(), buildTrace(root));
        expectLayoutOfTree(layout, root);
    }
    EXPECT_EQ(layout.leaves.size(), 3 * layout.divided.size() + 1);
    EXPECT_EQ(
        std::max_element(layout.leaves.begin(), layout.leaves.end(),
                         [](const QuadLeaf& a, const QuadLeaf& b) { return a.depth < b.depth; })
            ->depth,
        kQuadTreeMaxDepth);

    // An empty table and a null table: one empty leaf, the root.
    TraceCapture quiet;
    QuadNode* none = QuadTreeBuilder(-1, 1, -1, 1, nullptr, layout);
    ASSERT_EQ(layout.leaves.size(), 1u);
    EXPECT_EQ(std::make_tuple(layout.leaves[0].node, layout.leaves[0].count, layout.divided.size()),
              std::make_tuple(static_cast<const QuadNode*>(none), std::size_t{0}, std::size_t{0}));
    releaseQuadTree(none);
}
