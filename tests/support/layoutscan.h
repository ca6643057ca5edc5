// What a built layout must agree with: another layout field by field, and a scan of its table.
#pragma once

#include <engine/actor.h>
#include <engine/baseentity.h>
#include <engine/quadlayout.h>
#include <engine/quadquery.h>
#include <engine/quadrect.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace layoutscan {

// Bit for bit, so that NaN equals NaN and -0 differs from 0: for the types without padding.
template <class T> bool same(const T& a, const T& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}
inline bool same(const QuadLeaf& a, const QuadLeaf& b) {
    return same(a.rect, b.rect) && a.depth == b.depth && a.first == b.first && a.count == b.count;
}
inline bool same(const QuadDivided& a, const QuadDivided& b) {
    return same(a.rect, b.rect) && a.depth == b.depth && a.firstLeaf == b.firstLeaf &&
           a.leafCount == b.leafCount && a.first == b.first && a.count == b.count &&
           a.dividedCount == b.dividedCount;
}
template <class T> bool same(const std::vector<T>& a, const std::vector<T>& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](const T& p, const T& q) { return same(p, q); });
}

/// The first list in which two layouts differ, the node pointers aside; empty when they agree.
inline std::string differenceBetween(const QuadTreeLayout& a, const QuadTreeLayout& b) {
    const std::pair<const char*, bool> lists[] = {
        {"leaves", same(a.leaves, b.leaves)},
        {"divided nodes", same(a.divided, b.divided)},
        {"leaf entities", same(a.entities, b.entities) && same(a.positions, b.positions)},
        {"midline entities",
         same(a.midline, b.midline) && same(a.midlinePositions, b.midlinePositions)},
        {"outside entities",
         same(a.outside, b.outside) && same(a.outsidePositions, b.outsidePositions)},
        {"query index", same(a.index.nodes, b.index.nodes) && a.index.outside == b.index.outside &&
                            same(a.index.positions, b.index.positions) &&
                            same(a.index.actors, b.index.actors) &&
                            same(a.index.ids, b.index.ids) && same(a.index.kinds, b.index.kinds)},
    };
    for (const auto& [name, equal] : lists) {
        if (!equal) {
            return name;
        }
    }
    return "";
}

/// The first fault of the query index against the entities it packs, empty when it has none:
/// each quadrant's box and kinds are its range's, a linked node's ranges follow one another
/// over exactly its quadrant's range, a node is linked only where its subtree is too large to
/// read whole and it has entities of its own or two quadrants holding some, and a range read
/// whole is small or one leaf's.
inline std::string indexFault(const QuadTreeLayout& layout) {
    const QuadIndex& index = layout.index;
    const auto leafStart = [&layout](const Actor* actor) {
        const auto at = std::find(layout.entities.begin(), layout.entities.end(), actor);
        const auto leaf =
            std::find_if(layout.leaves.begin(), layout.leaves.end(), [&](const QuadLeaf& l) {
                const auto i = static_cast<std::size_t>(at - layout.entities.begin());
                return l.first <= i && i < l.first + l.count;
            });
        return leaf == layout.leaves.end() ? layout.leaves.size()
                                           : static_cast<std::size_t>(leaf - layout.leaves.begin());
    };
    const QuadIndexNode& top = index.nodes.at(0);
    if (top.first[0] != 0 || top.end[0] != index.outside ||
        index.positions.size() - index.outside != layout.outside.size()) {
        return "the tree's and the outside entities' ranges";
    }
    std::vector<std::size_t> todo{0};
    while (!todo.empty()) {
        const QuadIndexNode& node = index.nodes.at(todo.back());
        todo.pop_back();
        for (std::size_t q = 0; q < 4; ++q) {
            QuadRect box = kQuadNoBox;
            QuadKinds kinds = 0;
            for (std::size_t i = node.first[q]; i < node.end[q]; ++i) {
                const Vec2 p = index.positions.at(i);
                box = {std::min(box.minX, p.x), std::max(box.maxX, p.x), std::min(box.minY, p.y),
                       std::max(box.maxY, p.y)};
                kinds |= index.kinds.at(i);
            }
            const QuadRect& held = node.box[q];
            if (box.minX != held.minX || box.maxX != held.maxX || box.minY != held.minY ||
                box.maxY != held.maxY || kinds != node.kinds[q]) {
                return "a quadrant's box or kinds";
            }
            if (node.quadrant[q] == -1) {
                const std::size_t size = node.end[q] - node.first[q];
                if (size > kQuadIndexScanned && leafStart(index.actors[node.first[q]]) !=
                                                    leafStart(index.actors[node.end[q] - 1])) {
                    return "a large range read whole that is not one leaf's";
                }
                continue;
            }
            const QuadIndexNode& inner = index.nodes.at(static_cast<std::size_t>(node.quadrant[q]));
            std::size_t occupied = 0;
            std::uint32_t at = inner.ownEnd;
            for (std::size_t i = 0; i < 4; ++i) {
                occupied += inner.first[i] != inner.end[i] ? 1 : 0;
                if (inner.first[i] != at) {
                    return "a linked node's ranges";
                }
                at = inner.end[i];
            }
            if (inner.ownFirst != node.first[q] || at != node.end[q]) {
                return "a link to a node holding other entities";
            }
            if (inner.ownFirst == inner.ownEnd && occupied < 2) {
                return "a node with one occupied quadrant not linked past";
            }
            if (node.end[q] - node.first[q] <= kQuadIndexScanned) {
                return "a node for a subtree small enough to be read whole";
            }
            todo.push_back(static_cast<std::size_t>(node.quadrant[q]));
        }
    }
    return "";
}

inline std::vector<Actor*> sorted(std::vector<Actor*> actors) {
    std::sort(actors.begin(), actors.end());
    return actors;
}

/// The table's actors whose position holds(p), sorted; a null table has none.
template <class Holds> std::vector<Actor*> scan(Actor* const* table, Holds holds) {
    std::vector<Actor*> found;
    for (std::size_t slot = 0; table != nullptr && slot < kEntityTableSize; ++slot) {
        if (table[slot] != nullptr && holds(table[slot]->getPosition2D())) {
            found.push_back(table[slot]);
        }
    }
    return sorted(found);
}

/// Whether every actor of the table is in the layout once: in a leaf, on a midline or outside.
inline bool holdsEveryActorOnce(const QuadTreeLayout& layout, Actor* const* table) {
    std::vector<Actor*> inLayout = layout.entities;
    inLayout.insert(inLayout.end(), layout.midline.begin(), layout.midline.end());
    inLayout.insert(inLayout.end(), layout.outside.begin(), layout.outside.end());
    return sorted(inLayout) == scan(table, [](Vec2) { return true; });
}

inline double distance2(Vec2 a, Vec2 b) {
    return (a.x - b.x) * (a.x - b.x) + (a.y - b.y) * (a.y - b.y);
}

/// Every actor of the table inside the rectangle, borders included.
inline std::vector<Actor*> scanInRect(Actor* const* table, const QuadRect& r) {
    return scan(table, [&r](Vec2 p) {
        return r.minX <= p.x && p.x <= r.maxX && r.minY <= p.y && p.y <= r.maxY;
    });
}

/// Every actor of the table within the distance of c, the circle included.
inline std::vector<Actor*> scanWithin(Actor* const* table, Vec2 c, double d) {
    return scan(table, [&](Vec2 p) { return d >= 0 && distance2(p, c) <= d * d; });
}

/// The kinds the tests give an actor at a build: one of three, by its identifier.
inline QuadKinds kindsById(const Actor& actor) {
    return QuadKinds{1} << (actor.getID() % 3);
}

/// scanInRect and scanWithin with a filter, the kinds given by kindsById.
inline std::vector<Actor*> filtered(std::vector<Actor*> found, const QuadFilter& filter) {
    const auto refused = [&filter](const Actor* a) {
        return a == filter.leaveOut ||
               (filter.kinds != kQuadAnyKind && (kindsById(*a) & filter.kinds) == 0);
    };
    found.erase(std::remove_if(found.begin(), found.end(), refused), found.end());
    return found;
}

/// The k nearest to p the filter admits: by squared distance, identifier, address; NaN never.
inline std::vector<Actor*> scanKNearest(Actor* const* table, Vec2 p, std::size_t k,
                                        const QuadFilter& filter) {
    const auto key = [p](const Actor* a) {
        return std::make_tuple(distance2(a->getPosition2D(), p), a->getID(),
                               reinterpret_cast<std::uintptr_t>(a));
    };
    std::vector<Actor*> found =
        filtered(scan(table, [p](Vec2 at) { return !std::isnan(distance2(at, p)); }), filter);
    std::sort(found.begin(), found.end(),
              [&](const Actor* a, const Actor* b) { return key(a) < key(b); });
    found.resize(std::min(k, found.size()));
    return found;
}

/// The actor of the table nearest to p but leaveOut, as scanKNearest orders them.
inline Actor* scanNearest(Actor* const* table, Vec2 p, const Actor* leaveOut) {
    const std::vector<Actor*> found = scanKNearest(table, p, 1, QuadFilter{kQuadAnyKind, leaveOut});
    return found.empty() ? nullptr : found[0];
}

/// What findKNearest answers, nearest first.
inline std::vector<Actor*> queryKNearest(const QuadTreeLayout& layout, Vec2 p, std::size_t k,
                                         const QuadFilter& filter) {
    std::vector<QuadNearest> out(k + 1);
    out.resize(findKNearest(layout, p, k, out.data(), filter));
    std::vector<Actor*> found(out.size());
    std::transform(out.begin(), out.end(), found.begin(),
                   [](const QuadNearest& n) { return n.actor; });
    return found;
}

/// What visitInRect and visitWithin hand their visitor, sorted by address.
inline std::vector<Actor*> queryInRect(const QuadTreeLayout& layout, const QuadRect& r,
                                       const QuadFilter& filter = {}) {
    std::vector<Actor*> found;
    visitInRect(
        layout, r, [&found](Actor* a) { found.push_back(a); }, filter);
    return sorted(found);
}
inline std::vector<Actor*> queryWithin(const QuadTreeLayout& layout, Vec2 c, double d,
                                       const QuadFilter& filter = {}) {
    std::vector<Actor*> found;
    visitWithin(
        layout, c, d, [&found](Actor* a) { found.push_back(a); }, filter);
    return sorted(found);
}

} // namespace layoutscan
