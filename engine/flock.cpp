// The flock's three forces, summed over one query of the layout.
#include "flock.h"

#include "actor.h"
#include "quadquery.h"

namespace {

/// What the neighbours add up to, offsets taken from the body so that they keep their digits.
struct Sums {
    Vec2 push;     ///< Each offset away from a neighbour over its distance squared.
    Vec2 velocity; ///< The neighbours' velocities.
    Vec2 offset;   ///< The neighbours' offsets from the body.
    std::size_t count = 0;
};

/// The force that turns the body's velocity into the wanted one, no longer than its maximum.
Vec2 towards(const SteeringBody& body, Vec2 wanted) {
    return capLength(wanted - body.velocity, body.maxForce);
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
    forces.separation = capLength(sums.push, body.maxForce);
    if (sums.velocity.x != 0 || sums.velocity.y != 0) {
        forces.alignment = towards(body, normalized(sums.velocity) * speed);
    }
    forces.cohesion = seek(body, body.position + sums.offset * share);
    forces.total =
        capLength(forces.separation * rules.separation + forces.alignment * rules.alignment +
                      forces.cohesion * rules.cohesion,
                  body.maxForce);
    return forces;
}
