// What one frame of a 1000-actor flock costs, step by step: the partition, the neighbour
// queries alone (one visitWithin per actor, counting), the flock's forces (flockForces, which
// makes the same queries, less the queries' own time: the steering's arithmetic), and the move
// (applyForce, the square's wrap and the actor's setters). Each step is timed in the thread's
// CPU time within every frame, so the shares come from the same moments of the run;
// repetitions report their spread (the cv aggregate).
#include <engine/actor.h>
#include <engine/baseentity.h>
#include <engine/behaviours.h>
#include <engine/flock.h>
#include <engine/quadlayout.h>
#include <engine/quadquery.h>
#include <engine/randomsource.h>
#include <engine/trace.h>

#include <benchmark/benchmark.h>

#include <time.h>

#include <array>
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr QuadRect kWorld{-512, 512, -512, 512};
constexpr FlockRules kRules{40.0, 1.0, 1.0, 1.0};
constexpr std::size_t kSteps = 4;

// POSIX: the benchmarks are timed on Linux.
double cpuNanos() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e9 + static_cast<double>(now.tv_nsec);
}

double wrap(double v) {
    if (v < kWorld.minX) {
        return v + 1024;
    }
    return v >= kWorld.maxX ? v - 1024 : v;
}

/// The flock's actors in a table of its own, scattered over the square from a seed.
class Flock {
public:
    explicit Flock(std::size_t count) {
        const ScopedTraceRoute quiet(TraceRoute::nowhere());
        RandomSource random(1000);
        for (std::size_t i = 0; i < count; ++i) {
            actors_.push_back(std::make_unique<Actor>("bird"));
            const double x = random.symmetric() * 511;
            const double y = random.symmetric() * 511;
            const double vx = random.symmetric();
            const double vy = random.symmetric();
            actors_.back()->setPosition(x, y, 0);
            actors_.back()->setVelocity(vx, vy, 0);
            table_[i + 1] = actors_.back().get();
        }
        forces_.resize(count);
    }

    SteeringBody body(const Actor& actor) const {
        return {actor.getPosition2D(), {actor.velocity.x, actor.velocity.y}, 2.0, 0.05};
    }

    /// One frame; adds each step's nanoseconds to spent.
    void frame(std::array<double, kSteps>& spent, std::size_t& found) {
        std::array<double, kSteps + 1> at{};
        at[0] = cpuNanos();
        partitionQuadTree(kWorld, table_, layout_);
        at[1] = cpuNanos();
        for (const auto& actor : actors_) {
            Vec2 sum;
            found += visitWithin(layout_, actor->getPosition2D(), kRules.radius,
                                 [&sum](Actor* other, Vec2 at) {
                                     sum += at + Vec2{other->velocity.x, other->velocity.y};
                                 });
            benchmark::DoNotOptimize(sum);
        }
        at[2] = cpuNanos();
        for (std::size_t i = 0; i < actors_.size(); ++i) {
            forces_[i] = flockForces(layout_, *actors_[i], body(*actors_[i]), kRules).total;
        }
        at[3] = cpuNanos();
        for (std::size_t i = 0; i < actors_.size(); ++i) {
            SteeringBody b = body(*actors_[i]);
            applyForce(b, forces_[i], 1.0);
            actors_[i]->setPosition(wrap(b.position.x), wrap(b.position.y), 0);
            actors_[i]->setVelocity(b.velocity.x, b.velocity.y, 0);
        }
        at[4] = cpuNanos();
        // The forces' own share is what flockForces takes beyond the queries it makes.
        spent[0] += at[1] - at[0];
        spent[1] += at[2] - at[1];
        spent[2] += (at[3] - at[2]) - (at[2] - at[1]);
        spent[3] += at[4] - at[3];
    }

private:
    std::vector<std::unique_ptr<Actor>> actors_;
    Actor* table_[kEntityTableSize] = {};
    QuadTreeLayout layout_;
    std::vector<Vec2> forces_;
};

void FlockFrame(benchmark::State& state) {
    Flock flock(static_cast<std::size_t>(state.range(0)));
    std::array<double, kSteps> spent{};
    std::size_t found = 0;
    double frames = 0;
    for (auto _ : state) {
        const double start = cpuNanos();
        flock.frame(spent, found);
        frames += 1;
        state.SetIterationTime((cpuNanos() - start) / 1e9);
    }
    double total = 0;
    for (const double step : spent) {
        total += step;
    }
    const char* names[kSteps] = {"partition", "query", "forces", "move"};
    state.counters["frame_us"] = total / frames / 1e3;
    for (std::size_t step = 0; step < kSteps; ++step) {
        state.counters[std::string(names[step]) + "_share"] = spent[step] / total;
    }
    state.counters["neighbours"] = static_cast<double>(found) / frames / state.range(0) - 1;
}

} // namespace

BENCHMARK(FlockFrame)->Arg(1000)->UseManualTime()->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
