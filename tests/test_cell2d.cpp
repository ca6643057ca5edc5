#include <engine/cell2d.h>

#include <engine/actor.h>

#include "capture.h"

#include <gtest/gtest.h>

#include <algorithm>

TEST(Cell2d, AddKeepsOrderDuplicatesAndNullUntilFull) {
    TraceCapture quiet;
    Actor a("a");
    Actor b("b");
    Cell2d cell(0, 0, 1, 1);
    EXPECT_TRUE(cell.add(&a) && cell.add(&a) && cell.add(nullptr));
    EXPECT_TRUE(cell.entities[1] == &a && cell.entities[2] == nullptr);
    while (cell.count < Cell2d::kCapacity) {
        ASSERT_TRUE(cell.add(&b));
    }
    EXPECT_FALSE(cell.add(&a));
    // A count written outside 0 to 64 never indexes outside the slots.
    cell.count = 1000;
    EXPECT_FALSE(cell.add(&a));
    cell.count = -5;
    EXPECT_TRUE(cell.add(&a));
    EXPECT_EQ(cell.count, 1);
    cell.clear();
    EXPECT_TRUE(cell.count == 0 && std::count(cell.entities, cell.entities + 64, nullptr) == 64);
}
