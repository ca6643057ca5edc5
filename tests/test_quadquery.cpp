#include <engine/quadquery.h>

#include <engine/actor.h>

#include "capture.h"
#include "layoutscan.h"
#include "tables.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>
#include <random>
#include <vector>

namespace {

using Kind = TestTable::Kind;

using namespace layoutscan;

using QuadQueryTest = TableTest;

} // namespace

TEST_F(QuadQueryTest, EveryQueryFindsWhatAScanOfTheTableFinds) {
    for (const Kind kind : TestTable::kKinds) {
        for (const std::size_t count : {std::size_t{3}, std::size_t{200}, std::size_t{1000}}) {
            TestTable table(kind, count, static_cast<unsigned>(count) * 31U);
            QuadTreeLayout layout;
            partitionQuadTree(kTestWorld, table.slots, layout);
            std::uniform_real_distribution<double> size(0, 300);
            for (int q = 0; q < 60; ++q) {
                SCOPED_TRACE(testing::Message() << "kind " << static_cast<int>(kind) << ", "
                                                << count << " actors, query " << q);
                // Near the table's own points, so that borders, midlines and ties are met.
                const Vec2 at = table.pick(kind, static_cast<std::size_t>(q));
                const double w = q % 5 == 0 ? 0.0 : size(table.random());
                const QuadRect r{at.x - w, at.x + w / 2, at.y - w / 3, at.y + w};
                EXPECT_EQ(queryInRect(layout, r), scanInRect(table.slots, r));
                std::vector<Actor*> within;
                const std::size_t handed = visitWithin(layout, at, w, [&](Actor* a, Vec2 p) {
                    EXPECT_TRUE(same(p, a->getPosition2D())) << "each is handed where it stands";
                    within.push_back(a);
                });
                EXPECT_EQ(handed, within.size());
                EXPECT_EQ(sorted(within), scanWithin(table.slots, at, w));
                EXPECT_EQ(findNearest(layout, at).actor, scanNearest(table.slots, at, nullptr));
                Actor* self = table.slots[static_cast<std::size_t>(q) * 17 % kEntityTableSize];
                const Vec2 from = self == nullptr ? at : self->getPosition2D();
                const QuadNearest other = findNearest(layout, from, self);
                EXPECT_EQ(other.actor, scanNearest(table.slots, from, self));
                if (other.actor != nullptr && !std::isnan(from.x)) {
                    EXPECT_EQ(other.distance, std::sqrt(distance2(other.position, from)));
                }
            }
        }
    }
}

TEST_F(QuadQueryTest, BordersAndMidlinesAreFoundAndTiesGoToTheSmallestIdentifier) {
    TestTable table(Kind::uniform, 0, 5);
    const Vec2 corners[] = {{-512, -512}, {512, 512}, {0, 0}, {0, 300}, {300, 0}, {-512, 40}};
    for (const Vec2 p : corners) {
        table.place(p);
    }
    for (int i = 0; i < 5; ++i) {
        table.place({10.5 + i, 10.5}); // enough to divide the root
    }
    QuadTreeLayout layout;
    partitionQuadTree(kTestWorld, table.slots, layout);
    EXPECT_EQ(queryInRect(layout, kTestWorld).size(), 11U) << "the world's border included";
    EXPECT_EQ(queryInRect(layout, {0, 0, 0, 300}).size(), 2U) << "a rectangle of no width";
    EXPECT_EQ(queryWithin(layout, {0, -150}, 150).size(), 1U) << "the circle included";

    // Four at the same distance from the origin: the first made wins, whichever slot it has.
    TestTable ring(Kind::uniform, 0, 9);
    for (const Vec2 p : {Vec2{0, 5}, Vec2{5, 0}, Vec2{-5, 0}, Vec2{0, -5}}) {
        ring.place(p);
    }
    partitionQuadTree(kTestWorld, ring.slots, layout);
    const Actor* first = scanNearest(ring.slots, {0, 0}, nullptr);
    const QuadNearest nearest = findNearest(layout, {0, 0});
    EXPECT_EQ(nearest.actor, first);
    EXPECT_EQ(nearest.distance, 5.0);
    EXPECT_NE(findNearest(layout, {0, 0}, first).actor, first);
}

TEST_F(QuadQueryTest, NaNFindsNothingAndAVisitorStopsTheQuery) {
    TestTable table(Kind::nan, 400, 11);
    QuadTreeLayout layout;
    partitionQuadTree(kTestWorld, table.slots, layout);
    const double nan = std::nan("");
    EXPECT_EQ(visitInRect(layout, {nan, 512, -512, 512}, QuadVisitor{}), 0U);
    EXPECT_EQ(visitWithin(layout, {nan, 0}, 100, QuadVisitor{}), 0U);
    EXPECT_EQ(visitWithin(layout, {0, 0}, -1, QuadVisitor{}), 0U);
    EXPECT_EQ(visitWithin(layout, {0, 0}, nan, QuadVisitor{}), 0U);
    EXPECT_EQ(findNearest(layout, {0, nan}).actor, nullptr);
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_EQ(visitInRect(layout, {-inf, inf, -inf, inf}, QuadVisitor{}), 300U)
        << "every actor but the hundred with a NaN coordinate";

    int seen = 0;
    const std::size_t handed =
        visitInRect(layout, {-inf, inf, -inf, inf}, [&](Actor*) { return ++seen < 3; });
    EXPECT_EQ(seen, 3);
    EXPECT_EQ(handed, 3U);
    EXPECT_EQ(findNearest(QuadTreeLayout{}, {0, 0}).actor, nullptr) << "a layout never built";
}
