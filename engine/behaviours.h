/// @file
/// Steering behaviours: seek, flee, arrive, pursuit, evade and wander, each a force no longer
/// than the body's maximum, and the step that applies a force to a body. Plain functions on
/// plain values: nothing allocates, keeps state of its own or traces.
#pragma once

#include "randomsource.h"
#include "vectors.h"

/// What steering needs to know of a moving thing, in the plane: where it is, how it moves, and
/// the two maxima its game sets. A maximum of zero, below zero or NaN stops that quantity: no
/// force (every behaviour returns the zero vector) or no speed (applyForce leaves it still).
struct SteeringBody {
    Vec2 position;         ///< Where it stands.
    Vec2 velocity;         ///< Its motion per unit of time.
    double maxSpeed = 1.0; ///< The longest velocity applyForce lets it keep.
    double maxForce = 1.0; ///< The longest force a behaviour returns or applyForce applies.
};

/// The force towards full speed straight at the target: (unit offset * maxSpeed) - velocity,
/// capped at maxForce. On the target itself the wanted velocity is zero, so the force brakes;
/// so it does for a target with a NaN or infinite coordinate. Every behaviour gives the zero
/// vector for a body whose position or velocity is not finite (and wander then draws nothing).
Vec2 seek(const SteeringBody& body, Vec2 target);

/// The force towards full speed straight away from the threat, capped at maxForce. On the
/// threat itself, where no direction is away, the wanted velocity is full speed along the
/// body's own velocity; a body standing still there gets no force.
Vec2 flee(const SteeringBody& body, Vec2 threat);

/// seek that slows down within slowingRadius of the target: the wanted speed is maxSpeed times
/// distance / slowingRadius there, so the body comes to rest on the target. A slowingRadius of
/// zero, below zero or NaN slows nowhere, as seek. On the target it brakes, as seek.
Vec2 arrive(const SteeringBody& body, Vec2 target, double slowingRadius);

/// seek of where a moving quarry will be: its position plus its velocity times the time the
/// body needs to cover the distance at maxSpeed. A quarry whose prediction is not finite (a
/// body that cannot move, a NaN velocity) is sought where it stands.
Vec2 pursuit(const SteeringBody& body, Vec2 quarryPosition, Vec2 quarryVelocity);

/// flee from where a moving threat will be, predicted as pursuit predicts its quarry.
Vec2 evade(const SteeringBody& body, Vec2 threatPosition, Vec2 threatVelocity);

/// The circle of a wanderer and its target on it, drawn from the game's random source rather
/// than the one table that every WanderBehaviour shares.
struct Wander {
    double radius = 1.0;   ///< Radius of the circle ahead of the body.
    double distance = 2.0; ///< How far ahead of the body the circle's centre lies.
    double jitter = 0.4;   ///< The largest move of the target per call, along each axis.
    /// The target on the circle, relative to its centre, in the body's own frame (+x ahead);
    /// kept from one call to the next.
    Vec2 target{1.0, 0.0};
};

/// Moves the wander target by two draws of the source (x first, each in [-1, 1) times the
/// jitter), puts it back on the circle and returns the force towards it: the point ahead, in
/// the world's frame, turned by the body's heading (its velocity's direction, or +x when it
/// stands still), capped at maxForce. A target displaced onto zero, or one that is not finite,
/// starts again straight ahead.
Vec2 wander(const SteeringBody& body, Wander& state, RandomSource& random);

/// One step of time dt: the force, capped at maxForce, changes the velocity, which is capped
/// at maxSpeed, and the velocity moves the position. A force that is not finite counts as
/// none, and so does a velocity; a dt of zero, below zero, infinite or NaN changes nothing.
void applyForce(SteeringBody& body, Vec2 force, double dt);
