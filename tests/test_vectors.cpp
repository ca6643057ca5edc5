#include <engine/vectors.h>

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <tuple>
#include <utility>

TEST(Vectors, LengthAndDirectionHoldForPlainHugeAndTinyComponents) {
    // Squared, all but the first would overflow to infinity or vanish to zero; a length retaken
    // after x changed would skew y.
    const struct {
        Vec2 v;
        double length;
        Vec2 direction;
    } cases[] = {{{-3, 4}, 5, {-0.6, 0.8}},
                 {{3e200, 4e200}, 5e200, {0.6, 0.8}},
                 {{-3e-200, 4e-200}, 5e-200, {-0.6, 0.8}},
                 {{1e-200, 0}, 1e-200, {1, 0}},
                 {{0, -1e-200}, 1e-200, {0, -1}},
                 {{0, 1e200}, 1e200, {0, 1}},
                 {{DBL_MAX, DBL_MAX}, INFINITY, {std::sqrt(0.5), std::sqrt(0.5)}},
                 {{-DBL_TRUE_MIN, 0}, DBL_TRUE_MIN, {-1, 0}}};
    for (auto c : cases) {
        EXPECT_DOUBLE_EQ(c.v.length(), c.length) << c.v.x << ", " << c.v.y;
        c.v.normalize();
        EXPECT_DOUBLE_EQ(c.v.x, c.direction.x) << c.length;
        EXPECT_DOUBLE_EQ(c.v.y, c.direction.y) << c.length;
    }
}

TEST(Vectors, DegenerateNormalizeGivesNaNWithoutFailing) {
    EXPECT_EQ(Vec2(0, 0).length(), 0.0);
    EXPECT_EQ(Vec2(INFINITY, 1).length(), INFINITY);
    EXPECT_EQ(Vec2(1, -INFINITY).length(), INFINITY);
    Vec2 zero(0, 0);
    zero.normalize();
    EXPECT_TRUE(std::isnan(zero.x) && std::isnan(zero.y));
    Vec2 infinite(INFINITY, 1);
    infinite.normalize();
    EXPECT_TRUE(std::isnan(infinite.x));
}

TEST(Vectors, ArithmeticReturnsFreshVectors) {
    const Vec2 sum = Vec2(1, 2) + Vec2(3, 4);
    EXPECT_EQ(std::make_pair(sum.x, sum.y), std::make_pair(4.0, 6.0));
    const Vec2 scaled = Vec2(1, -2) * 0.5;
    EXPECT_EQ(std::make_pair(scaled.x, scaled.y), std::make_pair(0.5, -1.0));
    const Vec2 p2 = componentProduct(Vec2(1, 2), Vec2(3, 4));
    EXPECT_EQ(std::make_pair(p2.x, p2.y), std::make_pair(3.0, 8.0));

    Vec3 u;
    Vec3 w;
    EXPECT_EQ(&u.set(1, 2, 3), &u);
    const Vec3 p3 = componentProduct(u, w.set(4, 5, 6));
    EXPECT_EQ(std::make_tuple(p3.x, p3.y, p3.z), std::make_tuple(4.0, 10.0, 18.0));
}
