/// @file
/// A random source of a game's own: one per actor or per behaviour, seeded, and the same
/// numbers on every target, as integer arithmetic gives them.
#pragma once

#include <cstdint>

/// A seeded generator of 64-bit numbers (an additive step through the 64-bit integers, each
/// state mixed into its output) and of doubles made from them by exact integer arithmetic.
/// Every seed, 0 included, starts a full-length run, and two sources with different seeds give
/// different runs; the same seed gives the same numbers natively, on Windows and on the web.
/// Copying a source copies its place in the run.
struct RandomSource {
    /// Where the run stands; next() steps it. A game may save and restore it.
    std::uint64_t state = 0;

    /// The source of seed 0.
    RandomSource() = default;
    /// The source of the seed: its run starts from that state.
    explicit RandomSource(std::uint64_t seed) : state(seed) {}

    /// The next 64-bit number of the run.
    std::uint64_t next();
    /// A double in [0, 1): the top 53 bits of next(), times 2^-53, so every value is a
    /// multiple of 2^-53 and exact.
    double unit();
    /// A double in [-1, 1): 2 * unit() - 1, also exact.
    double symmetric();
};
