/// @file
/// A rectangle of the plane as the quad tree takes it, with its midlines and its quadrants.
#pragma once

#include <array>
#include <cstddef>

/// A rectangle holding this many entities or more is divided into four quadrants.
constexpr int kQuadTreeDivideAt = 5;
/// Nodes this deep (the root is depth 0) never divide: a leaf there keeps the entities its
/// cell can hold. Without the bound, entities at one point would divide until a midline lands
/// on that point, well over a thousand levels near 0.
constexpr int kQuadTreeMaxDepth = 32;

/// An axis-aligned rectangle, held as the quad-tree builder takes it: the x range, then the y
/// range. North is the half with the larger y, east the half with the larger x.
struct QuadRect {
    double minX = 0.0; ///< West edge.
    double maxX = 0.0; ///< East edge.
    double minY = 0.0; ///< South edge.
    double maxY = 0.0; ///< North edge.

    /// The north-south midline, minX + (maxX - minX) / 2; where that width overflows although
    /// both bounds are finite, minX / 2 + maxX / 2, which still lies strictly inside.
    double midX() const;
    /// The east-west midline, computed as midX is.
    double midY() const;
    /// The quadrants in the order the builder adds them as children: south-west, north-west,
    /// south-east, north-east.
    std::array<QuadRect, 4> quadrants() const;
    /// Whether the point (x, y) lies strictly inside: not on a border, no coordinate NaN.
    bool surrounds(double x, double y) const {
        return minX < x && x < maxX && minY < y && y < maxY;
    }
    /// Whether both midlines lie strictly inside: false where an infinite or NaN bound puts one
    /// at infinity or NaN, and for a rectangle too thin to halve.
    bool halvable() const;
};

/// The tree's rule, which the builder and the partition both follow: a node at the depth with
/// this many entities strictly inside divides when it holds kQuadTreeDivideAt or more, lies above
/// the depth bound and has both midlines strictly inside.
inline bool quadTreeDivides(const QuadRect& r, int depth, std::size_t count) {
    return count >= static_cast<std::size_t>(kQuadTreeDivideAt) && depth < kQuadTreeMaxDepth &&
           r.halvable();
}
