#include <engine/mhandler.h>

#include <engine/actor.h>
#include <engine/message.h>

#include "blocks.h"
#include "capture.h"
#include "deathtest.h"
#include "smallstack.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <limits>
#include <memory>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace {

// The entities with identifiers 0 and 2 registered in slots 1 and 3, and a handler (holder 1)
// with the table attached.
class MHandlerTest : public ::testing::Test {
protected:
    void SetUp() override {
        resetEngineGlobals();
        TraceCapture quiet;
        receiver = std::make_unique<Actor>("receiver");
        EntityTable[1] = receiver.get();
        be_val = 2;
        above = std::make_unique<Actor>("above");
        EntityTable[3] = above.get();
        handler = std::make_unique<MHandler>();
        handler->setEntityTable(EntityTable);
    }
    // A test's hooks note into its own locals, gone by now, even after a failed assertion.
    void TearDown() override {
        receiver->handler.hooks = {};
        above->handler.hooks = {};
        if (handler) {
            handler->hooks = {};
        }
        resetEngineGlobals();
    }

    std::unique_ptr<Actor> receiver;
    std::unique_ptr<Actor> above;
    std::unique_ptr<MHandler> handler;
};

using Drops = std::vector<std::pair<std::uint32_t, DropReason>>;

// What a game's hooks saw: each reception, its contents in order, and each drop.
struct Heard {
    std::vector<Message> received;
    std::string contents;
    Drops dropped;
    std::function<void(const Message&)> react;
    std::function<void(const Message&, DropReason)> reactToDrop;
};

MessageHooks hooksFor(Heard& heard) {
    return {&heard,
            [](void* context, const Message& message) {
                auto& h = *static_cast<Heard*>(context);
                h.received.push_back(message);
                h.contents += static_cast<char>(message.content);
                if (h.react) {
                    h.react(message);
                }
            },
            [](void* context, const Message& message, DropReason reason) {
                auto& h = *static_cast<Heard*>(context);
                h.dropped.emplace_back(message.getReceiver(), reason);
                if (h.reactToDrop) {
                    h.reactToDrop(message, reason);
                }
            }};
}

// What a game's hook throws.
struct HookThrew {};

void throwOnT(const Message& message) {
    if (message.content == 't') {
        throw HookThrew{};
    }
}

} // namespace

TEST_F(MHandlerTest, EachProcessDeliversTheHeadOnceAfterItsTraceOrDropsItSilentlyWithItsReason) {
    TraceCapture capture;
    const MHandler byHolder(5);           // its address traced twice
    EntityTable[0] = receiver.get();      // the largest identifier must not wrap round to slot 0
    EntityTable[2] = above.get();         // where a message to the holder, 1, would go
    handler->setEntityTable(EntityTable); // traces the identifier in slot 1
    Heard atReceiver, atAbove, atSender;
    std::string traceBeforeHook;
    atReceiver.react = [&](const Message&) { traceBeforeHook = capture.text(); };
    receiver->handler.hooks = hooksFor(atReceiver);
    above->handler.hooks = hooksFor(atAbove);
    handler->hooks = hooksFor(atSender);
    handler->process();
    ASSERT_TRUE(handler->send(0, 'a', -7));
    ASSERT_TRUE(handler->sendWithReal(2, 'r', 4, -1e300)); // from the same identifier counter
    const std::uint32_t id = handler->queue[0]->getID();
    // The holder, empty slots (1023 the last), and past the table.
    const std::uint32_t kMax = std::numeric_limits<std::uint32_t>::max();
    for (const std::uint32_t unreachable : {1u, 5u, 1022u, 1023u, kMax}) {
        ASSERT_TRUE(handler->send(unreachable, 'x', 0));
    }
    handler->process();
    EXPECT_EQ(std::make_tuple(handler->count, handler->queue[0]->getID()),
              std::make_tuple(6, id + 1));
    for (int i = 0; i < 7; ++i) {
        handler->process();
    }
    EXPECT_EQ(handler->count, 0);
    receiver->update(); // reception left the receiver's own queue alone: it prints nothing
    handler->deliver(nullptr);
    handler->receive(nullptr);
    EntityTable[1] = nullptr; // nothing traced for an empty slot or no table
    handler->setEntityTable(EntityTable);
    handler->setEntityTable(nullptr);
    const std::string traced = capture.text();
    MHandler detached;
    detached.hooks = hooksFor(atSender);
    ASSERT_TRUE(detached.send(0, 'y', 0));
    detached.process();

    const std::string first = "\n" + addressText(&byHolder) + "\n" + addressText(&byHolder) +
                              "0Message received... asshole.\nReceiver:0\nMessage:a";
    EXPECT_EQ(traceBeforeHook, first);
    EXPECT_EQ(traced, first + "Message received... asshole.\nReceiver:2\nMessage:r");
    EXPECT_EQ(capture.text(), traced + "\n" + addressText(&detached)) << "drops print nothing";
    ASSERT_EQ(std::make_pair(atReceiver.received.size(), atAbove.received.size()),
              std::make_pair(std::size_t{1}, std::size_t{1}));
    const auto fields = [](const Message& m) {
        return std::make_tuple(m.id, m.sender, m.receiver, m.content, m.ival, m.dval);
    };
    EXPECT_EQ(fields(atReceiver.received[0]),
              std::make_tuple(id, 1u, 0u, std::uint8_t{'a'}, -7, 0.0));
    EXPECT_EQ(fields(atAbove.received[0]),
              std::make_tuple(id + 1, 1u, 2u, std::uint8_t{'r'}, 4, -1e300));
    const Drops drops{{1, DropReason::toHolder},     {5, DropReason::emptySlot},
                      {1022, DropReason::emptySlot}, {1023, DropReason::pastTable},
                      {kMax, DropReason::pastTable}, {0, DropReason::noTable}};
    EXPECT_EQ(atSender.dropped, drops);
    EXPECT_TRUE(atReceiver.dropped.empty());
}

TEST_F(MHandlerTest, AFullQueueRefusesAndNoCountACallerWritesIndexesOutsideOrLosesAMessage) {
    const long before = blocksHeld(); // the handler's own block among them
    const std::int32_t kQueue = 64;   // a queue's messages
    for (std::int32_t i = 0; i < kQueue; ++i) {
        ASSERT_TRUE(handler->send(5, 'p', i));
    }
    EXPECT_FALSE(handler->send(5, 'x', 0));
    handler->process();
    EXPECT_EQ(handler->queue[kQueue - 1], nullptr) << "the vacated tail slot";
    EXPECT_TRUE(handler->send(5, 'y', 0));
    // A lowered count makes the next send overwrite a slot that still holds a message.
    handler->count = -1;
    ASSERT_TRUE(handler->send(5, 'q', 0));
    EXPECT_EQ(handler->count, 1);
    handler->count = 0; // wins over the messages still in the slots
    handler->process();
    EXPECT_NE(handler->queue[0], nullptr);
    handler->count = 1000;
    EXPECT_FALSE(handler->send(5, 'p', 0));
    handler->process();
    EXPECT_EQ(std::make_tuple(handler->count, blocksHeld()),
              std::make_tuple(kQueue - 1, before + kQueue - 1));
    // A drain goes past the empty slots a raised count claims, to the end of what it claims.
    handler->count = kQueue;
    EXPECT_EQ(handler->drain(), kQueue);
    EXPECT_EQ(std::make_tuple(handler->count, blocksHeld()), std::make_tuple(0, before));
    handler.reset();
    EXPECT_EQ(blocksHeld(), before - 1);
}

TEST_F(MHandlerTest, AReceiverThatAnswersAndUpdatesFromInsideGetsEveryMessageOnce) {
    const long before = blocksHeld();
    {
        Heard atReceiver, atAbove;
        receiver->handler.hooks = hooksFor(atReceiver);
        above->handler.hooks = hooksFor(atAbove);
        receiver->handler.setEntityTable(EntityTable);
        // The receiver (identifier 0) answers each message to identifier 2 and delivers the answer
        // at once, then updates the sender, whose next message is delivered from inside this call.
        atReceiver.react = [this](const Message& message) {
            ASSERT_TRUE(
                receiver->sendMessage(2, static_cast<std::uint8_t>(message.content + 1), 0));
            receiver->update();
            handler->process();
        };
        TraceCapture capture;
        ASSERT_TRUE(handler->send(0, 'a', 0));
        ASSERT_TRUE(handler->send(0, 'c', 0));
        handler->process();
        handler->process();
        EXPECT_EQ(handler->count + receiver->handler.count, 0);
        EXPECT_EQ(atReceiver.contents + atAbove.contents, "acbd");
    }
    EXPECT_EQ(blocksHeld(), before) << "each message released once, none kept";
}

TEST_F(MHandlerTest, AHookThatThrowsReachesTheCallerWithItsMessageReleasedAndTheQueueWhole) {
    const ScopedTraceRoute quiet(TraceRoute::nowhere());
    const MessageHooks throwing{nullptr, [](void*, const Message& m) { throwOnT(m); },
                                [](void*, const Message& m, DropReason) { throwOnT(m); }};
    receiver->handler.hooks = handler->hooks = throwing;
    const long before = blocksHeld();
    // Each 't' received, dropped as to the holder or for an empty slot throws: more throws than
    // handlings may nest, so that a handling a throw left counted would show.
    for (int round = 0; round <= MHandler::kMaxNesting / 3; ++round) {
        for (const std::uint32_t to : {0u, 1u, 5u}) {
            ASSERT_TRUE(handler->send(to, 't', 0));
            ASSERT_TRUE(handler->send(0, 'k', 0));
            Message* const waiting = handler->queue[1];
            EXPECT_THROW(handler->process(), HookThrew);
            EXPECT_EQ(std::make_tuple(handler->count, handler->queue[0], blocksHeld()),
                      std::make_tuple(1, waiting, before + 1));
            handler->process();
            EXPECT_EQ(blocksHeld(), before) << "'k' delivered and released";
        }
    }
}

TEST_F(MHandlerTest, ADestroyedHandlerTellsEachQueuedMessageOnlyWhereAskedAndReleasesThemAll) {
    const ScopedTraceRoute quiet(TraceRoute::nowhere());
    // Asked or not, with a hook that returns, throws, or sends once more as its handler ends.
    for (int variant = 0; variant < 6; ++variant) {
        const bool asked = variant >= 3;
        Heard farewells; // outlives the handler, whatever ends the test
        auto dying = std::make_unique<MHandler>();
        MHandler* const ending = dying.get();
        farewells.reactToDrop = [variant, ending](const Message&, DropReason) {
            if (variant % 3 == 1) {
                throw HookThrew{};
            }
            if (variant % 3 == 2) {
                ending->send(9, 'z', 0);
            }
        };
        dying->hooks = hooksFor(farewells); // not asked: the default left alone
        if (asked) {
            dying->hooks.dropsAtDestruction = true;
        }
        for (const std::uint32_t to : {5u, 6u, 7u}) {
            ASSERT_TRUE(dying->send(to, 'f', 0));
        }
        if (variant % 2 == 0) {
            dying->count = 5; // raised past the messages by a caller: two empty slots to pass
        }
        farewells.dropped.reserve(8); // what the hook notes takes no block while counted
        const long held = blocksHeld();
        dying.reset();
        EXPECT_EQ(blocksHeld(), held - 4)
            << "the handler and its three messages released, and any sent as it ended";
        constexpr DropReason kGone = DropReason::handlerDestroyed;
        EXPECT_EQ(farewells.dropped, (asked ? Drops{{5, kGone}, {6, kGone}, {7, kGone}} : Drops{}))
            << "a game that did not ask hears nothing new; a throw stops no farewell";
    }
}

using MHandlerDeathTest = ChildProcessTest;

TEST_F(MHandlerDeathTest, HolderZeroFailsTheAssertion) {
    EXPECT_DEATH(MHandler(0), "holder && \"<MHandler::initialize>: invalid ID\"");
}

TEST_F(MHandlerTest, ADrainHandlesWhatWasQueuedAndFromInsideNestsOnlyToTheBoundLosingNothing) {
    const ScopedTraceRoute quiet(TraceRoute::nowhere());
    Heard atReceiver;
    receiver->handler.hooks = hooksFor(atReceiver);
    // Each reception queues one more and drains from inside: below the bound the drain handles
    // it, at the bound none, and it waits for a drain from outside.
    std::vector<int> drained;
    atReceiver.react = [&](const Message&) {
        ASSERT_TRUE(handler->send(0, 'n', 0));
        drained.push_back(handler->drain());
    };
    ASSERT_TRUE(handler->send(1, 'h', 0)); // dropped as the holder's own, and the drain goes on
    ASSERT_TRUE(handler->send(0, 'n', 0));
    int outer = 0;
    const auto drainFromOutside = [&] { outer = handler->drain(); };
#if defined(__EMSCRIPTEN__)
    drainFromOutside();
#else
    // A worker's small stack holds the deepest nesting; the stack of a level is in the manual.
    ASSERT_TRUE(onSmallStack(64 * 1024, drainFromOutside));
#endif
    EXPECT_EQ(outer, 2);
    std::vector<int> expected(MHandler::kMaxNesting, 1);
    expected.front() = 0; // the deepest returns first
    EXPECT_EQ(drained, expected);
    EXPECT_EQ(handler->count, 1);
    atReceiver.react = nullptr;
    EXPECT_EQ(handler->drain(), 1);
    EXPECT_EQ(std::make_tuple(handler->count, atReceiver.contents),
              std::make_tuple(0, std::string(MHandler::kMaxNesting + 1, 'n')));
}

namespace {

// A game's world for counting blocks: 300 actors that ping others each frame and answer each
// ping from inside, sending as themselves.
struct Pinging {
    std::vector<std::unique_ptr<Actor>> actors;
    long received = 0;
    long answered = 0;
    long dropped = 0;
};

void onPing(void* context, const Message& message) {
    auto& world = *static_cast<Pinging*>(context);
    ++world.received;
    if (message.content == 'p') {
        Actor& self = *world.actors[message.getReceiver()];
        world.answered += self.sendMessage(message.sender, 'a', 0) ? 1 : 0;
    }
}

void onDrop(void* context, const Message&, DropReason) {
    ++static_cast<Pinging*>(context)->dropped;
}

// About 200 pings a frame, to receivers that move from frame to frame, one in 40 to an
// identifier no actor has; answers sent from inside wait for the next drain.
void playFrame(Pinging& world, std::size_t n) {
    for (std::size_t i = 0; i < world.actors.size(); i += 3) {
        const auto to = static_cast<std::uint32_t>((i * 7 + n * 13) % 308);
        world.actors[i]->sendMessage(to, 'p', 0);
        world.actors[i + 1]->sendMessage(to / 2, 'p', 0);
    }
    while (drainEntityTable(EntityTable) > 0) {
    }
}

} // namespace

TEST(MessageTraffic, ReachesASteadyLevelThenAllocatesNothing) {
    const ScopedTraceRoute quiet(TraceRoute::nowhere());
    resetEngineGlobals();
    const long held = blocksHeld();
    {
        Pinging world;
        for (int i = 0; i < 300; ++i) {
            world.actors.push_back(std::make_unique<Actor>("p"));
            Actor& actor = *world.actors.back();
            EXPECT_TRUE(addToEntityTable(actor));
            actor.handler.setEntityTable(EntityTable);
            actor.handler.hooks = {&world, &onPing, &onDrop};
            actor.sendAsItself();
        }
        for (std::size_t n = 0; n < 5; ++n) {
            playFrame(world, n);
        }
        const long taken = blocksTaken();
        const long received = world.received;
        for (std::size_t n = 5; n < 60; ++n) {
            playFrame(world, n);
        }
        EXPECT_EQ(blocksTaken(), taken) << "a frame takes no block once traffic is steady";
        EXPECT_GT(world.received - received, 55 * 150);
        EXPECT_GT(std::min(world.answered, world.dropped), 0) << "answers and drops among them";
    }
    EXPECT_EQ(blocksHeld(), held) << "every message released with its handler";
}
