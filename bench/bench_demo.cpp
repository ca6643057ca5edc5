// What one frame of the demo costs, step by step: simulate, build the tree, find the leaf
// neighbours, message, and draw into the stand-in's device. Each step is timed in the
// thread's CPU time within every iteration, so the shares come from the same moments of the
// run; repetitions report their spread (the cv aggregate).
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

namespace {

// POSIX: the benchmarks are timed on Linux.
double cpuNanos() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e9 + static_cast<double>(now.tv_nsec);
}

void DemoFrame(benchmark::State& state) {
    // Every world starts from the globals of a fresh process, as the demo does.
    resetEngineGlobals();
    pi_idx = 2;
    standin::reset();
    standin::setClientArea(kPictureSize, kPictureSize);
    setupDevice(nullptr);
    {
        World world(static_cast<int>(state.range(0)));
        PictureRects rects;
        constexpr std::size_t kSteps = 5;
        std::array<double, kSteps> spent{};
        for (auto _ : state) {
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
                spent[step] += at[step + 1] - at[step];
            }
            state.SetIterationTime((at[kSteps] - at[0]) / 1e9);
        }
        double total = 0;
        for (const double nanos : spent) {
            total += nanos;
        }
        const char* names[kSteps] = {"simulate", "build", "neighbours", "message", "draw"};
        const auto frames = static_cast<double>(state.iterations());
        state.counters["frame_ms"] = total / frames / 1e6;
        for (std::size_t step = 0; step < kSteps; ++step) {
            state.counters[std::string(names[step]) + "_ms"] = spent[step] / frames / 1e6;
            state.counters[std::string(names[step]) + "_share"] = spent[step] / total;
        }
        state.counters["nodes"] = world.nodeCount();
    }
    cleanup();
    standin::reset();
    resetEngineGlobals();
}

} // namespace

BENCHMARK(DemoFrame)->Arg(256)->Arg(1000)->UseManualTime()->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
