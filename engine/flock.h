/// @file
/// A flock on the game's partition: separation, alignment and cohesion over the neighbours
/// that a query of the layout finds within a distance, weighted by the game.
#pragma once

#include "behaviours.h"
#include "quadlayout.h"
#include "vectors.h"

#include <cstddef>

class Actor;

/// How a flock keeps together: who counts as a neighbour, and the weight of each force.
struct FlockRules {
    /// Actors within this distance of the body, the circle included, are its neighbours; a
    /// distance below zero or NaN finds none.
    double radius = 50.0;
    double separation = 1.5; ///< Weight of the push away from crowding neighbours.
    double alignment = 1.0;  ///< Weight of the turn towards the neighbours' mean heading.
    double cohesion = 1.0;   ///< Weight of the pull towards the neighbours' centre.
};

/// The three forces of one actor, each capped at the body's maxForce, and their weighted sum.
struct FlockForces {
    /// Away from the neighbours: the sum of each one's offset from the body over its distance
    /// squared, a push of one over the distance, so the nearer, the harder. A neighbour
    /// standing on the body pushes nothing.
    Vec2 separation;
    /// Full speed along the neighbours' mean heading (the direction of their summed
    /// velocities); neighbours whose velocities cancel out give none.
    Vec2 alignment;
    /// seek of the neighbours' centre.
    Vec2 cohesion;
    /// separation, alignment and cohesion times their weights, summed, capped at maxForce.
    Vec2 total;
    /// The neighbours found; with none, every force is zero.
    std::size_t neighbours = 0;
};

/// The flock's forces on the actor, whose body (its position and velocity as the layout was
/// built, and its maxima) the game gives: one visitWithin of the layout around the body's
/// position, the actor itself left out. Each neighbour is taken at the position the layout
/// holds and with the velocity its actor has now (x and y). Allocates nothing.
FlockForces flockForces(const QuadTreeLayout& layout, const Actor& actor, const SteeringBody& body,
                        const FlockRules& rules);
