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

#include <cstddef>
#include <cstdint>
#include <limits>
#include <type_traits>
#include <utility>

class Actor;

/// What a query hands each actor it finds to: call(context, actor, position) returns false to
/// stop the query there. visitInRect and visitWithin wrap any callable in one; a game may also
/// fill one by hand, as it fills MessageHooks.
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
    std::uint32_t id = 0; ///< The actor's identifier, as the build read it.
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
template <class Visit> bool call(void* context, Actor* actor, Vec2 position) {
    Visit& visit = *static_cast<Visit*>(context);
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

/// A QuadVisitor that calls the callable, which must outlive it.
template <class Visit> QuadVisitor wrap(Visit& visit) {
    return {const_cast<void*>(static_cast<const void*>(&visit)), &call<Visit>};
}

} // namespace quadquery_detail

/// visitInRect with any callable taking (Actor*) or (Actor*, Vec2): one that returns bool stops
/// the query by returning false, one that returns nothing sees every entity found.
template <class Visit, class = std::enable_if_t<!std::is_same_v<std::decay_t<Visit>, QuadVisitor>>>
std::size_t visitInRect(const QuadTreeLayout& layout, const QuadRect& rect, Visit&& visit,
                        const QuadFilter& filter = {}) {
    return visitInRect(layout, rect, quadquery_detail::wrap(visit), filter);
}

/// visitWithin with any callable, as visitInRect takes one.
template <class Visit, class = std::enable_if_t<!std::is_same_v<std::decay_t<Visit>, QuadVisitor>>>
std::size_t visitWithin(const QuadTreeLayout& layout, Vec2 centre, double distance, Visit&& visit,
                        const QuadFilter& filter = {}) {
    return visitWithin(layout, centre, distance, quadquery_detail::wrap(visit), filter);
}
