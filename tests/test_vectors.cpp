#include <engine/vectors.h>

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>

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
