// What the benchmarks share: the thread's CPU clock, and the actors they build over.
#pragma once

#include <engine/actor.h>
#include <engine/baseentity.h>
#include <engine/vectors.h>

#include <time.h>

#include <cstddef>
#include <memory>
#include <random>
#include <vector>

// POSIX: the benchmarks are timed on Linux.
inline double cpuNanos() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e9 + static_cast<double>(now.tv_nsec);
}

enum class Spread { Uniform, Clusters };

// Entities in table slots 1 to n, spread over the square from -512 to 512 either uniformly or
// in eight tight clusters.
inline std::vector<std::unique_ptr<Actor>> placeEntities(int n, Spread spread) {
    std::mt19937 random(2026);
    std::uniform_real_distribution<double> square(-511.0, 511.0);
    std::normal_distribution<double> near(0.0, 2.0);
    std::vector<Vec2> centres;
    for (int i = 0; i < 8; ++i) {
        centres.emplace_back(square(random), square(random));
    }
    std::vector<std::unique_ptr<Actor>> actors;
    for (int i = 0; i < n; ++i) {
        actors.push_back(std::make_unique<Actor>());
        const Vec2& c = centres[static_cast<std::size_t>(i) % centres.size()];
        const Vec2 p = spread == Spread::Uniform ? Vec2(square(random), square(random))
                                                 : Vec2(c.x + near(random), c.y + near(random));
        actors.back()->setPosition(p.x, p.y, 0);
        EntityTable[i + 1] = actors.back().get();
    }
    return actors;
}
