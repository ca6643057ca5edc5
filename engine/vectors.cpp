// Vector operations that are more than one expression.
#include "vectors.h"

#include <cmath>

double Vec2::length() const {
    return std::sqrt(x * x + y * y);
}

void Vec2::normalize() {
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
