#include <engine/quadrect.h>

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <utility>
#include <vector>

TEST(QuadRect, QuadrantsMeetAtTheSystemsMidlinesBitForBitInTheBuildersOrder) {
    // 0.1 + 0.3 differs from 0.05 + 0.35 in its last bit: the formula must be min + width / 2.
    const double x = 0.1 + (0.7 - 0.1) / 2;
    std::vector<double> got;
    for (const QuadRect& q : QuadRect{0.1, 0.7, -3.0, 5.0}.quadrants()) {
        got.insert(got.end(), {q.minX, q.maxX, q.minY, q.maxY});
    }
    EXPECT_EQ(got, (std::vector<double>{0.1, x, -3, 1, 0.1, x, 1, 5, x, 0.7, -3, 1, x, 0.7, 1, 5}));
    // Where the width overflows, the midline still lies inside.
    const QuadRect wide{-DBL_MAX, DBL_MAX, -1e308, 1.5e308};
    EXPECT_EQ(std::make_pair(wide.midX(), wide.midY()), std::make_pair(0.0, 2.5e307));
    EXPECT_TRUE(wide.halvable());
}

TEST(QuadRect, OnlyARectangleWithBothMidlinesStrictlyInsideIsHalvable) {
    for (const QuadRect& r :
         {QuadRect{-INFINITY, 512, -512, 512}, QuadRect{-512, INFINITY, -512, 512},
          QuadRect{-512, 512, NAN, 512}, QuadRect{0, DBL_TRUE_MIN, -1, 1},
          QuadRect{-1, 1, 0, DBL_TRUE_MIN}, QuadRect{1, 1, -1, 1}, QuadRect{5, -5, -1, 1}}) {
        EXPECT_FALSE(r.halvable()) << r.minX << " " << r.maxX << " " << r.minY << " " << r.maxY;
    }
    EXPECT_TRUE((QuadRect{-512, 512, -512, 512}.halvable()));
}
