#include <engine/actor.h>

#include <engine/message.h>

#include "capture.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

TEST(Actor, ConstructionTracesTheHandlerThenTheNameReportOrTheActor) {
    resetEngineGlobals();
    TraceCapture capture;
    const Actor quella("Quella");
    const Actor nameless("");
    Actor plain;
    EXPECT_EQ(capture.text(), "\n" + addressText(&quella.handler) + "\n" +
                                  addressText(&nameless.handler) + "\nBullshit: cName is NULL!\n" +
                                  addressText(&plain.handler) + "\n" + addressText(&plain));
    // Identifiers 0, 1 and 2: the holder is 1 whatever the identifier.
    EXPECT_EQ(std::make_tuple(quella.handler.holder, nameless.handler.holder, plain.handler.holder),
              std::make_tuple(1u, 1u, 1u));
}

namespace {

using Drops = std::vector<std::pair<char, DropReason>>;

// What one actor's hooks heard: the contents and senders received, the contents dropped and why.
struct Ears {
    std::string received;
    std::vector<std::uint32_t> senders;
    Drops dropped;
    std::function<void(const Message&)> react;
};

// A hunter (identifier 0), the spare identifier 1 and two prey (2 and 3), each in its slot with
// the table attached and hooks that listen.
class Lives : public ::testing::Test {
protected:
    void SetUp() override {
        resetEngineGlobals();
        for (int i = 0; i < 4; ++i) {
            actors.push_back(std::make_unique<Actor>("a"));
            ASSERT_TRUE(addToEntityTable(*actors.back()));
            MHandler& handler = actors.back()->handler;
            handler.setEntityTable(EntityTable);
            handler.hooks.context = &ears[i];
            handler.hooks.received = [](void* context, const Message& message) {
                auto& e = *static_cast<Ears*>(context);
                e.received += static_cast<char>(message.content);
                e.senders.push_back(message.sender);
                if (e.react) {
                    e.react(message);
                }
            };
            handler.hooks.dropped = [](void* context, const Message& message, DropReason reason) {
                static_cast<Ears*>(context)->dropped.emplace_back(
                    static_cast<char>(message.content), reason);
            };
        }
    }
    void TearDown() override {
        for (auto& actor : actors) {
            actor->handler.hooks = {};
        }
        actors.clear();
        resetEngineGlobals();
    }
    Actor& hunter() { return *actors[0]; }
    Actor& prey() { return *actors[2]; }
    Actor& other() { return *actors[3]; }
    // The other prey untouched: alive in its slot, its first life, one message queued.
    void expectOtherUntouched() {
        EXPECT_EQ(std::make_tuple(other().isAlive(), EntityTable[4], other().life().generation,
                                  other().handler.count),
                  std::make_tuple(true, &other(), 1u, 1));
    }

    const ScopedTraceRoute quiet_{TraceRoute::nowhere()};
    std::vector<std::unique_ptr<Actor>> actors;
    Ears ears[4];
};

} // namespace

TEST_F(Lives, MailToOneLifeReachesThatLifeOnlyWhileBareMailReachesWhicheverStands) {
    const EntityLife first = prey().life();
    ASSERT_TRUE(hunter().sendMessageToLife(first, 'a', 0));
    hunter().update();
    EXPECT_EQ(ears[2].received, "a");

    ASSERT_TRUE(prey().endLife());
    EXPECT_EQ(std::make_tuple(prey().isAlive(), EntityTable[3], prey().life().generation),
              std::make_tuple(false, nullptr, 2u))
        << "out of the table between lives";
    ASSERT_TRUE(prey().beginLife());
    EXPECT_EQ(std::make_pair(EntityTable[3], prey().getID()), std::make_pair(&prey(), 2u))
        << "back in its slot: a new life spends no identifier";

    // A game that asks hears the reason; one that does not never meets it.
    hunter().handler.hooks.dropsOtherLife = true;
    ASSERT_TRUE(hunter().sendMessageToLife(first, 's', 0));              // the ended life
    ASSERT_TRUE(hunter().sendMessageToLife({2, 3}, 'n', 0));             // a life not yet lived
    ASSERT_TRUE(hunter().sendMessageToLife(prey().life(), 'l', 0, 0.5)); // the life that stands
    ASSERT_TRUE(hunter().sendMessage(2, 'b', 0));                        // bare, as ever
    ASSERT_TRUE(other().sendMessageToLife(first, 'q', 0));               // its hooks did not ask
    EXPECT_EQ(hunter().drain(), 4);
    other().update();
    EXPECT_EQ(ears[2].received, "alb");
    EXPECT_EQ(ears[0].dropped, (Drops{{'s', kDropOtherLife}, {'n', kDropOtherLife}}));
    for (int known = 0; known <= static_cast<int>(DropReason::handlerDestroyed); ++known) {
        EXPECT_NE(kDropOtherLife, static_cast<DropReason>(known)) << "a reason of its own";
    }
    EXPECT_TRUE(ears[3].dropped.empty()) << "released untold where not asked";

    // A life ended and its slot empty: the empty slot's reason, as for any message.
    ASSERT_TRUE(prey().endLife());
    ASSERT_TRUE(hunter().sendMessageToLife(prey().life(), 'e', 0));
    hunter().update();
    EXPECT_EQ(ears[0].dropped.back(), std::make_pair('e', DropReason::emptySlot));
}

TEST_F(Lives, AnEndingLifeDeliversWhatItQueuedAndSendsNothingUntilTheNext) {
    for (const char c : {'x', 'y', 'z'}) {
        ASSERT_TRUE(prey().sendMessage(0, static_cast<std::uint8_t>(c), 0));
    }
    // The hunter answers each from inside the prey's end: delivered, the prey's sends refused.
    std::vector<bool> sentWhileEnding;
    ears[0].react = [&](const Message&) {
        sentWhileEnding.push_back(prey().sendMessage(0, 'w', 0));
        EXPECT_FALSE(prey().endLife()) << "already ending";
        EXPECT_TRUE(prey().isAlive());
    };
    ASSERT_TRUE(prey().endLife());
    EXPECT_EQ(ears[0].received, "xyz") << "delivered in order before the life ended";
    EXPECT_EQ(sentWhileEnding, std::vector<bool>(3, false));
    ears[0].react = nullptr;

    EXPECT_FALSE(prey().sendMessage(0, 'd', 0)) << "between lives nothing is sent";
    EXPECT_EQ(prey().handler.count, 0);
    ASSERT_TRUE(prey().beginLife());
    EXPECT_TRUE(prey().sendMessage(0, 'n', 0));
    prey().update();
    EXPECT_EQ(ears[0].received, "xyzn");
}

TEST_F(Lives, EachMisuseGetsItsClearResultAndChangesNothing) {
    EXPECT_FALSE(prey().beginLife()) << "alive since construction";
    EXPECT_FALSE(hunter().sendMessageToLife({2, 0}, 'z', 0)) << "generation 0 is no life";
    ASSERT_TRUE(prey().endLife());
    EXPECT_FALSE(prey().endLife()) << "ended twice";
    EXPECT_EQ(prey().life().generation, 2u);

    // After the largest generation the lives begin again at 1: 0 is no life.
    EXPECT_EQ(nextGeneration(UINT32_MAX - 1), UINT32_MAX);
    EXPECT_EQ(nextGeneration(UINT32_MAX), 1u);

    // An identifier past the table has no slot to begin a life in.
    be_val = 1023;
    Actor late("late");
    ASSERT_TRUE(late.endLife());
    EXPECT_FALSE(late.beginLife());
    EXPECT_FALSE(late.isAlive());

    // A hook that throws from inside the end: the life goes on, the rest still queued.
    ASSERT_TRUE(other().sendMessage(0, 't', 0));
    ASSERT_TRUE(other().sendMessage(0, 'k', 0));
    ears[0].react = [](const Message& message) {
        if (message.content == 't') {
            throw std::string("thrown");
        }
    };
    EXPECT_THROW(other().endLife(), std::string);
    expectOtherUntouched();
    EXPECT_TRUE(other().sendMessage(0, 'm', 0)) << "open again";
    ASSERT_TRUE(other().endLife());
    EXPECT_EQ(ears[0].received, "tkm");
}

TEST_F(Lives, EndingALifeInsideTheNestingBoundWithMailQueuedIsRefused) {
    // The prey's hook has the hunter send to it again and handle that from inside, one handling
    // deeper each time; at the bound it tries to end the other prey, whose mail none could deliver.
    ASSERT_TRUE(other().sendMessage(0, 'o', 0));
    int depth = 0;
    std::vector<bool> tries;
    ears[2].react = [&](const Message&) {
        if (++depth == MHandler::kMaxNesting) {
            tries.push_back(other().endLife());
            expectOtherUntouched();
        } else if (hunter().sendMessage(2, 'r', 0)) {
            hunter().update();
        }
        --depth;
    };
    ASSERT_TRUE(hunter().sendMessage(2, 'r', 0));
    hunter().update();
    EXPECT_EQ(tries, std::vector<bool>{false});
    EXPECT_TRUE(other().sendMessage(0, 'p', 0)) << "still open";
    ears[2].react = nullptr;
    ASSERT_TRUE(other().endLife()) << "from outside, both delivered";
    EXPECT_EQ(ears[0].received, "op");
}

TEST_F(Lives, AnActorThatSendsAsItselfIsKnownToItsReceiverAndReachesIdentifierOne) {
    hunter().sendAsItself();
    ASSERT_TRUE(hunter().sendMessage(1, 'o', 0)); // to the spare, unreachable as holder
    ASSERT_TRUE(hunter().sendMessage(0, 's', 0)); // to itself: the one now refused
    hunter().drain();
    EXPECT_EQ(ears[1].senders, std::vector<std::uint32_t>{0});
    EXPECT_EQ(ears[0].dropped, (Drops{{'s', DropReason::toHolder}}));
}

TEST_F(Lives, DrainingTheTableHandlesEveryQueueInSlotOrderAndAnswersWait) {
    // The prey (slot 3) sends twice to the hunter (slot 1), who answers each: the answers wait
    // in the hunter's queue, drained already, for the next drain.
    ears[0].react = [this](const Message&) { EXPECT_TRUE(hunter().sendMessage(2, 'a', 0)); };
    ASSERT_TRUE(prey().sendMessage(0, 'p', 0));
    ASSERT_TRUE(prey().sendMessage(0, 'q', 0));
    ASSERT_TRUE(other().sendMessage(2, 'o', 0));
    EXPECT_EQ(drainEntityTable(EntityTable), 3);
    ears[0].react = nullptr;
    EXPECT_EQ(drainEntityTable(EntityTable), 2) << "the answers, waiting";
    EXPECT_EQ(ears[0].received + "|" + ears[2].received, "pq|oaa");
    EXPECT_EQ(drainEntityTable(nullptr), 0);
    // A table of the game's own is read whole, from slot 0 to the last.
    Actor* own[kEntityTableSize] = {};
    own[0] = &other();
    own[kEntityTableSize - 1] = &prey();
    ASSERT_TRUE(other().sendMessage(0, 'f', 0));
    ASSERT_TRUE(prey().sendMessage(0, 'l', 0));
    EXPECT_EQ(drainEntityTable(own), 2);
}
