#include <engine/freshstart.h>

#include <engine/actor.h>
#include <engine/baseentity.h>
#include <engine/message.h>
#include <engine/mhandler.h>
#include <engine/quadnode.h>
#include <engine/scenario.h>
#include <engine/steering.h>
#include <engine/trace.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <regex>
#include <sstream>
#include <string>
#include <tuple>

namespace {

// Every process-wide value a fresh start puts back, as one comparable record.
using Globals = std::tuple<std::uint32_t, std::ptrdiff_t, std::int32_t, std::int32_t, std::ostream*,
                           std::size_t>;

Globals globals() {
    return Globals(be_val, std::count(EntityTable, EntityTable + kEntityTableSize, nullptr),
                   cellSlotCounter, pi_idx, traceRoute().stream(), Message::pooled());
}

// The identifiers each of the four constructors hands out next, drawn once each.
std::tuple<std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t> nextMessageIds() {
    return {Message(1, 2, 'a', 0).getID(), Message(1, 2, 'b').getID(),
            Message(1, 2, 'c', 0.5, 3).getID(), Message(1, 2, 'd', 0.5).getID()};
}

// Moves every value away from where a new process has it.
void stir(std::ostream& log) {
    setTraceRoute(TraceRoute::to(log));
    auto actor = std::make_unique<Actor>("stir");
    static_cast<void>(addToEntityTable(*actor));
    actor->handler.setEntityTable(EntityTable);
    actor->sendMessage(5, 's', 0);
    actor->update(); // released: its block kept
    releaseQuadTree(QuadTreeBuilder(-512, 512, -512, 512, EntityTable));
    static_cast<void>(TableRandom());
    static_cast<void>(nextMessageIds());
    EntityTable[7] = reinterpret_cast<Actor*>(&log); // never read, only counted
}

} // namespace

TEST(FreshStart, RefusesWhileAHandlerOrATraceScopeLivesAndThenChangesNothing) {
    std::ostringstream log;
    stir(log);
    const Globals stirred = globals();
    {
        const MHandler alone(5); // a handler of its own, in no actor
        const ScopedTraceRoute scope(TraceRoute::nowhere());
        EXPECT_EQ(startAfresh(), FreshStart::handlersAlive) << "the handler is named first";
    }
    {
        const ScopedTraceRoute scope(TraceRoute::to(log));
        EXPECT_EQ(startAfresh(), FreshStart::traceScopeAlive);
    }
    EXPECT_EQ(globals(), stirred);
    EXPECT_NE(nextMessageIds(), std::make_tuple(0u, 0u, 0u, 0u)) << "counters left as they were";

    EXPECT_EQ(startAfresh(), FreshStart::done);
    EXPECT_EQ(globals(), Globals(0, kEntityTableSize, 0, 2, &std::cout, 0));
    EXPECT_EQ(nextMessageIds(), std::make_tuple(0u, 0u, 0u, 0u));
    EXPECT_EQ(startAfresh(), FreshStart::done) << "again, from a fresh state";
}

TEST(FreshStart, TheScenarioRunTwiceInOneProcessPrintsTheSameButForAddresses) {
    ASSERT_EQ(startAfresh(), FreshStart::done);
    std::string runs[2];
    for (std::string& run : runs) {
        std::ostringstream trace;
        setTraceRoute(TraceRoute::to(trace));
        EXPECT_EQ(runScenario(), 0);
        // Every address as one token: they differ from run to run.
        run = std::regex_replace(trace.str(), std::regex("0x[0-9a-f]+"), "ADDRESS");
        ASSERT_EQ(startAfresh(), FreshStart::done);
    }
    EXPECT_EQ(runs[1], runs[0]);
    EXPECT_NE(runs[0].find("Receiver:0\nMessage:p"), std::string::npos);
    EXPECT_EQ(traceRoute().stream(), &std::cout);
}
