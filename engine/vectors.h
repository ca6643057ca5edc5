/// @file
/// Plain 2-D and 3-D vectors of doubles: positions, velocities and steering targets, and the
/// arithmetic a game does with them.
#pragma once

/// A point or direction in the plane: an actor's position as the quad tree sees it, and the
/// steering vectors of wander. Any double is a valid component, NaN and infinities included.
struct Vec2 {
    double x = 0.0; ///< East in the quad tree's plane; ahead in wander's local coordinates.
    double y = 0.0; ///< North in the quad tree's plane.

    /// The zero vector.
    Vec2() = default;
    /// The vector (xComponent, yComponent).
    Vec2(double xComponent, double yComponent) : x(xComponent), y(yComponent) {}

    /// Euclidean length; the sum of squares is formed in double precision before the root. A
    /// finite vector whose squares would overflow or fade into the subnormals is scaled by its
    /// larger component first, so it keeps its true length.
    double length() const;
    /// Divides both components by the length taken on entry (after the same scaling); the zero
    /// vector becomes (NaN, NaN).
    void normalize();

    /// The component-wise sum, as a new vector; neither operand changes.
    Vec2 operator+(Vec2 right) const { return {x + right.x, y + right.y}; }
    /// Both components scaled by s, as a new vector; this one does not change.
    Vec2 operator*(double s) const { return {x * s, y * s}; }
};

/// A point or motion in 3-D space: an actor's position and velocity. Any double is a valid
/// component, NaN and infinities included.
struct Vec3 {
    double x = 0.0; ///< East in the quad tree's plane.
    double y = 0.0; ///< North in the quad tree's plane.
    double z = 0.0; ///< Out of the quad tree's plane; the tree ignores it.

    /// Assigns x, y and z in that order; returns this vector.
    Vec3& set(double x, double y, double z);
};

/// (a.x * b.x, a.y * b.y): scales each axis by its own factor; nothing in the engine calls it.
Vec2 componentProduct(Vec2 a, Vec2 b);
/// (a.x * b.x, a.y * b.y, a.z * b.z): scales each axis by its own factor; nothing in the
/// engine calls it.
Vec3 componentProduct(Vec3 a, Vec3 b);

/// The component-wise difference a - b.
inline Vec2 operator-(Vec2 a, Vec2 b) {
    return {a.x - b.x, a.y - b.y};
}
/// Both components negated.
inline Vec2 operator-(Vec2 v) {
    return {-v.x, -v.y};
}
/// Both components scaled by s: s * v is v * s.
inline Vec2 operator*(double s, Vec2 v) {
    return v * s;
}
/// a = a + b; returns a.
inline Vec2& operator+=(Vec2& a, Vec2 b) {
    return a = a + b;
}
/// a = a - b; returns a.
inline Vec2& operator-=(Vec2& a, Vec2 b) {
    return a = a - b;
}
/// v = v * s; returns v.
inline Vec2& operator*=(Vec2& v, double s) {
    return v = v * s;
}
/// a.x * b.x + a.y * b.y.
inline double dot(Vec2 a, Vec2 b) {
    return a.x * b.x + a.y * b.y;
}
/// x * x + y * y, the length squared without the root: it compares distances exactly and
/// overflows above about 1e154 where length() does not.
inline double lengthSquared(Vec2 v) {
    return dot(v, v);
}
/// The length of a - b, kept right for huge and tiny differences as length() keeps it.
inline double distance(Vec2 a, Vec2 b) {
    return (a - b).length();
}
/// The unit vector along v. Unlike normalize, the zero vector stays zero, and so does a vector
/// with a NaN or infinite component: no NaN comes out of any input.
Vec2 normalized(Vec2 v);
/// v shortened to the maximum length when it is longer, else v itself. The result is never
/// longer than the maximum (its rounding is taken down where it would land above). A maximum
/// of zero, below zero or NaN, and a vector with a NaN or infinite component, give zero.
Vec2 capLength(Vec2 v, double maximum);

/// The component-wise sum a + b.
inline Vec3 operator+(const Vec3& a, const Vec3& b) {
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
/// The component-wise difference a - b.
inline Vec3 operator-(const Vec3& a, const Vec3& b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
/// All three components negated.
inline Vec3 operator-(const Vec3& v) {
    return {-v.x, -v.y, -v.z};
}
/// All three components scaled by s.
inline Vec3 operator*(const Vec3& v, double s) {
    return {v.x * s, v.y * s, v.z * s};
}
/// All three components scaled by s: s * v is v * s.
inline Vec3 operator*(double s, const Vec3& v) {
    return v * s;
}
/// a = a + b; returns a.
inline Vec3& operator+=(Vec3& a, const Vec3& b) {
    return a = a + b;
}
/// a = a - b; returns a.
inline Vec3& operator-=(Vec3& a, const Vec3& b) {
    return a = a - b;
}
/// v = v * s; returns v.
inline Vec3& operator*=(Vec3& v, double s) {
    return v = v * s;
}
/// a.x * b.x + a.y * b.y + a.z * b.z.
inline double dot(const Vec3& a, const Vec3& b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
/// x * x + y * y + z * z, the length squared without the root.
inline double lengthSquared(const Vec3& v) {
    return dot(v, v);
}
/// The Euclidean length, kept right for huge and tiny components as Vec2::length keeps it.
double length(const Vec3& v);
/// The length of a - b.
inline double distance(const Vec3& a, const Vec3& b) {
    return length(a - b);
}
/// The unit vector along v; the zero vector, and one with a NaN or infinite component, give
/// the zero vector.
Vec3 normalized(const Vec3& v);
