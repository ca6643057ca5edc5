/// @file
/// The table random source and the wander steering computation.
#pragma once

#include "vectors.h"

#include <cstdint>

/// Entries of n_pi; every draw of TableRandom reads one of them.
constexpr std::int32_t kPiTableSize = 100;

/// The first 100 decimal digits of pi after the point, each divided by ten; entries 2, 67 and
/// 94 hold 1.0.
extern const double n_pi[kPiTableSize];

/// The index of the last draw; 2 when the process starts, 0 to 99 after every draw.
extern std::int32_t pi_idx;

/// Steps pi_idx to (pi_idx + 3) * 3, less 101 above 100, and returns that table entry, negated
/// when the index is above 60. The step leaves the table from the fourth draw on, so the new
/// index is taken modulo 101 (the subtraction of 101 repeated while it applies) and 100, the
/// one value that still lies past the last entry, wraps to entry 0. The first three draws of a
/// process therefore stay 0.2, 0.9 and -0.0 (entries 15, 54, 70); the fourth reads entry 17.
/// The step is computed in 64 bits, so any value a caller wrote into pi_idx is brought back
/// into the table without overflow.
double TableRandom();

/// The steering record of an entity that wanders: each wander() moves a target on a circle
/// ahead of the entity by a random displacement, in the entity's local coordinates (+x ahead).
/// Its owner sets the three parameters; wander() only reads them.
struct WanderBehaviour {
    /// Radius of the wander circle.
    double m_dRadius = 0.0;
    /// How far ahead along +x the circle's centre lies.
    double m_dDistance = 0.0;
    /// Scale of the random displacement added to the target on each call.
    double m_dJitter = 0.0;
    /// The target on the circle, kept from one call to the next. It starts one unit straight
    /// ahead so that the first displacement never cancels it before it has a direction.
    Vec2 m_vWanderTarget{1.0, 0.0};

    /// Displaces the target by (second draw, first draw) times the jitter, puts it back on the
    /// circle and returns it pushed ahead by (m_dDistance, 0). Two draws per call. A target
    /// displaced onto the zero vector gives NaN in both components. A target left at zero (a
    /// radius of 0) or NaN starts again from its starting value at the next call.
    Vec2 wander();
};
