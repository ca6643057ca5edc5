#include <engine/quadtreecheck.h>

#include <engine/cell2d.h>

#include "quadtree.h"

#include <cmath>
#include <functional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace {

// Two entities south-west, three north-east and one north-west; the first four, a single leaf.
const std::vector<Vec2> kDivided = {{-100, -100}, {-200, -300}, {100, 100},
                                    {200, 300},   {300, 200},   {-9, 9}};
const std::vector<Vec2> kLeaf(kDivided.begin(), kDivided.begin() + 4);
// Coincident just below the north-east corner: divided to the bound, always north-east.
const std::vector<Vec2> kCoincident(5, Vec2(std::nextafter(512.0, 0), std::nextafter(512.0, 0)));

// Divides the last leaf down the last children without moving its entities into quadrants.
void divideWithoutEntities(QuadNode* node) {
    while (!node->children.empty()) {
        node = node->children.back();
    }
    delete node->swCell;
    node->swCell = nullptr;
    for (int i = 0; i < 4; ++i) {
        node->addChild(new QuadNode());
    }
}

} // namespace

TEST_F(QuadTreeTest, CheckReportsEachBrokenInvariantWithItsNode) {
    const std::string kFourChildren = "a divided node needs four children and no cell (node 1)";
    const std::string kCount = "a cell's count differs from the entities inside (node 1)";
    const std::string kOrder = "a cell does not hold the entities inside, last first (node 1)";
    double minX = -512;
    const std::tuple<const std::vector<Vec2>&, std::function<void()>, std::string> faults[] = {
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
        {kDivided, [&] { releaseQuadTree(root->children.back()), root->children.pop_back(); },
         kFourChildren},
        {kDivided, [&] { root->addChild(new QuadNode()); }, kFourChildren},
        {kDivided, [&] { root->nwCell = new Cell2d(-512, -512, 512, 512); }, kFourChildren},
        {kDivided, [&] { root->children[2]->neCell = new Cell2d(0, -512, 512, 0); },
         "an empty node holds a cell (node 4)"},
        {kCoincident, [&] { divideWithoutEntities(root); },
         "a node deeper than the bound (node 130)"},
    };
    for (const auto& [tree, corrupt, problem] : faults) {
        resetEngineGlobals();
        minX = -512;
        // From slot 0: the global table never uses it, but a table handed in may.
        for (std::size_t i = 0; i < tree.size(); ++i) {
            place(i, tree[i].x, tree[i].y);
        }
        TraceCapture quiet;
        ASSERT_EQ(rebuild().problem, "");
        corrupt();
        EXPECT_EQ(checkQuadTree(root, minX, 512, -512, 512, EntityTable).problem, problem);
    }
}
