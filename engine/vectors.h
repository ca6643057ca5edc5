/// @file
/// Plain 2-D and 3-D vectors of doubles: positions, velocities and steering targets.
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
