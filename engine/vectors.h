// Plain 2-D and 3-D vectors of doubles: positions, velocities and steering targets.
#pragma once

struct Vec2 {
    double x = 0.0;
    double y = 0.0;

    Vec2() = default;
    Vec2(double x, double y) : x(x), y(y) {}

    /// Euclidean length; the sum of squares is formed in double precision before the root. A
    /// finite vector whose squares would overflow or fade into the subnormals is scaled by its
    /// larger component first, so it keeps its true length.
    double length() const;
    /// Divides both components by the length taken on entry (after the same scaling); the zero
    /// vector becomes (NaN, NaN).
    void normalize();

    Vec2 operator+(Vec2 right) const { return {x + right.x, y + right.y}; }
    Vec2 operator*(double s) const { return {x * s, y * s}; }
};

struct Vec3 {
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;

    /// Assigns x, y and z in that order; returns this vector.
    Vec3& set(double x, double y, double z);
};

Vec2 componentProduct(Vec2 a, Vec2 b);
Vec3 componentProduct(Vec3 a, Vec3 b);
