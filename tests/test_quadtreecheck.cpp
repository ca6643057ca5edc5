#include <engine/quadtreecheck.h>

#include <engine/cell2d.h>

#include "quadtree.h"

#include <cmath>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace {

// The entities of a sound tree and the depth the check reports for it.
struct Tree {
    std::vector<Vec2> points;
    int depth;
};

// Two entities south-west, three north-east and one north-west; the first four, a single leaf.
const Tree kDivided = {{{-100, -100}, {-200, -300}, {100, 100}, {200, 300}, {300, 200}, {-9, 9}},
                       1};
const Tree kLeaf = {{kDivided.points.begin(), kDivided.points.begin() + 4}, 0};
// Coincident just below the north-east corner: divided to the bound, always north-east.
const double kCorner = std::nextafter(512.0, 0);
const Tree kCoincident = {std::vector<Vec2>(5, Vec2(kCorner, kCorner)), 32};

void divideWithoutEntities(QuadNode* node) {
    delete node->swCell;
    node->swCell = nullptr;
    for (int i = 0; i < 4; ++i) {
        node->addChild(new QuadNode());
    }
}

} // namespace

TEST_F(QuadTreeTest, CheckReportsEachBrokenInvariantWithItsNode) {
    struct Fault {
        const Tree& tree;
        std::function<void()> corrupt;
        std::string problem;
    };
    const std::string kFourChildren = "a divided node needs four children and no cell (node 1)";
    const std::string kCount = "a cell's count differs from the entities inside (node 1)";
    const std::string kOrder = "a cell does not hold the entities inside, last first (node 1)";
    double minX = -512;
    const Fault faults[] = {
        {kLeaf, [&] { root->swCell->count = 3; }, kCount},
        {kLeaf, [&] { root->swCell->count = 5; }, kCount},
        // Wrong at the first position only, at the two middle ones, at the last only.
        {kLeaf, [&] { root->swCell->entities[0] = root->swCell->entities[1]; }, kOrder},
        {kLeaf, [&] { std::swap(root->swCell->entities[1], root->swCell->entities[2]); }, kOrder},
        {kLeaf, [&] { root->swCell->entities[3] = root->swCell->entities[2]; }, kOrder},
        {kLeaf, [&] { place(5, 1, 1); }, "an undivided node with five or more entities (node 1)"},
        {kLeaf, [&] { divideWithoutEntities(root); },
         "a node divided with fewer than five entities (node 1)"},
        // Halving from -inf puts the midline at NaN, inside no quadrant.
        {kDivided, [&] { minX = -INFINITY; }, "an entity lies in 0 quadrants (node 1)"},
        {kDivided,
         [&] {
             releaseQuadTree(root->children.back());
             root->children.pop_back();
         },
         kFourChildren},
        {kDivided, [&] { root->addChild(new QuadNode()); }, kFourChildren},
        {kDivided, [&] { root->nwCell = new Cell2d(-512, -512, 512, 512); }, kFourChildren},
        {kDivided, [&] { root->children[2]->neCell = new Cell2d(0, -512, 512, 0); },
         "an empty node holds a cell (node 4)"},
        {kCoincident,
         [&] {
             QuadNode* deepest = root;
             while (!deepest->children.empty()) {
                 deepest = deepest->children.back();
             }
             divideWithoutEntities(deepest);
         },
         "a node deeper than the bound (node 130)"},
    };
    for (const Fault& fault : faults) {
        resetEngineGlobals();
        minX = -512;
        // From slot 0: the global table never uses it, but a table handed in may.
        for (std::size_t i = 0; i < fault.tree.points.size(); ++i) {
            place(i, fault.tree.points[i].x, fault.tree.points[i].y);
        }
        TraceCapture quiet;
        const QuadTreeCheck sound = rebuild();
        ASSERT_EQ(sound.problem, "");
        EXPECT_EQ(sound.depth, fault.tree.depth);
        fault.corrupt();
        EXPECT_EQ(checkQuadTree(root, minX, 512, -512, 512, EntityTable).problem, fault.problem);
    }
}
