#include "quadnode.h"

#include "actor.h"
#include "capture.h"
#include "cell2d.h"
#include "quadtree_check.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

namespace {

const std::string kFinished = "\nFinished a quad tree iteration.";

// A table of actors placed at given points, released with the fixture.
class QuadTreeTest : public ::testing::Test {
protected:
    void SetUp() override { resetEngineGlobals(); }
    void TearDown() override {
        releaseQuadTree(root);
        resetEngineGlobals();
    }

    Actor* place(std::size_t slot, double x, double y) {
        CoutCapture quiet;
        actors.push_back(std::make_unique<Actor>("a"));
        actors.back()->setPosition(x, y, 0);
        EntityTable[slot] = actors.back().get();
        return actors.back().get();
    }

    QuadNode* build(double minX, double maxX, double minY, double maxY) {
        root = QuadTreeBuilder(minX, maxX, minY, maxY, EntityTable);
        return root;
    }

    void expectSound(double minX, double maxX, double minY, double maxY) {
        const TreeCheck check = checkQuadTree(root, minX, maxX, minY, maxY, EntityTable);
        EXPECT_EQ(check.problem, "");
    }

    std::vector<std::unique_ptr<Actor>> actors;
    QuadNode* root = nullptr;
};

std::size_t occurrences(const std::string& text, const std::string& piece) {
    std::size_t n = 0;
    for (auto at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1)) {
        ++n;
    }
    return n;
}

bool isEmpty(const QuadNode* n) {
    return n->children.empty() && !n->swCell && !n->nwCell && !n->seCell && !n->neCell;
}

} // namespace

TEST_F(QuadTreeTest, SetCellFillsFourSlotsInBuildOrderThenNone) {
    CoutCapture quiet;
    QuadNode node;
    Cell2d cells[5] = {{0, 0, 1, 1}, {0, 0, 1, 1}, {0, 0, 1, 1}, {0, 0, 1, 1}, {0, 0, 1, 1}};
    EXPECT_TRUE(node.setCell(&cells[0]));
    EXPECT_EQ(node.swCell, &cells[0]);
    EXPECT_TRUE(node.setCell(&cells[1]));
    EXPECT_EQ(node.nwCell, &cells[1]);
    EXPECT_TRUE(node.setCell(&cells[2]));
    EXPECT_EQ(node.seCell, &cells[2]);
    EXPECT_TRUE(node.setCell(&cells[3]));
    EXPECT_EQ(node.neCell, &cells[3]);
    EXPECT_FALSE(node.setCell(&cells[4]));
    EXPECT_EQ(cellSlotCounter, 5);
    EXPECT_EQ(node.swCell, &cells[0]);

    // The counter saturates instead of wrapping back to the four slots.
    QuadNode other;
    cellSlotCounter = std::numeric_limits<std::int32_t>::max();
    EXPECT_FALSE(other.setCell(&cells[0]));
    EXPECT_EQ(cellSlotCounter, std::numeric_limits<std::int32_t>::max());
    EXPECT_TRUE(isEmpty(&other));
}

TEST_F(QuadTreeTest, ConstructionTraceAndChildOrder) {
    CoutCapture capture;
    QuadNode parent;
    EXPECT_EQ(capture.text(), "\n" + addressText(&parent));
    QuadNode first;
    QuadNode second;
    parent.addChild(&first);
    parent.addChild(&second);
    ASSERT_EQ(parent.children.size(), 2u);
    EXPECT_EQ(parent.children[0], &first);
    EXPECT_EQ(parent.children[1], &second);
}

TEST_F(QuadTreeTest, EmptyTableOrDegenerateRectangleGivesOneEmptyNode) {
    place(1, 0, 0);
    const double rects[][4] = {{-512, 512, 512, -512}, {5, 5, -1, 1}, {NAN, 1, -1, 1}};
    for (const auto& r : rects) {
        CoutCapture capture;
        QuadNode* node = QuadTreeBuilder(r[0], r[1], r[2], r[3], EntityTable);
        EXPECT_TRUE(isEmpty(node));
        EXPECT_EQ(capture.text(), "\n" + addressText(node) + kFinished);
        releaseQuadTree(node);
    }
    CoutCapture quiet;
    QuadNode* none = QuadTreeBuilder(-1, 1, -1, 1, nullptr);
    EXPECT_TRUE(isEmpty(none));
    releaseQuadTree(none);
    EXPECT_EQ(cellSlotCounter, 0);
}

TEST_F(QuadTreeTest, BorderMidlineAndNaNPositionsAreNeverInside) {
    place(1, 512, 0);
    place(2, 0, -512);
    place(3, NAN, 0);
    place(4, 0, INFINITY);
    CoutCapture quiet;
    EXPECT_TRUE(isEmpty(build(-512, 512, -512, 512)));

    // Five inside, one of them on the vertical midline: it ends up in no quadrant.
    releaseQuadTree(root);
    place(5, 0, 10);
    place(6, -10, 10);
    place(7, -10, 20);
    place(8, -10, 30);
    place(9, -10, 40);
    build(-512, 512, -512, 512);
    ASSERT_EQ(root->children.size(), 4u);
    EXPECT_NE(root->children[1]->swCell, nullptr);
    EXPECT_EQ(root->children[1]->swCell->count, 4);
    expectSound(-512, 512, -512, 512);
}

TEST_F(QuadTreeTest, FourEntitiesMakeALeafFiveDivide) {
    place(1, 1, 1);
    place(2, 2, 2);
    place(3, 3, 3);
    place(10, 4, 4);
    CoutCapture capture;
    build(-512, 512, -512, 512);
    ASSERT_NE(root->swCell, nullptr);
    EXPECT_TRUE(root->children.empty());
    EXPECT_EQ(root->swCell->count, 4);
    EXPECT_EQ(root->swCell->entities[0], EntityTable[10]);
    EXPECT_EQ(root->swCell->entities[3], EntityTable[1]);
    EXPECT_EQ(root->swCell->minX, -512.0);
    EXPECT_EQ(root->swCell->maxY, 512.0);
    expectSound(-512, 512, -512, 512);

    releaseQuadTree(root);
    place(11, 5, 5);
    build(-512, 512, -512, 512);
    EXPECT_EQ(root->children.size(), 4u);
    EXPECT_EQ(root->swCell, nullptr);
    expectSound(-512, 512, -512, 512);
}

TEST_F(QuadTreeTest, ScenarioBuildIsOneLeafWithTheLaterSlotFirst) {
    Actor* first = place(1, 0, 0);
    Actor* second = place(2, -1, 0);
    CoutCapture capture;
    build(-512, 512, -512, 512);
    EXPECT_EQ(capture.text(), "\n" + addressText(root) + kFinished);
    ASSERT_NE(root->swCell, nullptr);
    EXPECT_EQ(root->swCell->count, 2);
    EXPECT_EQ(root->swCell->entities[0], second);
    EXPECT_EQ(root->swCell->entities[1], first);
    EXPECT_EQ(root->nwCell, nullptr);
    EXPECT_TRUE(root->children.empty());
}

TEST_F(QuadTreeTest, FiveEntitiesSplitIntoTwoLeavesAndTwoEmptyQuadrants) {
    place(1, -100, -100);
    place(2, -200, -300);
    place(3, 100, 100);
    place(4, 200, 300);
    place(5, 300, 200);
    CoutCapture capture;
    build(-512, 512, -512, 512);
    ASSERT_EQ(root->children.size(), 4u);
    EXPECT_EQ(root->swCell, nullptr);
    const QuadNode* sw = root->children[0];
    const QuadNode* ne = root->children[3];
    ASSERT_NE(sw->swCell, nullptr);
    EXPECT_EQ(sw->swCell->count, 2);
    EXPECT_EQ(sw->swCell->maxX, 0.0);
    EXPECT_TRUE(isEmpty(root->children[1]));
    EXPECT_TRUE(isEmpty(root->children[2]));
    ASSERT_NE(ne->nwCell, nullptr);
    EXPECT_EQ(ne->nwCell->count, 3);
    EXPECT_EQ(ne->swCell, nullptr);
    EXPECT_EQ(occurrences(capture.text(), kFinished), 5u);
    EXPECT_EQ(checkQuadTree(root, -512, 512, -512, 512, EntityTable).nodes, 5);
    expectSound(-512, 512, -512, 512);
}

TEST_F(QuadTreeTest, FifthLeafCellOfARunIsStoredNowhere) {
    place(1, 1, 1);
    CoutCapture quiet;
    for (int i = 0; i < 4; ++i) {
        releaseQuadTree(build(-512, 512, -512, 512));
        root = nullptr;
    }
    build(-512, 512, -512, 512);
    EXPECT_TRUE(isEmpty(root));
    EXPECT_EQ(cellSlotCounter, 5);
}

TEST_F(QuadTreeTest, CoincidentEntitiesStopAtTheDepthBound) {
    // Near 0 halving would take over a thousand levels to put a midline on the point.
    for (std::size_t slot = 1; slot <= 70; ++slot) {
        place(slot, 1e-300, 1e-300);
    }
    CoutCapture quiet;
    const auto start = std::chrono::steady_clock::now();
    build(-512, 512, -512, 512);
    const auto elapsed = std::chrono::steady_clock::now() - start;
    const TreeCheck check = checkQuadTree(root, -512, 512, -512, 512, EntityTable);
    EXPECT_EQ(check.problem, "");
    EXPECT_EQ(check.depth, kQuadTreeMaxDepth);
    EXPECT_EQ(check.nodes, 4 * kQuadTreeMaxDepth + 1);
    EXPECT_LT(elapsed, std::chrono::seconds(2));
}

TEST_F(QuadTreeTest, SpreadEntitiesSatisfyEveryInvariant) {
    // A fixed lattice with points on quadrant borders and clusters, deterministic.
    std::size_t slot = 1;
    for (int i = 0; i < 31 && slot < kEntityTableSize; ++i) {
        for (int j = 0; j < 33 && slot < kEntityTableSize; ++j, ++slot) {
            place(slot, -512 + 33.0 * i + (j % 3), -512 + 31.0 * j + (i % 5) * 0.5);
        }
    }
    CoutCapture quiet;
    build(-512, 512, -512, 512);
    const TreeCheck check = checkQuadTree(root, -512, 512, -512, 512, EntityTable);
    EXPECT_EQ(check.problem, "");
    EXPECT_GT(check.nodes, 100);
}
