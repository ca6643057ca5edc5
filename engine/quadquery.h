/// @file
/// Who is near: the actors of a built layout inside a rectangle, within a distance of a point,
/// and nearest to a point, each with a filter. Each answer is the one a scan of every position
/// the layout holds would give, midline and outside entities included. A query reads only the
/// layout: it stays safe to ask after any of its actors is destroyed, and hands back the
/// pointers it holds, which a game may compare but must not follow to an actor it destroyed.
#pragma once

#include "quadlayout.h"
#include "quadrect.h"
#include "vectors.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <type_traits>
#include <utility>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

class Actor;

/// What a query hands each actor it finds to: call(context, actor, position) returns false to
/// stop the query there. visitInRect and visitWithin also take any callable, which they call in
/// line; a game may fill a QuadVisitor by hand, as it fills MessageHooks.
struct QuadVisitor {
    void* context = nullptr; ///< Handed back to call untouched.
    /// Called for each actor found, with where it stood; null counts the actors only.
    bool (*call)(void* context, Actor* actor, Vec2 position) = nullptr;
};

/// Which entities a query asks for: those sharing a kind with kinds (every entity, whatever its
/// kinds, when kinds is kQuadAnyKind), leaving out leaveOut (an actor asking of its neighbours
/// passes itself). Both are read from the layout: a filter never reads an actor.
struct QuadFilter {
    QuadKinds kinds = kQuadAnyKind;  ///< The kinds asked for, as the build was given them.
    const Actor* leaveOut = nullptr; ///< Never found; compared, never read.
};

/// One answer of findNearest and findKNearest.
struct QuadNearest {
    Actor* actor = nullptr; ///< Null when no entity qualifies.
    Vec2 position;          ///< Where the actor stood when the layout was built.
    /// Its distance to the point, exact to the last bit at every scale; infinity when no entity
    /// qualifies or where the distance is beyond the largest double.
    double distance = std::numeric_limits<double>::infinity();
    std::uint32_t id = 0; ///< The actor's identifier, as the build read it; 0 when none qualifies.
};

/// Hands the visitor every entity of the layout that the filter admits and whose position lies
/// inside the rectangle, borders included (minX <= x <= maxX and minY <= y <= maxY), and returns
/// how many it handed. Stops early where the visitor returns false. The order is fixed by the
/// layout, the same on every target, and otherwise not promised; outside entities come last.
/// An entity with a NaN coordinate is never found. Allocates nothing and reads no actor.
std::size_t visitInRect(const QuadTreeLayout& layout, const QuadRect& rect, QuadVisitor visitor,
                        const QuadFilter& filter = {});

/// Hands the visitor every entity within the distance of the centre, the circle included, as
/// visitInRect does. The distance is compared as the exact distance rounded once, at every
/// scale; where dx * dx + dy * dy and distance * distance neither overflow nor fade below the
/// normal doubles, that is dx * dx + dy * dy <= distance * distance. A negative or NaN distance
/// finds none.
std::size_t visitWithin(const QuadTreeLayout& layout, Vec2 centre, double distance,
                        QuadVisitor visitor, const QuadFilter& filter = {});

/// The entity nearest to the point, leaving out leaveOut (an actor asking for its nearest other
/// passes itself). Among entities at the same distance, the one with the smallest identifier (and
/// of actors sharing one, which only a rewound be_val makes, the one at the lowest address).
/// An entity whose distance is NaN is never chosen. Allocates nothing and reads no actor.
QuadNearest findNearest(const QuadTreeLayout& layout, Vec2 point, const Actor* leaveOut = nullptr);

/// The nearest entity that the filter admits, as findNearest finds it.
QuadNearest findNearest(const QuadTreeLayout& layout, Vec2 point, const QuadFilter& filter);

/// The k entities nearest to the point that the filter admits, nearest first, written to
/// out[0] onwards; returns how many were written: k, or fewer where fewer qualify. Ordered as
/// findNearest chooses: by distance, then identifier, then address. Allocates nothing and reads
/// no actor; out must hold k answers.
std::size_t findKNearest(const QuadTreeLayout& layout, Vec2 point, std::size_t k, QuadNearest* out,
                         const QuadFilter& filter = {});

namespace quadquery_detail {

/// Calls a visitor taking (Actor*) or (Actor*, Vec2), returning void or a bool that says go on.
template <class Visit> bool invoke(Visit& visit, Actor* actor, Vec2 position) {
    if constexpr (std::is_invocable_v<Visit&, Actor*, Vec2>) {
        if constexpr (std::is_void_v<std::invoke_result_t<Visit&, Actor*, Vec2>>) {
            visit(actor, position);
            return true;
        } else {
            return static_cast<bool>(visit(actor, position));
        }
    } else if constexpr (std::is_void_v<std::invoke_result_t<Visit&, Actor*>>) {
        visit(actor);
        return true;
    } else {
        return static_cast<bool>(visit(actor));
    }
}

/// invoke through a QuadVisitor's call.
template <class Visit> bool call(void* context, Actor* actor, Vec2 position) {
    return invoke(*static_cast<Visit*>(context), actor, position);
}

/// A QuadVisitor that calls the callable, which must outlive it.
template <class Visit> QuadVisitor wrap(Visit& visit) {
    return {const_cast<void*>(static_cast<const void*>(&visit)), &call<Visit>};
}

/// What the filter asks of each entity, with the kinds test left out where it asks for any.
class Admits {
public:
    explicit Admits(const QuadFilter& filter)
        : kinds_(filter.kinds), any_(filter.kinds == kQuadAnyKind), leaveOut_(filter.leaveOut) {}

    bool kinds(QuadKinds k) const { return any_ || (k & kinds_) != 0; }
    bool entity(const QuadIndex& index, std::size_t i) const {
        return kinds(index.kinds[i]) && (leaveOut_ == nullptr || index.actors[i] != leaveOut_);
    }

private:
    QuadKinds kinds_;
    bool any_;
    const Actor* leaveOut_;
};

inline double distance2(Vec2 p, Vec2 q) {
    const double dx = q.x - p.x;
    const double dy = q.y - p.y;
    return dx * dx + dy * dy;
}

/// The point of the box nearest to c: rounding keeps order, so no point of the box is nearer.
inline Vec2 nearestIn(const QuadRect& box, Vec2 c) {
    return {std::max(box.minX, std::min(c.x, box.maxX)),
            std::max(box.minY, std::min(c.y, box.maxY))};
}

/// The corner of the box farthest from c: no point of the box is farther.
inline Vec2 farthestIn(const QuadRect& box, Vec2 c) {
    return {c.x - box.minX > box.maxX - c.x ? box.minX : box.maxX,
            c.y - box.minY > box.maxY - c.y ? box.minY : box.maxY};
}

/// A closed rectangle as a query's region.
struct RectRegion {
    QuadRect r;

    bool meets(const QuadRect& n) const {
        return n.minX <= r.maxX && r.minX <= n.maxX && n.minY <= r.maxY && r.minY <= n.maxY;
    }
    bool covers(const QuadRect& n) const {
        return r.minX <= n.minX && n.maxX <= r.maxX && r.minY <= n.minY && n.maxY <= r.maxY;
    }
    // Where SSE2 is there, both axes in two comparisons; a comparison of doubles is exact, so
    // both ways hold the same points.
    bool holds(Vec2 p) const {
#if defined(__SSE2__)
        const __m128d at = _mm_loadu_pd(&p.x);
        const __m128d inside = _mm_and_pd(_mm_cmple_pd(_mm_set_pd(r.minY, r.minX), at),
                                          _mm_cmple_pd(at, _mm_set_pd(r.maxY, r.maxX)));
        return _mm_movemask_pd(inside) == 3;
#else
        return r.minX <= p.x && p.x <= r.maxX && r.minY <= p.y && p.y <= r.maxY;
#endif
    }
};

/// Where a squared distance still keeps the digits of both squares it sums.
constexpr double kLowest2 = 0x1p-960;

/// Whether a squared distance orders as the distance does: between kLowest2 and the largest
/// double.
inline bool normalSquare(double d2) {
    return d2 >= kLowest2 && d2 <= std::numeric_limits<double>::max();
}

/// Whether either coordinate is NaN: such a point is nowhere, and finds nothing.
inline bool isNaN(Vec2 p) {
    return std::isnan(p.x) || std::isnan(p.y);
}

/// A closed disc whose squared radius is a normal double: there a squared distance compares
/// exactly as the distance does, since one that fades below the normal doubles lies inside and
/// one that overflows lies outside.
class NormalDisc {
public:
    NormalDisc(Vec2 c, double reach2) : x_(c.x), reach2_(reach2), y_(c.y) {}

    bool meets(const QuadRect& n) const { return distance2(c(), nearestIn(n, c())) <= reach2_; }
    bool covers(const QuadRect& n) const { return distance2(c(), farthestIn(n, c())) <= reach2_; }
    // Where SSE2 is there, both axes' differences and squares at once, summed as distance2 sums
    // them.
    bool holds(Vec2 p) const {
#if defined(__SSE2__)
        const __m128d d = _mm_sub_pd(_mm_loadu_pd(&p.x), _mm_set_pd(y_, x_));
        const __m128d squares = _mm_mul_pd(d, d);
        return _mm_cvtsd_f64(_mm_add_sd(squares, _mm_unpackhi_pd(squares, squares))) <= reach2_;
#else
        return distance2(c(), p) <= reach2_;
#endif
    }

private:
    Vec2 c() const {
        return {x_, y_};
    }

    // The centre's coordinates kept apart: copied as a pair from where they were passed, they
    // would be stored in halves and loaded whole at once, which stalls every query.
    double x_;
    double reach2_;
    double y_;
};

/// What waits in a walk. Each node taken pushes at most its four quadrants, and the depth is
/// bounded, so a walk never holds more than this.
constexpr std::size_t kPending = 4 * (static_cast<std::size_t>(kQuadTreeMaxDepth) + 3);

/// Hands the visitor every entity of the region the filter admits, in the index's order: a
/// node's own entities, then its quadrants', then the outside entities. A quadrant whose box the
/// region does not meet is passed over, and one whose box it covers is handed whole. Returns
/// how many it handed.
template <class Region, class Visit> class RegionWalk {
public:
    RegionWalk(const QuadIndex& index, const Region& region, const QuadFilter& filter, Visit& visit)
        : index_(index), region_(region), admits_(filter), visit_(visit) {}

    std::size_t run() {
        if (tree()) {
            hand(index_.outside, static_cast<std::uint32_t>(index_.positions.size()), false);
        }
        return found_;
    }

private:
    // False once the visitor has asked to stop.
    bool tree() {
        // Each waiting quadrant as (node * 4 + quadrant) * 2, plus 1 where the region covers it.
        std::array<std::size_t, kPending> pending; // NOLINT: written before it is read
        // A layout never built has no node.
        std::size_t count = index_.nodes.empty() ? 0 : 1;
        pending[0] = 0;
        while (count > 0) {
            const std::size_t at = pending[--count];
            const QuadIndexNode& parent = index_.nodes[at >> 3U];
            const std::size_t q = (at >> 1U) & 3U;
            const bool all = (at & 1U) != 0;
            if (all || parent.quadrant[q] < 0) {
                if (!hand(parent.first[q], parent.end[q], all)) {
                    return false;
                }
                continue;
            }
            const auto n = static_cast<std::size_t>(parent.quadrant[q]);
            const QuadIndexNode& node = index_.nodes[n];
            if (!hand(node.ownFirst, node.ownEnd, false)) {
                return false;
            }
            // Pushed last first, so that they are taken in the index's order. Every entity of a
            // quadrant lies strictly inside the world, never at NaN.
            // A range read whole is tested entity by entity, which costs about what a test of
            // whether the region covers it would.
            for (std::size_t i = 4; i-- > 0;) {
                if (admits_.kinds(node.kinds[i]) && region_.meets(node.box[i])) {
                    const bool covered = node.quadrant[i] >= 0 && region_.covers(node.box[i]);
                    pending[count++] = (n * 4 + i) * 2 + (covered ? 1 : 0);
                }
            }
        }
        return true;
    }

    // Hands over the range's entities that the region holds, or all of them; false once the
    // visitor has asked to stop.
    bool hand(std::uint32_t first, std::uint32_t end, bool all) {
        for (std::size_t i = first; i < end; ++i) {
            if ((!all && !region_.holds(index_.positions[i])) || !admits_.entity(index_, i)) {
                continue;
            }
            ++found_;
            if (!invoke(visit_, index_.actors[i], index_.positions[i])) {
                return false;
            }
        }
        return true;
    }

    const QuadIndex& index_;
    Region region_;
    Admits admits_;
    Visit& visit_;
    std::size_t found_ = 0;
};

/// Walks the region with the visitor called in line.
template <class Region, class Visit>
std::size_t walk(const QuadIndex& index, const Region& region, const QuadFilter& filter,
                 Visit& visit) {
    return RegionWalk<Region, Visit>(index, region, filter, visit).run();
}

} // namespace quadquery_detail

/// visitInRect with any callable taking (Actor*) or (Actor*, Vec2): one that returns bool stops
/// the query by returning false, one that returns nothing sees every entity found. The walk is
/// compiled with the callable, which it calls in line.
template <class Visit, class = std::enable_if_t<!std::is_same_v<std::decay_t<Visit>, QuadVisitor>>>
std::size_t visitInRect(const QuadTreeLayout& layout, const QuadRect& rect, Visit&& visit,
                        const QuadFilter& filter = {}) {
    return quadquery_detail::walk(layout.index, quadquery_detail::RectRegion{rect}, filter, visit);
}

/// visitWithin with any callable, as visitInRect takes one. A distance whose square leaves the
/// normal doubles, and the distances and centres it refuses, are measured out of line.
template <class Visit, class = std::enable_if_t<!std::is_same_v<std::decay_t<Visit>, QuadVisitor>>>
std::size_t visitWithin(const QuadTreeLayout& layout, Vec2 centre, double distance, Visit&& visit,
                        const QuadFilter& filter = {}) {
    const double reach2 = distance * distance;
    if (!(distance >= 0) || !quadquery_detail::normalSquare(reach2) ||
        quadquery_detail::isNaN(centre)) {
        return visitWithin(layout, centre, distance, quadquery_detail::wrap(visit), filter);
    }
    return quadquery_detail::walk(layout.index, quadquery_detail::NormalDisc{centre, reach2},
                                  filter, visit);
}
