#include <engine/vectors.h>

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <utility>

TEST(Vectors, LengthAndDirectionHoldForPlainHugeTinyAndDegenerateComponents) {
    // Squared, all but the first would overflow or vanish; a length retaken after x changed
    // would skew y. Zero and infinite vectors normalise to NaN without failing.
    const struct {
        Vec2 v;
        double length;
        Vec2 direction;
    } cases[] = {{{-3, 4}, 5, {-0.6, 0.8}},
                 {{3e200, 4e200}, 5e200, {0.6, 0.8}},
                 {{-3e-200, 4e-200}, 5e-200, {-0.6, 0.8}},
                 {{1e-200, 0}, 1e-200, {1, 0}},
                 {{0, -1e-200}, 1e-200, {0, -1}},
                 {{DBL_MAX, DBL_MAX}, INFINITY, {std::sqrt(0.5), std::sqrt(0.5)}},
                 {{-DBL_TRUE_MIN, 0}, DBL_TRUE_MIN, {-1, 0}},
                 {{0, 0}, 0, {NAN, NAN}},
                 {{INFINITY, 1}, INFINITY, {NAN, 0}},
                 {{1, -INFINITY}, INFINITY, {0, NAN}}};
    for (auto c : cases) {
        EXPECT_DOUBLE_EQ(c.v.length(), c.length) << c.v.x << ", " << c.v.y;
        c.v.normalize();
        for (const auto& [got, want] : {std::pair{c.v.x, c.direction.x}, {c.v.y, c.direction.y}}) {
            EXPECT_EQ(std::isnan(got), std::isnan(want)) << c.length;
            if (!std::isnan(want)) {
                EXPECT_DOUBLE_EQ(got, want) << c.length;
            }
        }
    }
}

TEST(Vectors, ArithmeticMakesNewVectorsAndTheAssigningFormsReturnTheirLeftOperand) {
    const Vec2 a{1.5, -2};
    const Vec2 b{0.25, 4};
    const Vec2 d = 2.0 * (a - b) + (-a);
    EXPECT_TRUE(d.x == 1 && d.y == -10 && a.x == 1.5 && a.y == -2 && b.x == 0.25 && b.y == 4);
    Vec2 c = a;
    EXPECT_TRUE(&(c += b) == &c && &(c -= a) == &c && &(c *= -2) == &c);
    EXPECT_TRUE(c.x == -0.5 && c.y == -8);
    EXPECT_EQ(dot(a, b), 0.375 - 8);
    EXPECT_EQ(lengthSquared(a), 6.25);
    const Vec3 p{1, 2, 3};
    const Vec3 q{-4, 0.5, 2};
    const Vec3 s = 0.5 * (p - q) + (-p) * 2;
    EXPECT_TRUE(s.x == 0.5 && s.y == -3.25 && s.z == -5.5);
    Vec3 r = p;
    EXPECT_TRUE(&(r += q) == &r && &(r -= p) == &r && &(r *= 3) == &r);
    EXPECT_TRUE(r.x == -12 && r.y == 1.5 && r.z == 6);
    EXPECT_EQ(dot(p, q), -4 + 1 + 6);
    EXPECT_EQ(lengthSquared(p), 14);
}

TEST(Vectors, LengthsAndDistancesKeepTheirDigitsForHugeAndTinyComponents) {
    EXPECT_DOUBLE_EQ(distance(Vec2{1e200, 0}, Vec2{-1e200, 0}), 2e200);
    EXPECT_DOUBLE_EQ(distance(Vec2{3e-200, 0}, Vec2{0, 4e-200}), 5e-200);
    const struct {
        Vec3 v;
        double length;
    } cases[] = {{{2, 3, 6}, 7},
                 {{-2e200, 3e200, 6e200}, 7e200},
                 {{2e-200, -3e-200, 6e-200}, 7e-200},
                 {{0, 0, 1e-200}, 1e-200},
                 {{0, 0, 0}, 0},
                 {{0, -INFINITY, 1}, INFINITY}};
    for (const auto& c : cases) {
        EXPECT_DOUBLE_EQ(length(c.v), c.length) << c.length;
        EXPECT_DOUBLE_EQ(distance(c.v, Vec3{}), c.length) << c.length;
    }
    EXPECT_TRUE(std::isnan(length(Vec3{NAN, 0, 0})));
    EXPECT_EQ(distance(Vec3{1, 2, 3}, Vec3{4, 6, 3}), 5);
    EXPECT_DOUBLE_EQ(distance(Vec3{1e200, 0, 0}, Vec3{-1e200, 0, 0}), 2e200);
}

TEST(Vectors, NormalizedGivesTheDirectionAndZeroWhereThereIsNone) {
    const struct {
        Vec2 v;
        Vec2 unit;
    } cases[] = {{{0, -1e-300}, {0, -1}},
                 {{0, 0}, {0, 0}},
                 {{NAN, 1}, {0, 0}},
                 {{1, INFINITY}, {0, 0}},
                 {{-INFINITY, -INFINITY}, {0, 0}}};
    for (const auto& c : cases) {
        const Vec2 unit = normalized(c.v);
        EXPECT_DOUBLE_EQ(unit.x, c.unit.x) << c.v.x << ", " << c.v.y;
        EXPECT_DOUBLE_EQ(unit.y, c.unit.y) << c.v.x << ", " << c.v.y;
    }
    const struct {
        Vec3 v;
        Vec3 unit;
    } cases3[] = {{{2, -3, 6}, {2.0 / 7, -3.0 / 7, 6.0 / 7}},
                  {{2e300, -3e300, 6e300}, {2.0 / 7, -3.0 / 7, 6.0 / 7}},
                  {{0, 4e-310, 0}, {0, 1, 0}},
                  {{0, 0, 0}, {0, 0, 0}},
                  {{1, NAN, 1}, {0, 0, 0}},
                  {{1, 1, -INFINITY}, {0, 0, 0}}};
    for (const auto& c : cases3) {
        const Vec3 unit = normalized(c.v);
        EXPECT_DOUBLE_EQ(unit.x, c.unit.x) << c.v.x;
        EXPECT_DOUBLE_EQ(unit.y, c.unit.y) << c.v.y;
        EXPECT_DOUBLE_EQ(unit.z, c.unit.z) << c.v.z;
    }
}

TEST(Vectors, CapLengthNeverLeavesAVectorLongerThanTheMaximum) {
    // Shorter vectors come back bit for bit; longer ones keep their direction at the maximum,
    // never a rounding above it, over many directions and sizes.
    const Vec2 shortOne{0.3, -0.4};
    const Vec2 kept = capLength(shortOne, 0.5);
    EXPECT_TRUE(kept.x == shortOne.x && kept.y == shortOne.y);
    // So do vectors exactly as long as the maximum, which a rescaling would round.
    for (const Vec2 v : {Vec2{1, 1}, Vec2{-2.0632984775519221, -1.5650229242595572},
                         Vec2{0.025756547365810172, 0.37219193663153383}}) {
        const Vec2 same = capLength(v, v.length());
        EXPECT_TRUE(same.x == v.x && same.y == v.y) << v.x << ", " << v.y;
    }
    const Vec2 capped = capLength({30, -40}, 5);
    EXPECT_DOUBLE_EQ(capped.x, 3);
    EXPECT_DOUBLE_EQ(capped.y, -4);
    const Vec2 huge = capLength({DBL_MAX, -DBL_MAX}, 2);
    EXPECT_DOUBLE_EQ(huge.x, std::sqrt(2.0));
    EXPECT_DOUBLE_EQ(huge.y, -std::sqrt(2.0));
    int atTheMaximum = 0;
    for (int i = 1; i < 20000; ++i) {
        const double t = static_cast<double>(i);
        const Vec2 v{std::cos(t) * t, std::sin(t * 1.7) * t};
        const double maximum = 0.1 + std::fmod(t * 0.37, 9.0);
        const Vec2 c = capLength(v, maximum);
        ASSERT_LE(c.length(), maximum) << i;
        if (v.length() > maximum) {
            ASSERT_NEAR(c.length(), maximum, maximum * 1e-15) << i;
            ASSERT_NEAR(dot(normalized(c), normalized(v)), 1, 1e-15) << i;
            atTheMaximum += c.length() == maximum ? 1 : 0;
        }
    }
    EXPECT_GT(atTheMaximum, 1000);
    // No maximum, or nothing finite to shorten, leaves nothing; an infinite one leaves all.
    for (const double maximum : {0.0, -0.0, -1.0, static_cast<double>(NAN)}) {
        const Vec2 none = capLength({3, 4}, maximum);
        EXPECT_TRUE(none.x == 0 && none.y == 0) << maximum;
    }
    for (const Vec2 v : {Vec2{NAN, 0}, Vec2{0, INFINITY}}) {
        const Vec2 none = capLength(v, 1);
        EXPECT_TRUE(none.x == 0 && none.y == 0);
    }
    const Vec2 all = capLength({3e300, 4}, INFINITY);
    EXPECT_TRUE(all.x == 3e300 && all.y == 4);
}
