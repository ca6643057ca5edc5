/// @file
/// Who is near: the actors of a built layout inside a rectangle, within a distance of a point,
/// and nearest to a point. Each answer is the one a scan of every position the layout holds
/// would give, midline and outside entities included.
#pragma once

#include "quadlayout.h"
#include "quadrect.h"
#include "vectors.h"

#include <cstddef>
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

/// The answer of findNearest.
struct QuadNearest {
    Actor* actor = nullptr; ///< Null when no entity qualifies.
    Vec2 position;          ///< Where the actor stood when the layout was built.
    /// Its distance to the point; infinity when no entity qualifies.
    double distance = std::numeric_limits<double>::infinity();
};

/// Hands the visitor every entity of the layout whose position lies inside the rectangle,
/// borders included (minX <= x <= maxX and minY <= y <= maxY), and returns how many it handed.
/// Stops early where the visitor returns false. The order is fixed by the layout, the same on
/// every target, and otherwise not promised; outside entities come last. An entity with a NaN
/// coordinate is never found. Allocates nothing.
std::size_t visitInRect(const QuadTreeLayout& layout, const QuadRect& rect, QuadVisitor visitor);

/// Hands the visitor every entity within the distance of the centre, the circle included
/// (dx * dx + dy * dy <= distance * distance, in doubles), as visitInRect does. A negative or
/// NaN distance finds none.
std::size_t visitWithin(const QuadTreeLayout& layout, Vec2 centre, double distance,
                        QuadVisitor visitor);

/// The entity nearest to the point, leaving out leaveOut (an actor asking for its nearest other
/// passes itself). Among entities at the same distance, the one with the smallest identifier (and
/// of actors sharing one, which only a rewound be_val makes, the one at the lowest address).
/// An entity whose distance is NaN is never chosen. Allocates nothing.
QuadNearest findNearest(const QuadTreeLayout& layout, Vec2 point, const Actor* leaveOut = nullptr);

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
std::size_t visitInRect(const QuadTreeLayout& layout, const QuadRect& rect, Visit&& visit) {
    return visitInRect(layout, rect, quadquery_detail::wrap(visit));
}

/// visitWithin with any callable, as visitInRect takes one.
template <class Visit, class = std::enable_if_t<!std::is_same_v<std::decay_t<Visit>, QuadVisitor>>>
std::size_t visitWithin(const QuadTreeLayout& layout, Vec2 centre, double distance, Visit&& visit) {
    return visitWithin(layout, centre, distance, quadquery_detail::wrap(visit));
}
