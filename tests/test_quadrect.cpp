#include <engine/quadrect.h>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

TEST(QuadRect, MidlinesAreTheSystemsFormulaBitForBitAndStayInsideWhereTheWidthOverflows) {
    // 0.1 + 0.3 differs from 0.05 + 0.35 in its last bit: the formula must be min + width / 2.
    const QuadRect thin{0.1, 0.7, -3.0, 5.0};
    EXPECT_EQ(thin.midX(), 0.1 + (0.7 - 0.1) / 2);
    EXPECT_NE(thin.midX(), 0.1 / 2 + 0.7 / 2);
    EXPECT_EQ(thin.midY(), 1.0);
    const double most = std::numeric_limits<double>::max();
    const QuadRect wide{-most, most, -1e308, 1.5e308};
    EXPECT_EQ(wide.midX(), 0.0);
    EXPECT_EQ(wide.midY(), 2.5e307);
    EXPECT_TRUE(wide.halvable());
}

TEST(QuadRect, QuadrantsComeInTheBuildersOrderAndTileTheRectangle) {
    const QuadRect r{-512, 512, -256, 0};
    const auto q = r.quadrants();
    const double expected[4][4] = {
        {-512, 0, -256, -128}, {-512, 0, -128, 0}, {0, 512, -256, -128}, {0, 512, -128, 0}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(q[i].minX, expected[i][0]);
        EXPECT_EQ(q[i].maxX, expected[i][1]);
        EXPECT_EQ(q[i].minY, expected[i][2]);
        EXPECT_EQ(q[i].maxY, expected[i][3]);
    }
}

TEST(QuadRect, OnlyARectangleWithBothMidlinesStrictlyInsideIsHalvable) {
    const double inf = std::numeric_limits<double>::infinity();
    const double tiny = std::numeric_limits<double>::denorm_min();
    for (const QuadRect& r : {QuadRect{-inf, 512, -512, 512}, QuadRect{-512, inf, -512, 512},
                              QuadRect{-512, 512, NAN, 512}, QuadRect{0, tiny, -1, 1},
                              QuadRect{1, 1, -1, 1}, QuadRect{5, -5, -1, 1}}) {
        EXPECT_FALSE(r.halvable()) << r.minX << " " << r.maxX << " " << r.minY << " " << r.maxY;
    }
    EXPECT_TRUE((QuadRect{-512, 512, -512, 512}.halvable()));
}
