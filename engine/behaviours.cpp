// Steering behaviours on plain values.
#include "behaviours.h"

#include <cmath>

namespace {

bool finite(Vec2 v) {
    return std::isfinite(v.x) && std::isfinite(v.y);
}

/// A body that is nowhere or moves by no finite amount is steered by nothing.
bool steerable(const SteeringBody& body) {
    return finite(body.position) && finite(body.velocity);
}

/// The force that turns the velocity into the wanted one, no longer than the maximum.
Vec2 steerTowards(const SteeringBody& body, Vec2 wanted) {
    if (!steerable(body)) {
        return {};
    }
    return capLength(wanted - body.velocity, body.maxForce);
}

/// Where a mover will be when the body, at full speed, could have covered the distance to it.
Vec2 predicted(const SteeringBody& body, Vec2 position, Vec2 velocity) {
    const double lookAhead = distance(body.position, position) / body.maxSpeed;
    const Vec2 ahead = position + velocity * lookAhead;
    if (!(lookAhead >= 0) || !finite(ahead)) {
        return position;
    }
    return ahead;
}

double usableSpeed(const SteeringBody& body) {
    return body.maxSpeed > 0 ? body.maxSpeed : 0.0;
}

} // namespace

Vec2 seek(const SteeringBody& body, Vec2 target) {
    return steerTowards(body, normalized(target - body.position) * usableSpeed(body));
}

Vec2 flee(const SteeringBody& body, Vec2 threat) {
    Vec2 away = normalized(body.position - threat);
    if (away.x == 0 && away.y == 0) {
        away = normalized(body.velocity);
    }
    return steerTowards(body, away * usableSpeed(body));
}

Vec2 arrive(const SteeringBody& body, Vec2 target, double slowingRadius) {
    const Vec2 offset = target - body.position;
    const double distanceLeft = offset.length();
    double speed = usableSpeed(body);
    if (distanceLeft < slowingRadius) {
        speed = speed * (distanceLeft / slowingRadius);
    }
    return steerTowards(body, normalized(offset) * speed);
}

Vec2 pursuit(const SteeringBody& body, Vec2 quarryPosition, Vec2 quarryVelocity) {
    return seek(body, predicted(body, quarryPosition, quarryVelocity));
}

Vec2 evade(const SteeringBody& body, Vec2 threatPosition, Vec2 threatVelocity) {
    return flee(body, predicted(body, threatPosition, threatVelocity));
}

Vec2 wander(const SteeringBody& body, Wander& state, RandomSource& random) {
    if (!steerable(body)) {
        return {};
    }
    const double dx = random.symmetric() * state.jitter;
    const double dy = random.symmetric() * state.jitter;
    Vec2 target = normalized(state.target + Vec2(dx, dy));
    if (target.x == 0 && target.y == 0) {
        target = Wander{}.target;
    }
    state.target = target * state.radius;
    const Vec2 local = state.target + Vec2(state.distance, 0.0);
    Vec2 heading = normalized(body.velocity);
    if (heading.x == 0 && heading.y == 0) {
        heading = {1.0, 0.0};
    }
    const Vec2 side(-heading.y, heading.x);
    return capLength(heading * local.x + side * local.y, body.maxForce);
}

void applyForce(SteeringBody& body, Vec2 force, double dt) {
    if (!(dt > 0) || !std::isfinite(dt)) {
        return;
    }
    const Vec2 velocity = body.velocity + capLength(force, body.maxForce) * dt;
    body.velocity = capLength(velocity, body.maxSpeed);
    body.position += body.velocity * dt;
}
