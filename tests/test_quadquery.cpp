#include <engine/quadquery.h>

#include <engine/actor.h>
#include <engine/baseentity.h>

#include "capture.h"
#include "layoutscan.h"
#include "tables.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstddef>
#include <functional>
#include <iterator>
#include <new>
#include <random>
#include <tuple>
#include <vector>

namespace {

using Kind = TestTable::Kind;
using namespace layoutscan;
using QuadQueryTest = TableTest;

// The actors in the other table's slots that these hold in their own, sorted.
std::vector<Actor*> twins(const TestTable& from, const TestTable& to, std::vector<Actor*> found) {
    for (Actor*& a : found) {
        a = to.slots[std::find(std::begin(from.slots), std::end(from.slots), a) -
                     std::begin(from.slots)];
    }
    return sorted(found);
}

QuadTreeLayout built(const TestTable& table, const QuadRect& world = kTestWorld) {
    QuadTreeLayout layout;
    partitionQuadTree(world, table.slots, layout);
    return layout;
}

using Found = std::vector<std::tuple<Actor*, double, std::uint32_t>>;

// What findKNearest writes (actor, distance, identifier) over answers an earlier query left, as a
// game's kept array holds them, checked to write nothing past its count.
Found nearest(const QuadTreeLayout& layout, Vec2 p, std::size_t k) {
    QuadNearest earlier;
    earlier.distance = 0.5;
    std::vector<QuadNearest> out(k + 1, earlier);
    const std::size_t count = findKNearest(layout, p, k, out.data());
    EXPECT_TRUE(out[count].actor == nullptr && out[count].distance == 0.5)
        << "written past the count";
    Found found;
    for (std::size_t i = 0; i < count; ++i) {
        found.emplace_back(out[i].actor, out[i].distance, out[i].id);
    }
    return found;
}

} // namespace

// Near the points, to meet borders, midlines and ties; a copy scaled by 2^n, squares fading or
// overflowing, gives the same answers.
TEST_F(QuadQueryTest, EveryQueryAndFilterFindsWhatAScanOfTheTableFindsAtEveryScale) {
    const QuadFilter filters[] = {{}, {0b101}, {0b010}, {0}, {0b111}};
    const double widths[] = {0, -1, std::nan(""), INFINITY};
    const int powers[] = {-1000, -960, -500, 500, 960};
    std::uniform_real_distribution<double> size(0, 300);
    QuadTreeLayout layout; // each build into the last one's, so that what it left would show
    for (const Kind kind : TestTable::kKinds) {
        for (const std::size_t count : {0U, 3U, 200U, 1000U}) {
            TestTable table(kind, count, static_cast<unsigned>(count) * 31U + 3U);
            partitionQuadTree(kTestWorld, table.slots, layout, kindsById);
            const double s = std::ldexp(1.0, powers[(count + static_cast<std::size_t>(kind)) % 5]);
            TestTable big(Kind::uniform, 0, 1);
            big.copyScaled(table, s);
            const QuadTreeLayout scaled = built(big, {-512 * s, 512 * s, -512 * s, 512 * s});
            for (int q = 0; q < 60; ++q) {
                SCOPED_TRACE(testing::Message() << "kind " << static_cast<int>(kind) << ", "
                                                << count << " actors, query " << q << ", x" << s);
                const Vec2 at = table.pick(kind, static_cast<std::size_t>(q));
                const double w = q % 6 == 5 ? widths[q / 6 % 4] : size(table.random());
                const QuadRect r{at.x - w, at.x + w / 2, at.y - w / 3, at.y + w};
                Actor* self = table.slots[static_cast<std::size_t>(q) * 17 % kEntityTableSize];
                QuadFilter filter = filters[q % 5];
                filter.leaveOut = q % 2 == 0 ? self : nullptr;
                EXPECT_EQ(queryInRect(layout, r, filter),
                          filtered(scanInRect(table.slots, r), filter));
                const std::vector<Actor*> within = filtered(scanWithin(table.slots, at, w), filter);
                EXPECT_EQ(queryWithin(layout, at, w, filter), within);
                // A plain QuadVisitor goes through the library's walk; a null one counts.
                EXPECT_EQ(visitWithin(layout, at, w, QuadVisitor{}, filter), within.size());
                const std::size_t k = static_cast<std::size_t>(q % 4 == 0 ? 1 : q % 13);
                EXPECT_EQ(queryKNearest(layout, at, k, filter),
                          scanKNearest(table.slots, at, k, filter));
                const Vec2 from = self == nullptr ? at : self->getPosition2D();
                const QuadNearest apart = findNearest(layout, from, self);
                EXPECT_EQ(apart.actor, scanNearest(table.slots, from, self));
                if (apart.actor != nullptr && !std::isnan(from.x)) {
                    EXPECT_EQ(apart.distance, std::sqrt(distance2(apart.position, from)));
                }
                const Vec2 atScaled{at.x * s, at.y * s};
                EXPECT_EQ(queryInRect(scaled, {r.minX * s, r.maxX * s, r.minY * s, r.maxY * s}),
                          twins(table, big, queryInRect(layout, r)));
                EXPECT_EQ(queryWithin(scaled, atScaled, w * s),
                          twins(table, big, queryWithin(layout, at, w)));
                Found expected = nearest(layout, at, k);
                for (auto& [actor, distance, id] : expected) {
                    actor = twins(table, big, {actor})[0];
                    distance *= s;
                    id = actor->getID();
                }
                EXPECT_EQ(nearest(scaled, atScaled, k), expected);
            }
        }
    }
    // Alone in its quadrant exactly at the distance: the quadrant's box is only touched.
    TestTable touched(Kind::uniform, 0, 1);
    for (int i = 0; i < 30; ++i) {
        touched.place({-300.0 - i, -300.0 - i});
    }
    touched.place({100, 50});
    EXPECT_EQ(queryWithin(built(touched), {-200, 50}, 300),
              std::vector<Actor*>{touched.actors().back().get()});
}

// A query reads only its layout: an actor remade in its storage after the build changes no tie.
TEST_F(QuadQueryTest, KNearestWritesNearestFirstAsTheBuildSawThemAndNoMoreThanAsked) {
    TestTable table(Kind::uniform, 0, 1);
    for (int i = 5; i > 0; --i) {
        table.place({10.0 * i, 0}); // made farthest first, so that identifiers do not give order
    }
    table.place({-20, 0}); // as far as the second, with a larger identifier
    const QuadTreeLayout layout = built(table);
    Actor* second = table.actors()[3].get();
    const std::uint32_t secondId = second->getID();
    {
        TraceCapture quiet;
        second->~Actor();
        new (second) Actor("reborn");
    }
    Actor* fifth = table.actors()[5].get();
    EXPECT_EQ(nearest(layout, {0, 0}, 3), // the identifier as the build read it
              (Found{{table.actors()[4].get(), 10, table.actors()[4]->getID()},
                     {second, 20, secondId},
                     {fifth, 20, fifth->getID()}}));
    EXPECT_TRUE(nearest(QuadTreeLayout{}, {0, 0}, 3).empty()) << "a layout never built";
    const QuadNearest none = findNearest(QuadTreeLayout{}, {0, 0});
    EXPECT_TRUE(none.actor == nullptr && std::isinf(none.distance) && none.id == 0);
}

TEST_F(QuadQueryTest, TheTrueOrderAndDistanceFromSubnormalsToTheLargestDoubles) {
    struct Case {
        Vec2 point, farther, nearer; // the farther made first, so that a tie would pick it
        double farDistance, nearDistance;
    };
    const Case cases[] = {
        {{0, 0}, {3e-320, 0}, {0, 1e-320}, 3e-320, 1e-320},
        {{0, 0}, {0, 300}, {90, 120}, 300, 150},
        {{-DBL_MAX, 0}, {DBL_MAX, 0}, {DBL_MAX / 2, 0}, INFINITY, INFINITY},
        {{0, -DBL_MAX}, {0, DBL_MAX / 2}, {DBL_MAX, -DBL_MAX}, INFINITY, DBL_MAX},
    };
    for (const Case& c : cases) {
        for (const QuadRect& world : {kTestWorld, QuadRect{-DBL_MAX, DBL_MAX, -DBL_MAX, DBL_MAX}}) {
            SCOPED_TRACE(testing::Message()
                         << c.nearer.x << ' ' << c.nearer.y << " world " << world.maxX);
            TestTable table(Kind::uniform, 0, 3);
            table.place(c.farther);
            table.place(c.nearer);
            const QuadTreeLayout layout = built(table, world);
            Actor* const far = table.actors()[0].get();
            Actor* const near = table.actors()[1].get();
            EXPECT_EQ(nearest(layout, c.point, 2), (Found{{near, c.nearDistance, near->getID()},
                                                          {far, c.farDistance, far->getID()}}));
            const double between = c.nearDistance / 2 + c.farDistance / 2;
            // A disc between the two, or reaching the nearer, holds the nearer alone.
            if (std::isfinite(between)) {
                EXPECT_EQ(queryWithin(layout, c.point, between), std::vector<Actor*>{near});
                EXPECT_EQ(queryWithin(layout, c.point, c.nearDistance), std::vector<Actor*>{near});
            }
        }
    }
    // Two actors sharing an identifier, which only a rewound be_val makes: the lower address.
    TestTable table(Kind::uniform, 0, 2);
    const std::uint32_t id = be_val;
    table.place({10, 0});
    be_val = id;
    table.place({-10, 0});
    const Actor* const low =
        std::min(table.actors()[0].get(), table.actors()[1].get(), std::less<>());
    EXPECT_EQ(findNearest(built(table), {0, 0}).actor, low);
}

// The order games saw before the index: a subtree of at most 16 entities hands its leaves'
// entities before its midline entities, a larger one each node's midline entities first; the
// outside last.
TEST_F(QuadQueryTest, AVisitHandsEntitiesInTheLayoutsOrderUntilTheVisitorStopsIt) {
    const QuadRect everywhere{-INFINITY, INFINITY, -INFINITY, INFINITY};
    for (const int extra : {0, 10, 11}) {
        TestTable table(Kind::uniform, 0, 6);
        table.place({0, 100}); // on the root's midline
        table.place({600, 0}); // outside the world
        for (int i = 0; i < 5 + extra; ++i) {
            table.place({-100.3 - 7.1 * i, -200.7 - 9.3 * i});
        }
        QuadTreeLayout layout;
        std::size_t asked = 0;
        partitionQuadTree(kTestWorld, table.slots, layout, [&asked](const Actor&) {
            ++asked;
            return 1U;
        });
        EXPECT_EQ(asked, table.actors().size()) << "each actor's kinds read once, at the build";
        std::vector<Actor*> expected(layout.entities);
        expected.insert(extra < 11 ? expected.end() : expected.begin(), table.actors()[0].get());
        expected.push_back(table.actors()[1].get());
        std::vector<Actor*> order;
        EXPECT_EQ(visitInRect(layout, everywhere,
                              [&order](Actor* a, Vec2 p) {
                                  EXPECT_TRUE(same(p, a->getPosition2D())) << "where it stands";
                                  order.push_back(a);
                              }),
                  expected.size());
        EXPECT_EQ(order, expected) << extra;
        std::size_t seen = 0;
        EXPECT_EQ(visitInRect(layout, everywhere, [&seen](Actor*) { return ++seen < 3; }), 3U);
        EXPECT_EQ(seen, 3U);
    }
    // Behind the root's midline entity, a south-west subtree of 16 with one on its own midline,
    // and 20 in the north-east on no midline: the subtree's order holds wherever it starts.
    TestTable table(Kind::uniform, 0, 6);
    table.place({0, 100});
    table.place({-256, -300});
    table.place({600, 0}); // outside the world
    for (int i = 0; i < 35; ++i) {
        table.place(i < 15 ? Vec2{-100.3 - 7.1 * i, -200.7 - 9.3 * i}
                           : Vec2{300.3 + 0.37 * i, 400.9 + 0.29 * i});
    }
    const QuadTreeLayout layout = built(table);
    std::vector<Actor*> expected{table.actors()[0].get()};
    expected.insert(expected.end(), layout.entities.begin(), layout.entities.begin() + 15);
    expected.push_back(table.actors()[1].get());
    expected.insert(expected.end(), layout.entities.begin() + 15, layout.entities.end());
    expected.push_back(table.actors()[2].get());
    std::vector<Actor*> order;
    visitInRect(layout, everywhere, [&order](Actor* a) { order.push_back(a); });
    EXPECT_EQ(order, expected);
    std::size_t seen = 0;
    EXPECT_EQ(visitInRect(layout, everywhere, [&seen](Actor*) { return ++seen > 1; }), 1U)
        << "stopped at the root's own entity";
    EXPECT_EQ(seen, 1U);
    EXPECT_EQ(visitInRect(QuadTreeLayout{}, everywhere, [](Actor*) {}), 0U)
        << "a layout never built";
    EXPECT_EQ(visitInRect(
                  layout, everywhere, [](Actor*) {}, QuadFilter{1}),
              order.size())
        << "built with no kinds, an entity is of every kind";
}
