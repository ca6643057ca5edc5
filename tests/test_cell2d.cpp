#include "cell2d.h"

#include "actor.h"
#include "capture.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

class Cell2dTest : public ::testing::Test {
protected:
    void SetUp() override {
        CoutCapture quiet;
        a = std::make_unique<Actor>("a");
        b = std::make_unique<Actor>("b");
    }
    std::unique_ptr<Actor> a;
    std::unique_ptr<Actor> b;
};

} // namespace

TEST_F(Cell2dTest, ConstructionStoresTheRectangleByName) {
    const Cell2d cell(-512, -256, 512, 256);
    EXPECT_EQ(cell.minX, -512.0);
    EXPECT_EQ(cell.minY, -256.0);
    EXPECT_EQ(cell.maxX, 512.0);
    EXPECT_EQ(cell.maxY, 256.0);
    EXPECT_EQ(cell.count, 0);
    EXPECT_TRUE(cell.name.empty());
    for (const BaseEntity* slot : cell.entities) {
        EXPECT_EQ(slot, nullptr);
    }

    const Cell2d inverted(10, 20, -10, -20);
    EXPECT_EQ(inverted.minX, 10.0);
    EXPECT_EQ(inverted.maxY, -20.0);
}

TEST_F(Cell2dTest, AddKeepsOrderDuplicatesAndNull) {
    Cell2d cell(0, 0, 1, 1);
    EXPECT_TRUE(cell.add(a.get()));
    EXPECT_EQ(cell.entities[0], a.get());
    EXPECT_EQ(cell.count, 1);
    EXPECT_TRUE(cell.add(a.get()));
    EXPECT_TRUE(cell.add(nullptr));
    EXPECT_TRUE(cell.add(b.get()));
    EXPECT_EQ(cell.entities[1], a.get());
    EXPECT_EQ(cell.entities[2], nullptr);
    EXPECT_EQ(cell.entities[3], b.get());
    EXPECT_EQ(cell.count, 4);
}

TEST_F(Cell2dTest, FullCellRefusesWithoutTouchingItsSlots) {
    Cell2d cell(0, 0, 1, 1);
    for (int i = 0; i < Cell2d::kCapacity; ++i) {
        ASSERT_TRUE(cell.add(a.get()));
    }
    EXPECT_EQ(cell.count, 64);
    EXPECT_FALSE(cell.add(b.get()));
    EXPECT_EQ(cell.count, 64);
    for (const BaseEntity* slot : cell.entities) {
        EXPECT_EQ(slot, a.get());
    }

    // A count written past the capacity is refused the same way.
    cell.count = 1000;
    EXPECT_FALSE(cell.add(b.get()));
    cell.count = -5;
    EXPECT_TRUE(cell.add(b.get()));
    EXPECT_EQ(cell.entities[0], b.get());
    EXPECT_EQ(cell.count, 1);
}

TEST_F(Cell2dTest, ClearEmptiesEverySlotAndRestartsAtZero) {
    Cell2d cell(0, 0, 1, 1);
    for (int i = 0; i < 10; ++i) {
        cell.add(a.get());
    }
    cell.clear();
    EXPECT_EQ(cell.count, 0);
    for (const BaseEntity* slot : cell.entities) {
        EXPECT_EQ(slot, nullptr);
    }
    cell.add(b.get());
    EXPECT_EQ(cell.entities[0], b.get());
}
