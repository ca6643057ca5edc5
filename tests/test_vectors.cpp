#include <engine/vectors.h>

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <vector>

namespace {

/// Whether each number is the wanted one to four units in the last place, NaN matching NaN.
::testing::AssertionResult same(const std::vector<double>& got, const std::vector<double>& want) {
    for (std::size_t i = 0; i < got.size(); ++i) {
        const double g = got[i];
        if (!(g == want[i] || (std::isnan(g) && std::isnan(want[i])) ||
              std::fabs(g - want[i]) <= 4 * DBL_EPSILON * std::fabs(want[i]))) {
            return ::testing::AssertionFailure() << "[" << i << "] " << g << " not " << want[i];
        }
    }
    return ::testing::AssertionSuccess();
}

} // namespace

TEST(Vectors, LengthAndDirectionHoldForPlainHugeTinyAndDegenerateComponents) {
    // Squared, all but the first overflow or vanish. normalize makes NaN where normalized gives 0.
    const struct {
        Vec2 v;
        double length;
        Vec2 direction;
    } cases[] = {{{-3, 4}, 5, {-0.6, 0.8}},
                 {{3e200, 4e200}, 5e200, {0.6, 0.8}},
                 {{-3e-200, 4e-200}, 5e-200, {-0.6, 0.8}},
                 {{1e-200, 0}, 1e-200, {1, 0}},
                 {{0, -1e-300}, 1e-300, {0, -1}},
                 {{-DBL_TRUE_MIN, 0}, DBL_TRUE_MIN, {-1, 0}},
                 {{DBL_MAX, DBL_MAX}, INFINITY, {std::sqrt(0.5), std::sqrt(0.5)}},
                 {{0, 0}, 0, {NAN, NAN}},
                 {{NAN, 1}, NAN, {NAN, NAN}},
                 {{INFINITY, 1}, INFINITY, {NAN, 0}},
                 {{1, -INFINITY}, INFINITY, {0, NAN}},
                 {{-INFINITY, -INFINITY}, INFINITY, {NAN, NAN}}};
    for (const auto& c : cases) {
        Vec2 v = c.v;
        v.normalize();
        const bool none = std::isnan(c.direction.x) || std::isnan(c.direction.y);
        const Vec2 unit = none ? Vec2{} : c.direction;
        const Vec2 u = normalized(c.v);
        EXPECT_TRUE(same({c.v.length(), distance(c.v, -c.v), v.x, v.y, u.x, u.y},
                         {c.length, 2 * c.length, c.direction.x, c.direction.y, unit.x, unit.y}))
            << c.v.x << ", " << c.v.y;
    }
}

TEST(Vectors, ArithmeticMakesNewVectorsAndTheAssigningFormsReturnTheirLeftOperand) {
    const Vec2 a{1.5, -2}, b{0.25, 4};
    const Vec2 d = 2.0 * (a - b) + (-a);
    EXPECT_TRUE(d.x == 1 && d.y == -10 && a.x == 1.5 && a.y == -2 && b.x == 0.25 && b.y == 4);
    Vec2 c = a;
    EXPECT_TRUE(&(c += b) == &c && &(c -= a) == &c && &(c *= -2) == &c);
    EXPECT_TRUE(c.x == -0.5 && c.y == -8);
    EXPECT_TRUE(dot(a, b) == 0.375 - 8 && lengthSquared(a) == 6.25);
    const Vec3 p{1, 2, 3}, q{-4, 0.5, 2};
    const Vec3 s = 0.5 * (p - q) + (-p) * 2;
    EXPECT_TRUE(s.x == 0.5 && s.y == -3.25 && s.z == -5.5);
    Vec3 r = p;
    EXPECT_TRUE(&(r += q) == &r && &(r -= p) == &r && &(r *= 3) == &r);
    EXPECT_TRUE(r.x == -12 && r.y == 1.5 && r.z == 6);
    EXPECT_TRUE(dot(p, q) == -4 + 1 + 6 && lengthSquared(p) == 14);
}

TEST(Vectors, Vec3LengthsDistancesAndDirectionsKeepTheirDigitsAndZeroHasNoDirection) {
    const struct {
        Vec3 v;
        double length;
        Vec3 unit;
    } cases[] = {{{2, -3, 6}, 7, {2.0 / 7, -3.0 / 7, 6.0 / 7}},
                 {{-2e200, 3e200, 6e200}, 7e200, {-2.0 / 7, 3.0 / 7, 6.0 / 7}},
                 {{2e300, -3e300, 6e300}, 7e300, {2.0 / 7, -3.0 / 7, 6.0 / 7}},
                 {{2e-200, -3e-200, 6e-200}, 7e-200, {2.0 / 7, -3.0 / 7, 6.0 / 7}},
                 {{0, 0, 1e-200}, 1e-200, {0, 0, 1}},
                 {{0, 4e-310, 0}, 4e-310, {0, 1, 0}},
                 {{0, 0, 0}, 0, {0, 0, 0}},
                 {{1, NAN, 1}, NAN, {0, 0, 0}},
                 {{0, -INFINITY, 1}, INFINITY, {0, 0, 0}}};
    for (const auto& c : cases) {
        const Vec3 u = normalized(c.v);
        EXPECT_TRUE(same({length(c.v), distance(c.v, -c.v), u.x, u.y, u.z},
                         {c.length, 2 * c.length, c.unit.x, c.unit.y, c.unit.z}))
            << c.length;
    }
}

TEST(Vectors, CapLengthNeverLeavesAVectorLongerThanTheMaximum) {
    // Vectors no longer than the maximum come back bit for bit (a rescaling would round).
    for (const Vec2 v :
         {Vec2{0.3, -0.4}, Vec2{1, 1}, Vec2{-2.0632984775519221, -1.5650229242595572},
          Vec2{0.025756547365810172, 0.37219193663153383}}) {
        const Vec2 same = capLength(v, v.length());
        const Vec2 kept = capLength(v, 0.5 + v.length());
        EXPECT_TRUE(same.x == v.x && same.y == v.y && kept.x == v.x && kept.y == v.y) << v.x;
    }
    const Vec2 huge = capLength({DBL_MAX, -DBL_MAX}, 2);
    EXPECT_TRUE(same({huge.x, huge.y}, {std::sqrt(2.0), -std::sqrt(2.0)}));
    // Longer ones keep their direction at the maximum, never a rounding above it.
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
    for (const Vec2 none : {capLength({3, 4}, 0), capLength({3, 4}, -1), capLength({3, 4}, NAN),
                            capLength({NAN, 0}, 1), capLength({0, INFINITY}, 1)}) {
        EXPECT_TRUE(none.x == 0 && none.y == 0);
    }
    const Vec2 all = capLength({3e300, 4}, INFINITY);
    EXPECT_TRUE(all.x == 3e300 && all.y == 4);
}
