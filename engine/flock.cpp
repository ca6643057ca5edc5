// The flock's three forces, summed over one query of the layout.
#include "flock.h"

#include "actor.h"
#include "quadquery.h"

#include <cfloat>
#include <cmath>

namespace {

/// What the neighbours add up to, offsets taken from the body so that they keep their digits.
struct Sums {
    Vec2 push;     ///< Each offset away from a neighbour over its distance squared.
    Vec2 velocity; ///< The neighbours' velocities.
    Vec2 offset;   ///< The neighbours' offsets from the body.
    std::size_t count = 0;
};

/// Whether both components are finite: seek's test of a body that can steer.
bool finite(Vec2 v) {
    return std::isfinite(v.x) && std::isfinite(v.y);
}

/// Whether a sum of squares lies in the normal doubles: its root is then the length to the
/// last bit, and the vector is finite and not zero.
bool normalSquares(double squares) {
    return squares >= DBL_MIN && squares <= DBL_MAX;
}

/// normalized(v), bit for bit, its common case taken here: the flock takes two directions per
/// actor.
Vec2 direction(Vec2 v) {
    const double squares = lengthSquared(v);
    if (!normalSquares(squares)) {
        return normalized(v);
    }
    const double size = std::sqrt(squares);
    return {v.x / size, v.y / size};
}

/// capLength(v, maximum), bit for bit, its common cases taken here, and without a root where
/// the squares decide: the root of a square rounded to a double is the number again, and roots
/// round monotonically, so squares up to maximum * maximum mean a length of at most the
/// maximum. The rest (a cap that would round above the maximum, a length in the band where
/// only the root decides, lengths beyond the normal doubles) is left to capLength.
Vec2 capped(Vec2 v, double maximum) {
    const double squares = lengthSquared(v);
    if (!(maximum > 0) || !normalSquares(squares)) {
        return capLength(v, maximum);
    }
    const double limit = maximum * maximum;
    if (squares <= limit) {
        return v;
    }
    const double size = std::sqrt(squares);
    const Vec2 shortened(v.x / size * maximum, v.y / size * maximum);
    const double shortSquares = lengthSquared(shortened);
    if (size > maximum && normalSquares(shortSquares) &&
        (shortSquares <= limit || std::sqrt(shortSquares) <= maximum)) {
        return shortened;
    }
    return capLength(v, maximum);
}

/// The force that turns the body's velocity into the wanted one, no longer than its maximum.
Vec2 towards(const SteeringBody& body, Vec2 wanted) {
    return capped(wanted - body.velocity, body.maxForce);
}

} // namespace

FlockForces flockForces(const QuadTreeLayout& layout, const Actor& actor, const SteeringBody& body,
                        const FlockRules& rules) {
    Sums sums;
    visitWithin(layout, body.position, rules.radius, [&](Actor* other, Vec2 at) {
        if (other == &actor) {
            return;
        }
        const Vec2 away = body.position - at;
        const double squared = lengthSquared(away);
        if (squared > 0) {
            sums.push += Vec2(away.x / squared, away.y / squared);
        }
        sums.velocity += Vec2(other->velocity.x, other->velocity.y);
        sums.offset -= away;
        ++sums.count;
    });
    FlockForces forces;
    forces.neighbours = sums.count;
    if (sums.count == 0) {
        return forces;
    }
    const double share = 1.0 / static_cast<double>(sums.count);
    const double speed = body.maxSpeed > 0 ? body.maxSpeed : 0.0;
    forces.separation = capped(sums.push, body.maxForce);
    if (sums.velocity.x != 0 || sums.velocity.y != 0) {
        forces.alignment = towards(body, direction(sums.velocity) * speed);
    }
    // seek of the centre; a body that is nowhere or moves by no finite amount seeks nothing.
    if (finite(body.position) && finite(body.velocity)) {
        const Vec2 centre = body.position + sums.offset * share;
        forces.cohesion = towards(body, direction(centre - body.position) * speed);
    }
    forces.total = capped(forces.separation * rules.separation +
                              forces.alignment * rules.alignment + forces.cohesion * rules.cohesion,
                          body.maxForce);
    return forces;
}
