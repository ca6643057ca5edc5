#include "vectors.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(Vectors, LengthAndNormalize) {
    Vec2 v(3, 4);
    EXPECT_DOUBLE_EQ(v.length(), 5.0);
    v.normalize();
    EXPECT_DOUBLE_EQ(v.x, 0.6);
    EXPECT_DOUBLE_EQ(v.y, 0.8);
    EXPECT_NEAR(v.length(), 1.0, 1e-15);

    Vec2 up(0, 2);
    up.normalize();
    EXPECT_EQ(up.x, 0.0);
    EXPECT_EQ(up.y, 1.0);
    Vec2 left(-5, 0);
    left.normalize();
    EXPECT_EQ(left.x, -1.0);
    EXPECT_EQ(left.y, 0.0);
}

TEST(Vectors, NormalizeUsesTheLengthTakenOnEntry) {
    // A second length taken after x changed would leave y unscaled.
    Vec2 v(1, 1);
    v.normalize();
    EXPECT_DOUBLE_EQ(v.x, v.y);
    EXPECT_NEAR(v.length(), 1.0, 1e-15);
}

TEST(Vectors, DegenerateNormalizeGivesNaNWithoutFailing) {
    Vec2 zero(0, 0);
    zero.normalize();
    EXPECT_TRUE(std::isnan(zero.x));
    EXPECT_TRUE(std::isnan(zero.y));

    Vec2 infinite(INFINITY, 1);
    infinite.normalize();
    EXPECT_TRUE(std::isnan(infinite.x));
}

TEST(Vectors, SumAndScalingLeaveTheirOperands) {
    const Vec2 a(1, 2);
    const Vec2 b(3, 4);
    const Vec2 sum = a + b;
    EXPECT_EQ(sum.x, 4.0);
    EXPECT_EQ(sum.y, 6.0);
    EXPECT_EQ(a.x, 1.0);
    EXPECT_EQ(b.y, 4.0);

    const Vec2 scaled = Vec2(1, -2) * 0.5;
    EXPECT_EQ(scaled.x, 0.5);
    EXPECT_EQ(scaled.y, -1.0);
}

TEST(Vectors, ComponentProducts) {
    const Vec2 p2 = componentProduct(Vec2(1, 2), Vec2(3, 4));
    EXPECT_EQ(p2.x, 3.0);
    EXPECT_EQ(p2.y, 8.0);

    Vec3 a;
    Vec3 b;
    const Vec3 p3 = componentProduct(a.set(1, 2, 3), b.set(4, 5, 6));
    EXPECT_EQ(p3.x, 4.0);
    EXPECT_EQ(p3.y, 10.0);
    EXPECT_EQ(p3.z, 18.0);
}

TEST(Vectors, SetReturnsTheSameVector) {
    Vec3 v;
    Vec3& same = v.set(7, -8, 9);
    EXPECT_EQ(&same, &v);
    EXPECT_EQ(v.x, 7.0);
    EXPECT_EQ(v.y, -8.0);
    EXPECT_EQ(v.z, 9.0);
}

TEST(Vectors, DefaultConstructionIsZero) {
    const Vec2 v2;
    const Vec3 v3;
    EXPECT_EQ(v2.x + v2.y, 0.0);
    EXPECT_EQ(v3.x + v3.y + v3.z, 0.0);
}
