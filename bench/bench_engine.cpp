// What each part of the engine costs. Where a part has a natural floor, the same run measures
// that floor and reports the part's time as a multiple of it (counter x_floor).
#include <engine/actor.h>
#include <engine/baseentity.h>
#include <engine/message.h>
#include <engine/mhandler.h>
#include <engine/quadnode.h>
#include <engine/scenario.h>
#include <engine/steering.h>

#include "capture.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <iostream>
#include <memory>
#include <random>
#include <streambuf>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// Swallows the console trace while it is still formatted as it would be for the console.
class NullBuffer : public std::streambuf {
protected:
    int overflow(int c) override { return c; }
    std::streamsize xsputn(const char* /*text*/, std::streamsize n) override { return n; }
};

class QuietConsole {
public:
    QuietConsole() : previous_(std::cout.rdbuf(&sink_)) {}
    ~QuietConsole() { std::cout.rdbuf(previous_); }
    QuietConsole(const QuietConsole&) = delete;
    QuietConsole& operator=(const QuietConsole&) = delete;

private:
    NullBuffer sink_;
    std::streambuf* previous_;
};

// Mean nanoseconds of one call of work, over enough calls to outlast the clock's resolution.
template <typename Work> double nanosPerCall(Work work) {
    constexpr int kCalls = 200000;
    for (int i = 0; i < kCalls / 10; ++i) {
        work();
    }
    const auto start = Clock::now();
    for (int i = 0; i < kCalls; ++i) {
        work();
    }
    return std::chrono::duration<double, std::nano>(Clock::now() - start).count() / kCalls;
}

// One allocation and release of a message plus the 63-slot shift of a queue: what a send and
// its processing cannot do without.
double messageFloorNanos() {
    Message* slots[MHandler::kCapacity] = {};
    return nanosPerCall([&slots] {
        slots[0] = new Message(1, 0, 'p', 0);
        benchmark::DoNotOptimize(slots[0]);
        delete slots[0];
        std::copy(slots + 1, slots + MHandler::kCapacity, slots);
        benchmark::ClobberMemory();
    });
}

void MessageRoundTrip(benchmark::State& state) {
    QuietConsole quiet;
    resetEngineGlobals();
    const double floor = messageFloorNanos();
    auto receiver = std::make_unique<Actor>("Quella");
    auto sender = std::make_unique<Actor>("Varn");
    EntityTable[1] = receiver.get();
    EntityTable[2] = sender.get();
    sender->handler.setEntityTable(EntityTable);
    const auto start = Clock::now();
    for (auto _ : state) {
        sender->sendMessage(0, 'p', 0);
        sender->update();
    }
    const double elapsed = std::chrono::duration<double, std::nano>(Clock::now() - start).count();
    state.counters["floor_ns"] = floor;
    state.counters["x_floor"] = elapsed / static_cast<double>(state.iterations()) / floor;
    resetEngineGlobals();
}
BENCHMARK(MessageRoundTrip);

int countNodes(const QuadNode* node) {
    int nodes = 1;
    for (const QuadNode* child : node->children) {
        nodes += countNodes(child);
    }
    return nodes;
}

// What one node's build cannot do without: a plain scan of the 1024-slot table.
double tableScanNanos() {
    return nanosPerCall([] {
        std::size_t inside = 0;
        for (const Actor* a : EntityTable) {
            if (a != nullptr) {
                const Vec2 p = a->getPosition2D();
                inside += (-512 < p.x && p.x < 512 && -512 < p.y && p.y < 512) ? 1 : 0;
            }
        }
        benchmark::DoNotOptimize(inside);
    });
}

enum class Spread { Uniform, Clusters };

// Entities in table slots 1 to n, spread over the square from -512 to 512 either uniformly or
// in eight tight clusters.
std::vector<std::unique_ptr<Actor>> placeEntities(int n, Spread spread) {
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

void QuadTreeBuild(benchmark::State& state, Spread spread) {
    QuietConsole quiet;
    resetEngineGlobals();
    const auto actors = placeEntities(static_cast<int>(state.range(0)), spread);
    const double scan = tableScanNanos();
    QuadNode* probe = QuadTreeBuilder(-512, 512, -512, 512, EntityTable);
    const int nodes = countNodes(probe);
    releaseQuadTree(probe);
    // Only the build is timed; each tree is released outside the measured span.
    double elapsed = 0;
    for (auto _ : state) {
        cellSlotCounter = 0;
        const auto start = Clock::now();
        QuadNode* root = QuadTreeBuilder(-512, 512, -512, 512, EntityTable);
        const std::chrono::duration<double, std::nano> built = Clock::now() - start;
        state.SetIterationTime(built.count() * 1e-9);
        elapsed += built.count();
        releaseQuadTree(root);
    }
    state.counters["nodes"] = nodes;
    state.counters["floor_ns"] = scan * nodes;
    state.counters["x_floor"] = elapsed / static_cast<double>(state.iterations()) / (scan * nodes);
    resetEngineGlobals();
}
BENCHMARK_CAPTURE(QuadTreeBuild, uniform, Spread::Uniform)
    ->Arg(4)
    ->Arg(64)
    ->Arg(256)
    ->Arg(1023)
    ->UseManualTime();
BENCHMARK_CAPTURE(QuadTreeBuild, clusters, Spread::Clusters)
    ->Arg(4)
    ->Arg(64)
    ->Arg(256)
    ->Arg(1023)
    ->UseManualTime();

void TableRandomDraw(benchmark::State& state) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(TableRandom());
    }
}
BENCHMARK(TableRandomDraw);

void Wander(benchmark::State& state) {
    WanderBehaviour w;
    w.m_dRadius = 2.5;
    w.m_dDistance = 4.0;
    w.m_dJitter = 1.3;
    for (auto _ : state) {
        benchmark::DoNotOptimize(w.wander());
    }
}
BENCHMARK(Wander);

void Scenario(benchmark::State& state) {
    QuietConsole quiet;
    for (auto _ : state) {
        resetEngineGlobals();
        benchmark::DoNotOptimize(runScenario());
    }
    resetEngineGlobals();
}
BENCHMARK(Scenario);

} // namespace

BENCHMARK_MAIN();
