#include <engine/quadquery.h>

#include <engine/actor.h>

#include "capture.h"
#include "layoutscan.h"
#include "tables.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstddef>
#include <limits>
#include <memory>
#include <new>
#include <random>
#include <vector>

namespace {

using Kind = TestTable::Kind;

using namespace layoutscan;

using QuadQueryTest = TableTest;

// The index of each actor in the order the table made them.
std::vector<std::size_t> madeIndices(const TestTable& table, const std::vector<Actor*>& found) {
    std::vector<std::size_t> indices;
    const auto& all = table.actors();
    for (const Actor* a : found) {
        indices.push_back(static_cast<std::size_t>(
            std::find_if(all.begin(), all.end(), [a](const auto& p) { return p.get() == a; }) -
            all.begin()));
    }
    std::sort(indices.begin(), indices.end());
    return indices;
}

// The layout of a table over a world, without kinds.
QuadTreeLayout built(const TestTable& table, const QuadRect& world = kTestWorld) {
    QuadTreeLayout layout;
    partitionQuadTree(world, table.slots, layout);
    return layout;
}

} // namespace

// Every query, with and without filters, against a scan of the same table.
TEST_F(QuadQueryTest, EveryQueryAndFilterFindsWhatAScanOfTheTableFinds) {
    const QuadFilter filters[] = {{}, {0b101}, {0b010}, {0}, {0b111}};
    std::uniform_real_distribution<double> size(0, 300);
    for (const Kind kind : TestTable::kKinds) {
        for (const std::size_t count :
             {std::size_t{0}, std::size_t{3}, std::size_t{200}, std::size_t{1000}}) {
            TestTable table(kind, count, static_cast<unsigned>(count) * 31U + 3U);
            const QuadTreeLayout plain = built(table);
            QuadTreeLayout layout;
            partitionQuadTree(kTestWorld, table.slots, layout, kindsById);
            for (int q = 0; q < 60; ++q) {
                SCOPED_TRACE(testing::Message() << "kind " << static_cast<int>(kind) << ", "
                                                << count << " actors, query " << q);
                // Near the table's own points, so that borders, midlines and ties are met.
                const Vec2 at = table.pick(kind, static_cast<std::size_t>(q));
                const double w = q % 7 == 0 ? 0.0 : size(table.random());
                const QuadRect r{at.x - w, at.x + w / 2, at.y - w / 3, at.y + w};
                EXPECT_EQ(queryInRect(plain, r), scanInRect(table.slots, r));
                std::vector<Actor*> within;
                const std::size_t handed = visitWithin(plain, at, w, [&](Actor* a, Vec2 p) {
                    EXPECT_TRUE(same(p, a->getPosition2D())) << "each is handed where it stands";
                    within.push_back(a);
                });
                EXPECT_EQ(handed, within.size());
                EXPECT_EQ(sorted(within), scanWithin(table.slots, at, w));
                EXPECT_EQ(findNearest(plain, at).actor, scanNearest(table.slots, at, nullptr));
                Actor* self = table.slots[static_cast<std::size_t>(q) * 17 % kEntityTableSize];
                const Vec2 from = self == nullptr ? at : self->getPosition2D();
                const QuadNearest other = findNearest(plain, from, self);
                EXPECT_EQ(other.actor, scanNearest(table.slots, from, self));
                if (other.actor != nullptr && !std::isnan(from.x)) {
                    EXPECT_EQ(other.distance, std::sqrt(distance2(other.position, from)));
                }

                QuadFilter filter = filters[q % 5];
                filter.leaveOut = q % 2 == 0 ? self : nullptr;
                EXPECT_EQ(queryInRect(layout, r, filter),
                          filtered(scanInRect(table.slots, r), filter));
                EXPECT_EQ(queryWithin(layout, at, w, filter),
                          filtered(scanWithin(table.slots, at, w), filter));
                const std::size_t k = static_cast<std::size_t>(q % 4 == 0 ? 1 : q % 12);
                EXPECT_EQ(queryKNearest(layout, at, k, filter),
                          scanKNearest(table.slots, at, k, filter));
                const std::vector<Actor*> first = scanKNearest(table.slots, at, 1, filter);
                EXPECT_EQ(findNearest(layout, at, filter).actor,
                          first.empty() ? nullptr : first[0]);
            }
        }
    }
}

TEST_F(QuadQueryTest, BordersAndMidlinesAreFound) {
    TestTable table(Kind::uniform, 0, 5);
    for (const Vec2 p : {Vec2{-512, -512}, Vec2{512, 512}, Vec2{0, 0}, Vec2{0, 300}, Vec2{300, 0},
                         Vec2{-512, 40}}) {
        table.place(p);
    }
    for (int i = 0; i < 5; ++i) {
        table.place({10.5 + i, 10.5}); // enough to divide the root
    }
    const QuadTreeLayout layout = built(table);
    EXPECT_EQ(queryInRect(layout, kTestWorld).size(), 11U) << "the world's border included";
    EXPECT_EQ(queryInRect(layout, {0, 0, 0, 300}).size(), 2U) << "a rectangle of no width";
    EXPECT_EQ(queryWithin(layout, {0, -150}, 150).size(), 1U) << "the circle included";
}

TEST_F(QuadQueryTest, NaNFindsNothingAndAVisitorStopsTheQuery) {
    TestTable table(Kind::nan, 400, 11);
    const QuadTreeLayout layout = built(table);
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

TEST_F(QuadQueryTest, KNearestWritesNearestFirstWithTheirDistancesAndNoMoreThanAsked) {
    TestTable table(Kind::uniform, 0, 1);
    for (int i = 5; i > 0; --i) {
        table.place({10.0 * i, 0}); // made farthest first, so that identifiers do not give order
    }
    table.place({-20, 0}); // as far as the second, with a larger identifier
    const QuadTreeLayout layout = built(table);
    std::vector<QuadNearest> out(8);
    ASSERT_EQ(findKNearest(layout, {0, 0}, 3, out.data()), 3U);
    EXPECT_EQ(out[3].actor, nullptr) << "nothing written past k";
    const double distances[] = {10, 20, 20};
    const Actor* expected[] = {table.actors()[4].get(), table.actors()[3].get(),
                               table.actors()[5].get()};
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(out[i].actor, expected[i]) << i;
        EXPECT_EQ(out[i].distance, distances[i]) << i;
        EXPECT_EQ(out[i].id, expected[i]->getID()) << i;
    }
    EXPECT_EQ(findKNearest(layout, {0, 0}, 8, out.data()), 6U) << "fewer where fewer qualify";
    EXPECT_EQ(out[5].distance, 50.0);
    EXPECT_EQ(findKNearest(layout, {0, 0}, 0, out.data()), 0U);
    EXPECT_EQ(findKNearest(layout, {std::nan(""), 0}, 3, out.data()), 0U);
    EXPECT_EQ(findKNearest(QuadTreeLayout{}, {0, 0}, 3, out.data()), 0U) << "a layout never built";
}

// Scaling every coordinate by a power of two rounds every difference, square and root exactly
// as before, so every answer must be the same and every distance scaled, from scales where the
// squares fade below the smallest normal double to those where they overflow.
TEST_F(QuadQueryTest, EveryScaleGivesTheSameAnswersAndScaledDistances) {
    for (const Kind kind : {Kind::uniform, Kind::clusters, Kind::midlines, Kind::borders}) {
        TestTable table(kind, 400, 77);
        const QuadTreeLayout layout = built(table);
        for (const int power : {-1000, -960, -500, 500, 960}) {
            SCOPED_TRACE(testing::Message()
                         << "kind " << static_cast<int>(kind) << ", 2^" << power);
            const double s = std::ldexp(1.0, power);
            TestTable big(Kind::uniform, 0, 1);
            big.copyScaled(table, s);
            const QuadTreeLayout scaled = built(big, {-512 * s, 512 * s, -512 * s, 512 * s});
            for (int q = 0; q < 30; ++q) {
                const Vec2 at = table.pick(kind, static_cast<std::size_t>(q));
                const Vec2 atScaled{at.x * s, at.y * s};
                const double w = 10.0 * (q % 9);
                std::vector<QuadNearest> one(5);
                std::vector<QuadNearest> other(5);
                const std::size_t n = findKNearest(layout, at, 5, one.data());
                ASSERT_EQ(findKNearest(scaled, atScaled, 5, other.data()), n);
                for (std::size_t i = 0; i < n; ++i) {
                    EXPECT_EQ(madeIndices(big, {other[i].actor}),
                              madeIndices(table, {one[i].actor}));
                    EXPECT_EQ(other[i].distance, one[i].distance * s) << i;
                }
                EXPECT_EQ(madeIndices(big, queryWithin(scaled, atScaled, w * s)),
                          madeIndices(table, queryWithin(layout, at, w)));
                const QuadRect r{at.x - w, at.x + w, at.y - w, at.y + w};
                EXPECT_EQ(madeIndices(big, queryInRect(scaled, {r.minX * s, r.maxX * s, r.minY * s,
                                                                r.maxY * s})),
                          madeIndices(table, queryInRect(layout, r)));
            }
        }
    }
}

TEST_F(QuadQueryTest, TheTrueOrderAndDistanceFromSubnormalsToTheLargestDoubles) {
    struct Case {
        Vec2 point;
        Vec2 farther; // made first, so that a tie on identifiers would pick it
        Vec2 nearer;
        double farDistance;
        double nearDistance;
    };
    const double inf = std::numeric_limits<double>::infinity();
    const Case cases[] = {
        {{0, 0}, {2e200, 0}, {1e200, 0}, 2e200, 1e200},
        {{0, 0}, {0, -3e-170}, {1e-170, 0}, 3e-170, 1e-170},
        {{0, 0}, {3e-320, 0}, {0, 1e-320}, 3e-320, 1e-320},
        {{-DBL_MAX, 0}, {DBL_MAX, 0}, {DBL_MAX / 2, 0}, inf, inf},
        {{0, -DBL_MAX}, {0, DBL_MAX / 2}, {DBL_MAX, -DBL_MAX}, inf, DBL_MAX},
    };
    const QuadRect worlds[] = {kTestWorld, {-DBL_MAX, DBL_MAX, -DBL_MAX, DBL_MAX}};
    for (const Case& c : cases) {
        for (const QuadRect& world : worlds) {
            SCOPED_TRACE(testing::Message()
                         << c.nearer.x << ' ' << c.nearer.y << " world " << world.maxX);
            TestTable table(Kind::uniform, 0, 3);
            table.place(c.farther);
            table.place(c.nearer);
            const QuadTreeLayout layout = built(table, world);
            std::vector<QuadNearest> out(2);
            ASSERT_EQ(findKNearest(layout, c.point, 2, out.data()), 2U);
            EXPECT_EQ(out[0].actor, table.actors()[1].get());
            EXPECT_EQ(out[0].distance, c.nearDistance);
            EXPECT_EQ(out[1].distance, c.farDistance);
            EXPECT_EQ(findNearest(layout, c.point).actor, table.actors()[1].get());
            const double between = c.nearDistance / 2 + c.farDistance / 2;
            if (std::isfinite(between)) {
                EXPECT_EQ(queryWithin(layout, c.point, between).size(), 1U)
                    << "a disc between the two holds the nearer alone";
                EXPECT_EQ(queryWithin(layout, c.point, c.nearDistance).size(), 1U)
                    << "the circle included";
            }
        }
    }
}

TEST_F(QuadQueryTest, AFilterByKindSkipsWhatItDoesNotAskFor) {
    TestTable table(Kind::uniform, 0, 2);
    table.place({1, 1});   // prey, nearest
    table.place({5, 5});   // predator
    table.place({-30, 0}); // prey
    table.place({600, 0}); // predator, outside the world
    QuadTreeLayout layout;
    const Actor* predator1 = table.actors()[1].get();
    const Actor* predator2 = table.actors()[3].get();
    int asked = 0;
    partitionQuadTree(kTestWorld, table.slots, layout, [&](const Actor& a) {
        ++asked;
        return &a == predator1 || &a == predator2 ? 2U : 1U;
    });
    EXPECT_EQ(asked, 4) << "each actor's kinds read once, at the build";
    EXPECT_EQ(findNearest(layout, {0, 0}, QuadFilter{2}).actor, predator1);
    EXPECT_EQ(findNearest(layout, {0, 0}, QuadFilter{2, predator1}).actor, predator2)
        << "the outside entities are filtered too";
    EXPECT_EQ(visitInRect(layout, {-1000, 1000, -1000, 1000}, QuadVisitor{}, QuadFilter{2}), 2U);
}

// A query reads only its layout: an actor destroyed after the build is never read, and one
// made anew in its storage, with another identifier, changes no answer.
TEST_F(QuadQueryTest, AQueryReadsNoActorSoOneDestroyedAfterTheBuildChangesNoAnswer) {
    TestTable table(Kind::uniform, 0, 4);
    for (const Vec2 p : {Vec2{0, 5}, Vec2{5, 0}, Vec2{-5, 0}, Vec2{0, -5}, Vec2{3, 4}}) {
        table.place(p); // five at the same distance from the origin: the first made wins
    }
    const QuadTreeLayout layout = built(table);
    Actor* first = table.actors()[0].get();
    const std::uint32_t firstId = first->getID();
    {
        TraceCapture quiet;
        first->~Actor();
        new (first) Actor("reborn"); // a larger identifier now, at the same address
    }
    const QuadNearest nearest = findNearest(layout, {0, 0});
    EXPECT_EQ(nearest.actor, first);
    EXPECT_EQ(nearest.id, firstId) << "the identifier as the build read it";
    std::vector<QuadNearest> out(5);
    ASSERT_EQ(findKNearest(layout, {0, 0}, 5, out.data()), 5U);
    EXPECT_EQ(out[0].actor, first);
    EXPECT_EQ(out[1].actor, table.actors()[1].get());
}

// The order a game sees stays the one it saw before the index: a small subtree hands its leaves'
// entities before its midline entities, a larger one each node's midline entities first.
TEST_F(QuadQueryTest, AVisitHandsEntitiesInTheLayoutsOrder) {
    for (const int extra : {0, 20}) {
        TestTable table(Kind::uniform, 0, 6);
        table.place({0, 100}); // on the root's midline
        for (int i = 0; i < 5 + extra; ++i) {
            table.place({-100.3 - 7.1 * i, -200.7 - 9.3 * i});
        }
        const QuadTreeLayout layout = built(table);
        std::vector<Actor*> order;
        visitInRect(layout, kTestWorld, [&order](Actor* a) { order.push_back(a); });
        ASSERT_EQ(order.size(), table.actors().size());
        const Actor* onMidline = table.actors()[0].get();
        EXPECT_EQ(extra == 0 ? order.back() : order.front(), onMidline) << extra;
        std::vector<Actor*> leaves(layout.entities);
        order.erase(std::remove(order.begin(), order.end(), onMidline), order.end());
        EXPECT_EQ(order, leaves) << "the leaves' entities in the layout's order";
    }
}
