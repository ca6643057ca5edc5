// What a built layout must agree with: another layout, field by field, and a scan of every slot
// of its table for each query. Shared by the partition and query tests and the fuzzer.
#pragma once

#include <engine/actor.h>
#include <engine/baseentity.h>
#include <engine/quadlayout.h>
#include <engine/quadquery.h>
#include <engine/quadrect.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace layoutscan {

inline bool same(double a, double b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

inline bool same(const QuadRect& a, const QuadRect& b) {
    return same(a.minX, b.minX) && same(a.maxX, b.maxX) && same(a.minY, b.minY) &&
           same(a.maxY, b.maxY);
}

inline bool same(const std::vector<Vec2>& a, const std::vector<Vec2>& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](Vec2 p, Vec2 q) { return same(p.x, q.x) && same(p.y, q.y); });
}

/// The first difference between two layouts, the node pointers aside; empty when they agree.
inline std::string differenceBetween(const QuadTreeLayout& a, const QuadTreeLayout& b) {
    if (a.leaves.size() != b.leaves.size()) {
        return "leaf count";
    }
    for (std::size_t i = 0; i < a.leaves.size(); ++i) {
        const QuadLeaf& p = a.leaves[i];
        const QuadLeaf& q = b.leaves[i];
        if (!same(p.rect, q.rect) || p.depth != q.depth || p.first != q.first ||
            p.count != q.count) {
            return "leaf " + std::to_string(i);
        }
    }
    if (a.divided.size() != b.divided.size()) {
        return "divided count";
    }
    for (std::size_t i = 0; i < a.divided.size(); ++i) {
        const QuadDivided& p = a.divided[i];
        const QuadDivided& q = b.divided[i];
        if (!same(p.rect, q.rect) || p.depth != q.depth || p.firstLeaf != q.firstLeaf ||
            p.leafCount != q.leafCount || p.first != q.first || p.count != q.count) {
            return "divided " + std::to_string(i);
        }
    }
    if (a.entities != b.entities || !same(a.positions, b.positions)) {
        return "leaf entities";
    }
    if (a.midline != b.midline || !same(a.midlinePositions, b.midlinePositions)) {
        return "midline entities";
    }
    if (a.outside != b.outside || !same(a.outsidePositions, b.outsidePositions)) {
        return "outside entities";
    }
    return "";
}

/// Whether every actor of the table is in the layout once: in a leaf, on a midline or outside.
inline bool holdsEveryActorOnce(const QuadTreeLayout& layout, Actor* const* table) {
    std::vector<Actor*> inTable;
    for (std::size_t slot = 0; table != nullptr && slot < kEntityTableSize; ++slot) {
        if (table[slot] != nullptr) {
            inTable.push_back(table[slot]);
        }
    }
    std::vector<Actor*> inLayout = layout.entities;
    inLayout.insert(inLayout.end(), layout.midline.begin(), layout.midline.end());
    inLayout.insert(inLayout.end(), layout.outside.begin(), layout.outside.end());
    std::sort(inTable.begin(), inTable.end());
    std::sort(inLayout.begin(), inLayout.end());
    return inLayout == inTable;
}

inline double distance2(Vec2 a, Vec2 b) {
    return (a.x - b.x) * (a.x - b.x) + (a.y - b.y) * (a.y - b.y);
}

/// Every actor of the table inside the rectangle, borders included, sorted by address.
inline std::vector<Actor*> scanInRect(Actor* const* table, const QuadRect& r) {
    std::vector<Actor*> found;
    for (std::size_t slot = 0; table != nullptr && slot < kEntityTableSize; ++slot) {
        if (table[slot] == nullptr) {
            continue;
        }
        const Vec2 p = table[slot]->getPosition2D();
        if (r.minX <= p.x && p.x <= r.maxX && r.minY <= p.y && p.y <= r.maxY) {
            found.push_back(table[slot]);
        }
    }
    std::sort(found.begin(), found.end());
    return found;
}

/// Every actor of the table within the distance of c, the circle included, sorted by address.
inline std::vector<Actor*> scanWithin(Actor* const* table, Vec2 c, double d) {
    std::vector<Actor*> found;
    for (std::size_t slot = 0; table != nullptr && slot < kEntityTableSize; ++slot) {
        if (table[slot] != nullptr && d >= 0 &&
            distance2(table[slot]->getPosition2D(), c) <= d * d) {
            found.push_back(table[slot]);
        }
    }
    std::sort(found.begin(), found.end());
    return found;
}

inline bool firstInTies(const Actor* a, const Actor* b) {
    return a->getID() < b->getID() || (a->getID() == b->getID() && std::less<>()(a, b));
}

/// The actor of the table nearest to p but leaveOut: among the nearest, the smallest identifier,
/// then the lowest address.
inline Actor* scanNearest(Actor* const* table, Vec2 p, const Actor* leaveOut) {
    Actor* best = nullptr;
    double best2 = 0;
    for (std::size_t slot = 0; table != nullptr && slot < kEntityTableSize; ++slot) {
        Actor* a = table[slot];
        if (a == nullptr || a == leaveOut) {
            continue;
        }
        const double d2 = distance2(a->getPosition2D(), p);
        if (std::isnan(d2)) {
            continue;
        }
        if (best == nullptr || d2 < best2 || (d2 == best2 && firstInTies(a, best))) {
            best = a;
            best2 = d2;
        }
    }
    return best;
}

/// What visitInRect hands its visitor, sorted by address.
inline std::vector<Actor*> queryInRect(const QuadTreeLayout& layout, const QuadRect& r) {
    std::vector<Actor*> found;
    visitInRect(layout, r, [&](Actor* a) { found.push_back(a); });
    std::sort(found.begin(), found.end());
    return found;
}

/// What visitWithin hands its visitor, sorted by address.
inline std::vector<Actor*> queryWithin(const QuadTreeLayout& layout, Vec2 c, double d) {
    std::vector<Actor*> found;
    visitWithin(layout, c, d, [&](Actor* a) { found.push_back(a); });
    std::sort(found.begin(), found.end());
    return found;
}

} // namespace layoutscan
