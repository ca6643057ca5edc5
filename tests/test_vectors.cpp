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
                 {{0, 1e200}, 1e200, {0, 1}},
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
