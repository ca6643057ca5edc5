// What each part of the engine costs. Where a part has a natural floor, every iteration times
// the part and then its floor back to back, so the ratio (counter x_floor) comes from the same
// moments of the run; repetitions report their spread (the cv aggregate). Parts and floors are
// timed in the thread's CPU time, so that time spent descheduled on a shared machine does not
// count.
#include <engine/actor.h>
#include <engine/baseentity.h>
#include <engine/message.h>
#include <engine/mhandler.h>
#include <engine/quadnode.h>
#include <engine/scenario.h>
#include <engine/steering.h>
#include <engine/trace.h>

#include "blocks.h"
#include "capture.h"
#include "placement.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <ostream>
#include <streambuf>
#include <string_view>
#include <vector>

namespace {

// Swallows the console trace while it is still formatted as it would be for the console.
class NullBuffer : public std::streambuf {
protected:
    int overflow(int c) override { return c; }
    std::streamsize xsputn(const char* /*text*/, std::streamsize n) override { return n; }
};

// The part's time per operation, its floor's, and their ratio, from sums over the whole run.
void reportAgainstFloor(benchmark::State& state, double partNanos, double floorNanos,
                        double operations) {
    state.counters["ns"] = partNanos / operations;
    state.counters["floor_ns"] = floorNanos / operations;
    state.counters["x_floor"] = partNanos / floorNanos;
}

constexpr std::string_view kReception = "Message received... asshole.\nReceiver:0\nMessage:p";

// What a round trip cannot do without: one allocation and release of a message, the 63-slot
// shift of the queue, and handing the reception trace's bytes to a stream buffer at once.
void messageFloor(Message* (&slots)[MHandler::kCapacity], std::streambuf* sink) {
    slots[0] = new Message(1, 0, 'p', 0);
    benchmark::DoNotOptimize(slots[0]);
    delete slots[0];
    std::copy(slots + 1, slots + MHandler::kCapacity, slots);
    sink->sputn(kReception.data(), static_cast<std::streamsize>(kReception.size()));
    benchmark::ClobberMemory();
}

enum class Trace { Nowhere, NullStream, NowhereOptedIn };

// One sendMessage and the update that delivers it, in batches timed against as many floors,
// with the trace sent nowhere or into a null stream buffer; the floor is the same for both.
// Opted in, the sender sends as itself to the receiver's life, its hooks ask for both opt-in
// drop reasons, and a drain delivers. The time column is per batch; counter ns is per round
// trip.
void MessageRoundTrip(benchmark::State& state, Trace trace) {
    constexpr int kBatch = 1024;
    NullBuffer nullBuffer;
    std::ostream nullStream(&nullBuffer);
    const ScopedTraceRoute routed(trace == Trace::NullStream ? TraceRoute::to(nullStream)
                                                             : TraceRoute::nowhere());
    // Opaque to the compiler, as a stream's buffer is to the engine.
    std::streambuf* sink = &nullBuffer;
    benchmark::DoNotOptimize(sink);
    resetEngineGlobals();
    auto receiver = std::make_unique<Actor>("Quella");
    auto sender = std::make_unique<Actor>("Varn");
    EntityTable[1] = receiver.get();
    EntityTable[2] = sender.get();
    sender->handler.setEntityTable(EntityTable);
    const bool optedIn = trace == Trace::NowhereOptedIn;
    if (optedIn) {
        sender->sendAsItself();
        sender->handler.hooks.dropsOtherLife = true;
        sender->handler.hooks.dropsAtDestruction = true;
    }
    const EntityLife life = receiver->life();
    Message* slots[MHandler::kCapacity] = {};
    double trips = 0;
    double floors = 0;
    for (auto _ : state) {
        const double start = cpuNanos();
        if (optedIn) {
            for (int i = 0; i < kBatch; ++i) {
                sender->sendMessageToLife(life, 'p', 0);
                sender->drain();
            }
        } else {
            for (int i = 0; i < kBatch; ++i) {
                sender->sendMessage(0, 'p', 0);
                sender->update();
            }
        }
        const double tripped = cpuNanos();
        for (int i = 0; i < kBatch; ++i) {
            messageFloor(slots, sink);
        }
        const double floored = cpuNanos();
        trips += tripped - start;
        floors += floored - tripped;
        state.SetIterationTime((tripped - start) * 1e-9);
    }
    reportAgainstFloor(state, trips, floors, static_cast<double>(state.iterations()) * kBatch);
    resetEngineGlobals();
}
BENCHMARK_CAPTURE(MessageRoundTrip, nowhere, Trace::Nowhere)->UseManualTime();
BENCHMARK_CAPTURE(MessageRoundTrip, null_stream, Trace::NullStream)->UseManualTime();
BENCHMARK_CAPTURE(MessageRoundTrip, nowhere_opted_in, Trace::NowhereOptedIn)->UseManualTime();

// A game's frame: 300 actors that send as themselves ping 100 others, each ping answered
// from inside its receiver's hook, and the whole table drained until every queue is empty.
// Counter blocks_per_frame is the free store's blocks taken in a frame, after the first frames
// have brought the traffic to its steady level; ns_per_message is the frame's time per message.
class PingingWorld {
public:
    static constexpr int kActors = 300;

    PingingWorld() {
        for (int i = 0; i < kActors; ++i) {
            actors_.push_back(std::make_unique<Actor>("p"));
            Actor& actor = *actors_.back();
            static_cast<void>(addToEntityTable(actor));
            actor.handler.setEntityTable(EntityTable);
            actor.handler.hooks = {this, &PingingWorld::received, nullptr};
            actor.sendAsItself();
        }
    }

    void frame(int n) {
        for (int i = 0; i < kActors; i += 3) {
            const auto to = static_cast<std::uint32_t>((i * 7 + n * 13) % kActors);
            actors_[static_cast<std::size_t>(i)]->sendMessage(to, 'p', 0);
        }
        while (drainEntityTable(EntityTable) > 0) {
        }
    }
    long messages = 0;

private:
    static void received(void* context, const Message& message) {
        auto& world = *static_cast<PingingWorld*>(context);
        ++world.messages;
        if (message.content == 'p') {
            world.actors_[message.getReceiver()]->sendMessage(message.sender, 'a', 0);
        }
    }
    std::vector<std::unique_ptr<Actor>> actors_;
};

void GameFrame(benchmark::State& state) {
    const ScopedTraceRoute quiet(TraceRoute::nowhere());
    resetEngineGlobals();
    double blocks = 0;
    double frames = 0;
    double messages = 0;
    double nanos = 0;
    {
        PingingWorld world;
        int n = 0;
        for (; n < 8; ++n) {
            world.frame(n);
        }
        for (auto _ : state) {
            const long messagesBefore = world.messages;
            const long taken = blocksTaken();
            const double start = cpuNanos();
            world.frame(n++);
            nanos += cpuNanos() - start;
            blocks += static_cast<double>(blocksTaken() - taken);
            messages += static_cast<double>(world.messages - messagesBefore);
            frames += 1;
        }
    }
    state.counters["blocks_per_frame"] = blocks / frames;
    state.counters["messages_per_frame"] = messages / frames;
    state.counters["ns_per_message"] = nanos / messages;
    resetEngineGlobals();
}
BENCHMARK(GameFrame);

int countNodes(const QuadNode* node) {
    int nodes = 1;
    for (const QuadNode* child : node->children) {
        nodes += countNodes(child);
    }
    return nodes;
}

// What one node's build cannot do without: a plain scan of the 1024-slot table, reading each
// entity's position in place and testing it against the square, where every entity is inside.
void tableScan() {
    std::size_t inside = 0;
    for (const Actor* a : EntityTable) {
        if (a != nullptr) {
            const double x = a->position.x;
            const double y = a->position.y;
            inside += (-512 < x && x < 512 && -512 < y && y < 512) ? 1 : 0;
        }
    }
    benchmark::DoNotOptimize(inside);
}

// Builds over the square, several per iteration for small trees so that the clock's own cost
// stays small against them, timed against as many table scans as they built nodes. The trees
// are released outside the measured spans. The time column is per iteration; counter ns is
// per build.
void QuadTreeBuild(benchmark::State& state, Spread spread) {
    const ScopedTraceRoute quiet(TraceRoute::nowhere());
    resetEngineGlobals();
    const auto actors = placeEntities(static_cast<int>(state.range(0)), spread);
    QuadNode* probe = QuadTreeBuilder(-512, 512, -512, 512, EntityTable);
    const int nodes = countNodes(probe);
    releaseQuadTree(probe);
    const int batch = std::max(1, 64 / nodes);
    std::vector<QuadNode*> roots(static_cast<std::size_t>(batch));
    double builds = 0;
    double floors = 0;
    for (auto _ : state) {
        const double start = cpuNanos();
        for (QuadNode*& root : roots) {
            cellSlotCounter = 0;
            root = QuadTreeBuilder(-512, 512, -512, 512, EntityTable);
        }
        const double built = cpuNanos();
        for (int scan = 0; scan < batch * nodes; ++scan) {
            tableScan();
        }
        const double scanned = cpuNanos();
        std::for_each(roots.begin(), roots.end(), releaseQuadTree);
        builds += built - start;
        floors += scanned - built;
        state.SetIterationTime((built - start) * 1e-9);
    }
    state.counters["nodes"] = nodes;
    reportAgainstFloor(state, builds, floors, static_cast<double>(state.iterations()) * batch);
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

// A build that reads out its leaves and divided nodes into one layout kept from build to build,
// against a plain build of the same table, in turns within each iteration. Counter x_build is
// their ratio; the time column is the reading build's.
void QuadTreeLayoutBuild(benchmark::State& state) {
    const ScopedTraceRoute quiet(TraceRoute::nowhere());
    resetEngineGlobals();
    const auto actors = placeEntities(static_cast<int>(state.range(0)), Spread::Uniform);
    QuadTreeLayout layout;
    double reading = 0;
    double plain = 0;
    for (auto _ : state) {
        const double start = cpuNanos();
        cellSlotCounter = 0;
        QuadNode* read = QuadTreeBuilder(-512, 512, -512, 512, EntityTable, layout);
        const double readDone = cpuNanos();
        cellSlotCounter = 0;
        QuadNode* alone = QuadTreeBuilder(-512, 512, -512, 512, EntityTable);
        const double aloneDone = cpuNanos();
        benchmark::DoNotOptimize(layout.leaves.data());
        releaseQuadTree(read);
        releaseQuadTree(alone);
        reading += readDone - start;
        plain += aloneDone - readDone;
        state.SetIterationTime((readDone - start) * 1e-9);
    }
    state.counters["leaves"] = static_cast<double>(layout.leaves.size());
    state.counters["x_build"] = reading / plain;
    resetEngineGlobals();
}
BENCHMARK(QuadTreeLayoutBuild)->Arg(256)->Arg(1023)->UseManualTime();

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
    const ScopedTraceRoute quiet(TraceRoute::nowhere());
    for (auto _ : state) {
        resetEngineGlobals();
        benchmark::DoNotOptimize(runScenario());
    }
    resetEngineGlobals();
}
BENCHMARK(Scenario);

} // namespace

BENCHMARK_MAIN();
