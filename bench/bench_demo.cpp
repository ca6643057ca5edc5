// What one frame of the demo costs, step by step: simulate, build the tree, find the leaf
// neighbours, message, and draw into the stand-in's device; with the tree built by the
// partition, as the demo runs, and by QuadTreeBuilder with its layout (the builder_ counters).
// Each iteration is a round: the same frames from the same fresh globals, once with each build,
// the first of them alternating. Each step is timed in the thread's CPU time within every
// frame, so the shares and the ratio of the two frames (x_builder) come from the same moments
// of the run; repetitions report their spread (the cv aggregate).
#include <demo/picture.h>
#include <demo/world.h>

#include <engine/rendershell.h>
#include <engine/steering.h>

#include "capture.h"

#include <benchmark/benchmark.h>
#include <standin.h>

#include <time.h>

#include <array>
#include <cstddef>
#include <string>

namespace {

constexpr std::size_t kSteps = 5;
/// Frames 1 to kFrames of a world, in every round and with each build.
constexpr int kFrames = 50;

// POSIX: the benchmarks are timed on Linux.
double cpuNanos() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e9 + static_cast<double>(now.tv_nsec);
}

/// What one build's frames took, step by step, over a repetition.
struct Spent {
    std::array<double, kSteps> nanos{};
    double frames = 0;
    int nodes = 0;

    double total() const {
        double sum = 0;
        for (const double step : nanos) {
            sum += step;
        }
        return sum;
    }
};

/// Frames 1 to kFrames of a world of the given size and build, from the globals of a fresh
/// process as the demo starts; returns the nanoseconds they took.
double runFrames(int actors, World::Build build, PictureRects& rects, Spent& spent) {
    resetEngineGlobals();
    pi_idx = 2;
    World world(actors, build);
    double round = 0;
    for (int frame = 1; frame <= kFrames; ++frame) {
        std::array<double, kSteps + 1> at{};
        at[0] = cpuNanos();
        world.simulate();
        at[1] = cpuNanos();
        world.buildTree();
        at[2] = cpuNanos();
        world.findNeighbours();
        at[3] = cpuNanos();
        world.exchangeMessages();
        at[4] = cpuNanos();
        pictureRects(world, rects);
        drawPicture(g_device, rects);
        at[5] = cpuNanos();
        for (std::size_t step = 0; step < kSteps; ++step) {
            spent.nanos[step] += at[step + 1] - at[step];
        }
        round += at[kSteps] - at[0];
    }
    spent.frames += kFrames;
    spent.nodes = world.nodeCount();
    return round;
}

/// The counters of one build's frames, each name after the prefix: frame_ms, then each step's
/// _ms and _share, and nodes.
void report(benchmark::State& state, const std::string& prefix, const Spent& spent) {
    const char* names[kSteps] = {"simulate", "build", "neighbours", "message", "draw"};
    const double total = spent.total();
    state.counters[prefix + "frame_ms"] = total / spent.frames / 1e6;
    for (std::size_t step = 0; step < kSteps; ++step) {
        state.counters[prefix + names[step] + "_ms"] = spent.nanos[step] / spent.frames / 1e6;
        state.counters[prefix + names[step] + "_share"] = spent.nanos[step] / total;
    }
    state.counters[prefix + "nodes"] = spent.nodes;
}

void DemoFrame(benchmark::State& state) {
    const auto actors = static_cast<int>(state.range(0));
    standin::reset();
    standin::setClientArea(kPictureSize, kPictureSize);
    setupDevice(nullptr);
    PictureRects rects;
    Spent partition;
    Spent builder;
    bool partitionFirst = true;
    for (auto _ : state) {
        double round = 0;
        if (partitionFirst) {
            round += runFrames(actors, World::Build::partition, rects, partition);
        }
        round += runFrames(actors, World::Build::builder, rects, builder);
        if (!partitionFirst) {
            round += runFrames(actors, World::Build::partition, rects, partition);
        }
        partitionFirst = !partitionFirst;
        state.SetIterationTime(round / 1e9);
    }
    // The demo's own frame unprefixed, as bench/web-frame reads it.
    report(state, "", partition);
    report(state, "builder_", builder);
    state.counters["x_builder"] = partition.total() / builder.total();
    cleanup();
    standin::reset();
    resetEngineGlobals();
}

} // namespace

BENCHMARK(DemoFrame)->Arg(256)->Arg(1000)->UseManualTime()->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
