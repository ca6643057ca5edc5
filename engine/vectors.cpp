// Vector operations that are more than one expression.
#include "vectors.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

namespace {

// The sum of squares keeps its digits only between the smallest normal double and the
// largest: above about 1e154 a component's square overflows, below about 1e-154 it fades
// into the subnormals or to zero. Zero, NaN and infinite components take the plain formula.
bool squaresKeepTheirDigits(double x, double y) {
    const double squares = x * x + y * y;
    const bool inRange = squares >= DBL_MIN && squares <= DBL_MAX;
    return inRange || !std::isfinite(x) || !std::isfinite(y) || (x == 0 && y == 0);
}

} // namespace

double Vec2::length() const {
    if (squaresKeepTheirDigits(x, y)) {
        return std::sqrt(x * x + y * y);
    }
    // Scaled by the larger component, which leaves squares between 1 and 2.
    const double s = std::max(std::fabs(x), std::fabs(y));
    return s * Vec2(x / s, y / s).length();
}

void Vec2::normalize() {
    if (!squaresKeepTheirDigits(x, y)) {
        // The direction is all that counts here, and it survives the scaling.
        const double s = std::max(std::fabs(x), std::fabs(y));
        x = x / s;
        y = y / s;
    }
    const double l = length();
    x = x / l;
    y = y / l;
}

Vec3& Vec3::set(double newX, double newY, double newZ) {
    x = newX;
    y = newY;
    z = newZ;
    return *this;
}

Vec2 componentProduct(Vec2 a, Vec2 b) {
    return {a.x * b.x, a.y * b.y};
}

Vec3 componentProduct(Vec3 a, Vec3 b) {
    Vec3 result;
    return result.set(a.x * b.x, a.y * b.y, a.z * b.z);
}

namespace {

bool finite(Vec2 v) {
    return std::isfinite(v.x) && std::isfinite(v.y);
}

bool finite(const Vec3& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

/// Vec2::length, its common case inline: steering takes several lengths per actor and frame.
double lengthOf(Vec2 v) {
    const double squares = v.x * v.x + v.y * v.y;
    return squares >= DBL_MIN && squares <= DBL_MAX ? std::sqrt(squares) : v.length();
}

} // namespace

Vec2 normalized(Vec2 v) {
    if (!finite(v) || (v.x == 0 && v.y == 0)) {
        return {};
    }
    const double squares = v.x * v.x + v.y * v.y;
    if (squares >= DBL_MIN && squares <= DBL_MAX) {
        const double size = std::sqrt(squares);
        return {v.x / size, v.y / size};
    }
    v.normalize();
    return v;
}

Vec2 capLength(Vec2 v, double maximum) {
    if (!(maximum > 0) || !finite(v)) {
        return {};
    }
    const double size = lengthOf(v);
    if (size <= maximum) {
        return v;
    }
    // A length that overflowed leaves the direction to normalized, which scales first. The
    // unit vector times the maximum may round to a length a little above it.
    const Vec2 unit = std::isfinite(size) ? Vec2(v.x / size, v.y / size) : normalized(v);
    double scale = maximum;
    Vec2 capped = unit * scale;
    while (lengthOf(capped) > maximum) {
        scale = std::nextafter(scale, 0.0);
        capped = unit * scale;
    }
    return capped;
}

double length(const Vec3& v) {
    const double squares = v.x * v.x + v.y * v.y + v.z * v.z;
    if ((squares >= DBL_MIN && squares <= DBL_MAX) || (v.x == 0 && v.y == 0 && v.z == 0) ||
        !finite(v)) {
        return std::sqrt(squares);
    }
    // As for Vec2: scaled by the largest component, the squares lie between 1 and 3.
    const double s = std::max({std::fabs(v.x), std::fabs(v.y), std::fabs(v.z)});
    return s * length({v.x / s, v.y / s, v.z / s});
}

Vec3 normalized(const Vec3& v) {
    if (!finite(v) || (v.x == 0 && v.y == 0 && v.z == 0)) {
        return {};
    }
    // Scaled first, so that neither huge nor tiny components lose the direction.
    const double s = std::max({std::fabs(v.x), std::fabs(v.y), std::fabs(v.z)});
    const Vec3 scaled{v.x / s, v.y / s, v.z / s};
    const double l = length(scaled);
    return {scaled.x / l, scaled.y / l, scaled.z / l};
}
