// Vectors equal within a tolerance, both shown where they are not.
#pragma once

#include <engine/vectors.h>

#include <gtest/gtest.h>

#include <cmath>

inline ::testing::AssertionResult near(Vec2 got, Vec2 want, double tolerance = 1e-12) {
    if (std::fabs(got.x - want.x) <= tolerance && std::fabs(got.y - want.y) <= tolerance) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure()
           << "(" << got.x << ", " << got.y << ") instead of (" << want.x << ", " << want.y << ")";
}
