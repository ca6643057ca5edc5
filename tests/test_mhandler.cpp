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
#include <initializer_list>
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
    // A test's hooks note into its own locals, gone by now: none may run as the actors go, even
    // after a failed assertion ended the test early.
    void TearDown() override {
        for (Actor* actor : {receiver.get(), above.get()}) {
            if (actor != nullptr) {
                actor->handler.hooks = {};
            }
        }
        if (handler) {
            handler->hooks = {};
        }
        resetEngineGlobals();
    }

    std::unique_ptr<Actor> receiver;
    std::unique_ptr<Actor> above;
    std::unique_ptr<MHandler> handler;
};

} // namespace

TEST_F(MHandlerTest, ConstructionAndAttachingTrace) {
    TraceCapture capture;
    const MHandler byHolder(5);
    const std::string address = addressText(&byHolder);
    const MHandler byDefault;
    // Attaching prints the identifier in slot 1, and nothing for an empty slot or table.
    EntityTable[0] = above.get();
    handler->setEntityTable(EntityTable);
    EntityTable[1] = nullptr;
    handler->setEntityTable(EntityTable);
    handler->setEntityTable(nullptr);
    EXPECT_EQ(capture.text(),
              "\n" + address + "\n" + address + "\n" + addressText(&byDefault) + "0");
}

TEST_F(MHandlerTest, ProcessDeliversOnceDropsSelfAddressedAndKeepsOrder) {
    TraceCapture capture;
    handler->process();
    EntityTable[2] = above.get(); // where a message to the holder, 1, would go
    ASSERT_TRUE(handler->send(1, 's', 0));
    ASSERT_TRUE(handler->send(0, 'a', 0));
    ASSERT_TRUE(handler->send(2, 'b', 0));
    Message* const b = handler->queue[2];

    handler->process();
    handler->process();
    EXPECT_EQ(handler->count, 1);
    EXPECT_EQ(handler->queue[0], b);
    handler->process();
    // Reception leaves the receiver's queue alone, so updating it prints nothing more.
    receiver->update();
    handler->process();
    EXPECT_EQ(capture.text(), "Message received... asshole.\nReceiver:0\nMessage:a"
                              "Message received... asshole.\nReceiver:2\nMessage:b");
    EXPECT_EQ(handler->count, 0);
    EXPECT_EQ(receiver->handler.count, 0);
}

TEST_F(MHandlerTest, FullQueueRefusesAndKeepsItsMessages) {
    const std::int32_t kQueue = 64; // a queue's messages
    for (std::int32_t i = 0; i < kQueue; ++i) {
        ASSERT_TRUE(handler->send(5, 'p', i));
    }
    Message* const last = handler->queue[kQueue - 1];
    EXPECT_FALSE(handler->send(5, 'x', 99));
    EXPECT_FALSE(handler->sendWithReal(5, 'f', 0, 1.0)) << "a full queue refuses it too";
    EXPECT_EQ(handler->count, kQueue);

    handler->process();
    EXPECT_EQ(handler->queue[kQueue - 2], last);
    EXPECT_EQ(handler->queue[kQueue - 1], nullptr) << "the vacated tail slot";
    EXPECT_TRUE(handler->send(5, 'y', 100));
    EXPECT_EQ(handler->count, kQueue);
}

TEST_F(MHandlerTest, CountWrittenOutOfRangeNeverIndexesOutside) {
    handler->count = -3;
    handler->process();
    ASSERT_TRUE(handler->send(5, 'p', 0));
    EXPECT_EQ(handler->count, 1);
    // A count a caller emptied wins over the message still waiting in slot 0.
    handler->count = 0;
    handler->process();
    EXPECT_NE(handler->queue[0], nullptr);
    handler->count = 1000;
    EXPECT_FALSE(handler->send(5, 'p', 0));
    handler->process();
    EXPECT_EQ(handler->count, MHandler::kCapacity - 1);
    handler->process();
    // A drain goes past the empty slots a raised count claims, to the end of the queue.
    ASSERT_TRUE(handler->send(5, 'p', 0));
    handler->count = 4;
    handler->drain();
    EXPECT_EQ(handler->count, 0);
}

TEST_F(MHandlerTest, NoMessageLeaksWhateverACallerWritesIntoCount) {
    const long before = blocksHeld(); // the handler's own block among them
    for (std::int32_t i = 0; i < 10; ++i) {
        ASSERT_TRUE(handler->send(5, 'p', i));
    }
    // Each lowered count makes the next send overwrite a slot that still holds a message.
    handler->count = -1;
    ASSERT_TRUE(handler->send(5, 'q', 0));
    handler->count = 4;
    ASSERT_TRUE(handler->send(5, 'r', 0));
    handler->count = 2;
    handler->process();
    EXPECT_EQ(blocksHeld(), before + 9);
    handler.reset();
    EXPECT_EQ(blocksHeld(), before - 1);
}

namespace {

// What a game's hooks saw: each reception's fields and the trace printed before it, each drop.
struct Heard {
    std::vector<Message> received;
    std::vector<std::string> traceBefore;
    std::vector<std::pair<std::uint32_t, DropReason>> dropped;
    const TraceCapture* capture = nullptr;
    std::function<void(const Message&)> react;
    std::function<void(const Message&, DropReason)> reactToDrop;
};

MessageHooks hooksFor(Heard& heard) {
    MessageHooks hooks;
    hooks.context = &heard;
    hooks.received = [](void* context, const Message& message) {
        auto& h = *static_cast<Heard*>(context);
        h.received.push_back(message);
        h.traceBefore.push_back(h.capture != nullptr ? h.capture->text() : "");
        if (h.react) {
            h.react(message);
        }
    };
    hooks.dropped = [](void* context, const Message& message, DropReason reason) {
        auto& h = *static_cast<Heard*>(context);
        h.dropped.emplace_back(message.getReceiver(), reason);
        if (h.reactToDrop) {
            h.reactToDrop(message, reason);
        }
    };
    return hooks;
}

// The contents of what the hooks heard, in order.
std::string contentsOf(std::initializer_list<const Heard*> heards) {
    std::string contents;
    for (const Heard* heard : heards) {
        for (const Message& message : heard->received) {
            contents += static_cast<char>(message.content);
        }
    }
    return contents;
}

} // namespace

TEST_F(MHandlerTest, AReceiverHearsEachDeliveryAfterItsTraceAndTheSenderEachDropSilently) {
    TraceCapture capture;
    EntityTable[0] = receiver.get(); // the largest identifier must not wrap round to slot 0
    Heard atReceiver;
    atReceiver.capture = &capture;
    receiver->handler.hooks = hooksFor(atReceiver);
    Heard atSender;
    handler->hooks = hooksFor(atSender);
    ASSERT_TRUE(handler->send(0, 'a', -7));
    const std::uint32_t id = handler->queue[0]->getID();
    // The holder, empty slots (1023 the last), and past the table.
    const std::uint32_t kMax = std::numeric_limits<std::uint32_t>::max();
    for (const std::uint32_t unreachable : {1u, 5u, 1022u, 1023u, kMax}) {
        ASSERT_TRUE(handler->send(unreachable, 'x', 0));
    }
    for (int i = 0; i < 6; ++i) {
        handler->process();
    }
    EXPECT_EQ(handler->count, 0);
    handler->deliver(nullptr);
    handler->receive(nullptr);
    const std::string traced = capture.text();
    MHandler detached;
    detached.hooks = hooksFor(atSender);
    ASSERT_TRUE(detached.send(0, 'y', 0));
    detached.process();

    ASSERT_EQ(atReceiver.received.size(), 1u);
    const Message& kept = atReceiver.received[0];
    EXPECT_EQ(
        std::make_tuple(kept.id, kept.sender, kept.receiver, kept.content, kept.ival, kept.dval),
        std::make_tuple(id, 1u, 0u, std::uint8_t{'a'}, -7, 0.0));
    EXPECT_EQ(atReceiver.traceBefore[0], "Message received... asshole.\nReceiver:0\nMessage:a");
    EXPECT_EQ(capture.text(), traced + "\n" + addressText(&detached)) << "drops print nothing";
    const std::vector<std::pair<std::uint32_t, DropReason>> drops{
        {1, DropReason::toHolder},     {5, DropReason::emptySlot},    {1022, DropReason::emptySlot},
        {1023, DropReason::pastTable}, {kMax, DropReason::pastTable}, {0, DropReason::noTable}};
    EXPECT_EQ(atSender.dropped, drops);
    EXPECT_TRUE(atReceiver.dropped.empty());
}

TEST_F(MHandlerTest, AReceiverThatAnswersAndUpdatesFromInsideGetsEveryMessageOnce) {
    const long before = blocksHeld();
    {
        Heard atReceiver;
        Heard atAbove;
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
        EXPECT_EQ(handler->count, 0);
        EXPECT_EQ(receiver->handler.count, 0);
        EXPECT_EQ(contentsOf({&atReceiver, &atAbove}), "acbd");
    }
    EXPECT_EQ(blocksHeld(), before) << "each message released once, none kept";
}

TEST_F(MHandlerTest, ARealPayloadReachesTheReceiverWithIdentifiersFromSendsOneCounter) {
    const ScopedTraceRoute quiet(TraceRoute::nowhere());
    Heard atReceiver;
    Heard atAbove;
    receiver->handler.hooks = hooksFor(atReceiver);
    above->handler.hooks = hooksFor(atAbove);
    receiver->handler.setEntityTable(EntityTable);
    ASSERT_TRUE(handler->send(0, 'i', 1));
    ASSERT_TRUE(handler->sendWithReal(0, 'r', -4, 0.25));
    ASSERT_TRUE(receiver->sendMessageWithReal(2, 'a', 7, -1e300));
    ASSERT_TRUE(handler->send(0, 'j', 2));
    const std::uint32_t first = handler->queue[0]->getID();
    for (int i = 0; i < 3; ++i) {
        handler->process();
    }
    receiver->update();
    ASSERT_EQ(atReceiver.received.size(), 3u);
    ASSERT_EQ(atAbove.received.size(), 1u);
    const auto fields = [](const Message& m) { return std::make_tuple(m.id, m.ival, m.dval); };
    EXPECT_EQ(fields(atReceiver.received[0]), std::make_tuple(first, 1, 0.0));
    EXPECT_EQ(fields(atReceiver.received[1]), std::make_tuple(first + 1, -4, 0.25));
    EXPECT_EQ(fields(atAbove.received[0]), std::make_tuple(first + 2, 7, -1e300));
    EXPECT_EQ(fields(atReceiver.received[2]), std::make_tuple(first + 3, 2, 0.0));
}

namespace {

// What a game's hook throws.
struct HookThrew {};

} // namespace

TEST_F(MHandlerTest, AHookThatThrowsReachesTheCallerWithItsMessageReleasedAndTheQueueWhole) {
    const ScopedTraceRoute quiet(TraceRoute::nowhere());
    Heard throwing; // on every message whose content is 't'
    throwing.react = [](const Message& message) {
        if (message.content == 't') {
            throw HookThrew{};
        }
    };
    throwing.reactToDrop = [&throwing](const Message& message, DropReason) {
        throwing.react(message);
    };
    receiver->handler.hooks = hooksFor(throwing);
    handler->hooks = hooksFor(throwing);
    // What the hooks note takes no block while blocks are counted.
    throwing.received.reserve(64);
    throwing.traceBefore.reserve(64);
    throwing.dropped.reserve(64);
    const long before = blocksHeld();
    // Received, dropped as to the holder, dropped for an empty slot: each hook throws, more
    // times than handlings may nest, so that a handling a throw left counted would show.
    for (int round = 0; round <= MHandler::kMaxNesting / 3; ++round) {
        for (const std::uint32_t to : {0u, 1u, 5u}) {
            ASSERT_TRUE(handler->send(to, 't', 0));
            ASSERT_TRUE(handler->send(0, 'k', 0));
            Message* const waiting = handler->queue[1];
            EXPECT_THROW(handler->process(), HookThrew);
            EXPECT_EQ(handler->count, 1);
            EXPECT_EQ(handler->queue[0], waiting);
            EXPECT_EQ(blocksHeld(), before + 1);
            handler->process();
            EXPECT_EQ(blocksHeld(), before) << "'k' delivered and released";
        }
    }
}

TEST_F(MHandlerTest, TwoActorsAnsweringEachOtherForEverNestOnlyToTheBoundAndLoseNothing) {
    const ScopedTraceRoute quiet(TraceRoute::nowhere());
    // Each reception sends an answer to the other actor and updates from inside the hook.
    Heard rally;
    std::size_t sent = 1;
    int depth = 0;
    int deepest = 0;
    rally.react = [&](const Message& message) {
        Actor& self = *EntityTable[message.getReceiver() + 1];
        sent += self.sendMessage(message.getReceiver() == 0 ? 2 : 0, 'r', 0) ? 1 : 0;
        deepest = std::max(deepest, ++depth);
        self.update();
        --depth;
    };
    for (Actor* actor : {receiver.get(), above.get()}) {
        actor->handler.hooks = hooksFor(rally);
        actor->handler.setEntityTable(EntityTable);
    }
    constexpr std::size_t kRounds = 40;
    // Each round updates whichever of the two holds the answer left waiting.
    const auto play = [this] {
        for (std::size_t round = 0; round < kRounds; ++round) {
            (receiver->handler.count > 0 ? receiver : above)->update();
        }
    };
    ASSERT_TRUE(receiver->sendMessage(2, 'r', 0));
    play();
    EXPECT_EQ(deepest, MHandler::kMaxNesting);
    EXPECT_EQ(rally.received.size(), kRounds * MHandler::kMaxNesting)
        << "each update from outside goes as deep as the bound";
    EXPECT_EQ(receiver->handler.count + above->handler.count, 1) << "the one answer waiting";
    EXPECT_EQ(sent, rally.received.size() + 1);
    std::vector<std::uint32_t> ids;
    for (const Message& message : rally.received) {
        ids.push_back(message.id);
    }
    std::sort(ids.begin(), ids.end());
    EXPECT_EQ(std::adjacent_find(ids.begin(), ids.end()), ids.end()) << "none heard twice";

#if !defined(__EMSCRIPTEN__)
    // A worker's small stack holds the deepest rally; the stack of a level is in the manual.
    rally.received.clear();
    deepest = 0;
    ASSERT_TRUE(onSmallStack(64 * 1024, play));
    EXPECT_EQ(deepest, MHandler::kMaxNesting);
    EXPECT_EQ(rally.received.size(), kRounds * MHandler::kMaxNesting);
#endif
}

TEST_F(MHandlerTest, ADestroyedHandlerTellsEachQueuedMessageOnlyWhereAskedAndReleasesThemAll) {
    const ScopedTraceRoute quiet(TraceRoute::nowhere());
    enum class Then { returns, throws, sendsAgain };
    for (const bool asked : {false, true}) {
        for (const Then then : {Then::returns, Then::throws, Then::sendsAgain}) {
            auto dying = std::make_unique<MHandler>();
            MHandler* const handlerDying = dying.get();
            Heard farewells;
            farewells.reactToDrop = [then, handlerDying](const Message&, DropReason) {
                if (then == Then::throws) {
                    throw HookThrew{};
                }
                if (then == Then::sendsAgain) {
                    handlerDying->send(9, 'z', 0);
                }
            };
            dying->hooks = hooksFor(farewells);
            if (asked) {
                dying->hooks.dropsAtDestruction = true;
            }
            for (const std::uint32_t to : {5u, 6u, 7u}) {
                ASSERT_TRUE(dying->send(to, 'f', 0));
            }
            dying->count = 5; // raised past the messages by a caller: two empty slots to pass
            farewells.dropped.reserve(8); // what the hook notes takes no block while counted
            const long held = blocksHeld();
            dying.reset();
            EXPECT_EQ(blocksHeld(), held - 4)
                << "the handler and its three messages released, and any sent as it ended";
            const std::vector<std::pair<std::uint32_t, DropReason>> told{
                {5, DropReason::handlerDestroyed},
                {6, DropReason::handlerDestroyed},
                {7, DropReason::handlerDestroyed}};
            EXPECT_EQ(farewells.dropped, asked ? told : decltype(told){})
                << "a game that did not ask hears nothing new; a throw stops no farewell";
        }
    }
}

using MHandlerDeathTest = ChildProcessTest;

TEST_F(MHandlerDeathTest, HolderZeroFailsTheAssertion) {
    EXPECT_DEATH(MHandler(0), "holder && \"<MHandler::initialize>: invalid ID\"");
}

TEST_F(MHandlerTest, ADrainHandlesWhatWasQueuedInOrderAndLeavesWhatWaitsPastTheBound) {
    const ScopedTraceRoute quiet(TraceRoute::nowhere());
    Heard atReceiver;
    receiver->handler.hooks = hooksFor(atReceiver);
    EXPECT_EQ(handler->drain(), 0);
    for (const char c : {'a', 'b', 'c', 'd', 'e'}) {
        ASSERT_TRUE(handler->send(0, static_cast<std::uint8_t>(c), 0));
    }
    // Each reception sends once more through the drained handler: those wait.
    atReceiver.react = [this](const Message&) { EXPECT_TRUE(handler->send(0, 'x', 0)); };
    EXPECT_EQ(handler->drain(), 5);
    EXPECT_EQ(handler->count, 5);
    atReceiver.react = nullptr;
    EXPECT_EQ(handler->drain(), 5);
    EXPECT_EQ(contentsOf({&atReceiver}), "abcdexxxxx");
    EXPECT_EQ(handler->count, 0);

    // From inside a hook each reception queues one more and drains: below the bound the drain
    // handles it, at the bound none, and it waits for a drain from outside.
    std::vector<int> drained;
    MHandler& outer = *handler;
    atReceiver.react = [&](const Message&) {
        ASSERT_TRUE(outer.send(0, 'n', 0));
        drained.push_back(outer.drain());
    };
    ASSERT_TRUE(handler->send(0, 'n', 0));
    EXPECT_EQ(handler->drain(), 1);
    std::vector<int> expected(MHandler::kMaxNesting, 1);
    expected.front() = 0; // the deepest returns first
    EXPECT_EQ(drained, expected);
    EXPECT_EQ(handler->count, 1);
    atReceiver.react = nullptr;
    EXPECT_EQ(handler->drain(), 1);
    EXPECT_EQ(handler->count, 0);
}

TEST_F(MHandlerTest, MailToALifeThatNeverWasIsRefusedAndTheHolderOrOwnSenderDecidesWhatIsOwn) {
    const ScopedTraceRoute quiet(TraceRoute::nowhere());
    EXPECT_FALSE(handler->sendToLife({0, 0}, 'z', 0));
    EXPECT_FALSE(handler->sendToLife(EntityLife{}, 'z', 0)) << "a life made empty is none";
    EXPECT_EQ(handler->count, 0);
    Heard atReceiver;
    Heard atSender;
    receiver->handler.hooks = hooksFor(atReceiver);
    handler->hooks = hooksFor(atSender);
    handler->sendAs(7);
    ASSERT_TRUE(handler->send(7, 'o', 0)); // now its own
    ASSERT_TRUE(handler->send(1, 'h', 0)); // the holder, no longer its own: slot 2 is empty
    ASSERT_TRUE(handler->sendToLife(receiver->life(), 'l', 3, 1.5));
    EXPECT_EQ(handler->drain(), 3);
    const std::vector<std::pair<std::uint32_t, DropReason>> drops{{7, DropReason::toHolder},
                                                                  {1, DropReason::emptySlot}};
    EXPECT_EQ(atSender.dropped, drops);
    ASSERT_EQ(atReceiver.received.size(), 1u);
    const Message& kept = atReceiver.received[0];
    EXPECT_EQ(std::make_tuple(kept.sender, kept.ival, kept.dval, kept.receiverLife),
              std::make_tuple(7u, 3, 1.5, 1u));
}

namespace {

// A game's world for counting blocks: actors that ping others each frame and answer each ping
// from inside, sending as themselves; every queue drained each frame.
struct Pinging {
    static constexpr int kActors = 300;
    std::vector<std::unique_ptr<Actor>> actors;
    long received = 0;
    long answered = 0;
    long dropped = 0;

    static void onReceived(void* context, const Message& message) {
        auto& world = *static_cast<Pinging*>(context);
        ++world.received;
        if (message.content != 'p') {
            return;
        }
        Actor& self = *world.actors[message.getReceiver()];
        world.answered += self.sendMessage(message.sender, 'a', 0) ? 1 : 0;
    }
    static void onDropped(void* context, const Message&, DropReason) {
        ++static_cast<Pinging*>(context)->dropped;
    }

    Pinging() {
        const ScopedTraceRoute quiet(TraceRoute::nowhere());
        for (int i = 0; i < kActors; ++i) {
            actors.push_back(std::make_unique<Actor>("p"));
            Actor& actor = *actors.back();
            EXPECT_TRUE(addToEntityTable(actor));
            actor.handler.setEntityTable(EntityTable);
            actor.handler.hooks = {this, &onReceived, &onDropped};
            actor.sendAsItself();
        }
    }
    // About 200 pings a frame, to receivers that move from frame to frame, one in 40 to an
    // identifier no actor has; answers sent from inside wait for the next drain.
    void frame(int n) {
        for (int i = 0; i < kActors; i += 3) {
            const auto to = static_cast<std::uint32_t>((i * 7 + n * 13) % (kActors + 8));
            actors[static_cast<std::size_t>(i)]->sendMessage(to, 'p', 0);
            actors[static_cast<std::size_t>(i + 1)]->sendMessage(to / 2, 'p', 0);
        }
        while (drainEntityTable(EntityTable) > 0) {
        }
    }
};

} // namespace

TEST(MessageTraffic, ReachesASteadyLevelThenAllocatesNothing) {
    const ScopedTraceRoute quiet(TraceRoute::nowhere());
    resetEngineGlobals();
    const long held = blocksHeld();
    long taken = 0;
    long received = 0;
    {
        Pinging world;
        for (int n = 0; n < 5; ++n) {
            world.frame(n);
        }
        taken = blocksTaken();
        received = world.received;
        for (int n = 5; n < 60; ++n) {
            world.frame(n);
        }
        EXPECT_EQ(blocksTaken(), taken) << "a frame takes no block once traffic is steady";
        EXPECT_GT(world.received - received, 55 * 150);
        EXPECT_GT(world.answered, 0);
        EXPECT_GT(world.dropped, 0);
    }
    EXPECT_EQ(blocksHeld(), held) << "every message released with its handler";
    resetEngineGlobals();
}
