#include "mhandler.h"

#include "actor.h"
#include "capture.h"
#include "message.h"

#include <gtest/gtest.h>

#include <limits>
#include <memory>
#include <string>

namespace {

// An actor registered in the slot its identifier gives it, with the table attached.
class MHandlerTest : public ::testing::Test {
protected:
    void SetUp() override {
        resetEngineGlobals();
        CoutCapture quiet;
        receiver = std::make_unique<Actor>("receiver");
        EntityTable[receiver->getID() + 1] = receiver.get();
    }
    void TearDown() override { resetEngineGlobals(); }

    std::unique_ptr<Actor> receiver;
};

const std::string kTraceOfP = "Message received... asshole.\nReceiver:0\nMessage:p";

} // namespace

TEST_F(MHandlerTest, ProcessOnEmptyQueuePrintsNothing) {
    CoutCapture capture;
    MHandler handler;
    const std::string construction = capture.text();
    handler.process();
    EXPECT_EQ(capture.text(), construction);
    EXPECT_EQ(handler.count, 0);
}

TEST_F(MHandlerTest, MessageToTheHolderIsDroppedSilently) {
    CoutCapture capture;
    MHandler handler;
    handler.setEntityTable(EntityTable);
    const std::string before = capture.text();
    ASSERT_TRUE(handler.send(1, 'p', 0));
    handler.process();
    EXPECT_EQ(capture.text(), before);
    EXPECT_EQ(handler.count, 0);
    EXPECT_EQ(handler.queue[0], nullptr);
}

TEST_F(MHandlerTest, DeliveryPrintsTheReceptionTraceOnce) {
    CoutCapture capture;
    MHandler handler;
    handler.setEntityTable(EntityTable);
    ASSERT_TRUE(handler.send(0, 'p', 0));
    const std::string before = capture.text();
    handler.process();
    EXPECT_EQ(capture.text(), before + kTraceOfP);
    EXPECT_EQ(handler.count, 0);
    // Reception leaves the receiver's queue as it was, so its update prints nothing more.
    EXPECT_EQ(receiver->handler.count, 0);
    receiver->update();
    handler.process();
    EXPECT_EQ(capture.text(), before + kTraceOfP);
}

TEST_F(MHandlerTest, MessagesLeaveInTheOrderSent) {
    CoutCapture capture;
    MHandler handler;
    handler.setEntityTable(EntityTable);
    ASSERT_TRUE(handler.send(0, 'a', 1));
    ASSERT_TRUE(handler.send(0, 'b', 2));
    Message* second = handler.queue[1];
    ASSERT_TRUE(handler.send(0, 'c', 3));

    handler.process();
    EXPECT_EQ(handler.count, 2);
    EXPECT_EQ(handler.queue[0], second);
    handler.process();
    handler.process();
    EXPECT_EQ(handler.count, 0);
    const std::string text = capture.text();
    const auto a = text.find("Message:a");
    const auto b = text.find("Message:b");
    const auto c = text.find("Message:c");
    ASSERT_NE(c, std::string::npos);
    EXPECT_LT(a, b);
    EXPECT_LT(b, c);
}

TEST_F(MHandlerTest, SentMessagesCarryTheHolderAsSender) {
    CoutCapture quiet;
    MHandler byDefault;
    MHandler byHolder(7);
    ASSERT_TRUE(byDefault.send(0, 'p', 5));
    ASSERT_TRUE(byHolder.send(3, 'q', -5));
    EXPECT_EQ(byDefault.holder, 1u);
    EXPECT_EQ(byDefault.queue[0]->sender, 1u);
    EXPECT_EQ(byHolder.queue[0]->sender, 7u);
    EXPECT_EQ(byHolder.queue[0]->getReceiver(), 3u);
    EXPECT_EQ(byHolder.queue[0]->ival, -5);
}

TEST_F(MHandlerTest, ConstructionTraces) {
    CoutCapture capture;
    MHandler byHolder(5);
    const std::string address = addressText(&byHolder);
    EXPECT_EQ(capture.text(), "\n" + address + "\n" + address);
    EXPECT_EQ(byHolder.holder, 5u);
    EXPECT_EQ(byHolder.entityTable, nullptr);
    EXPECT_EQ(byHolder.count, 0);
    for (const Message* slot : byHolder.queue) {
        EXPECT_EQ(slot, nullptr);
    }

    MHandler byDefault;
    EXPECT_EQ(capture.text(), "\n" + address + "\n" + address + "\n" + addressText(&byDefault));
}

TEST_F(MHandlerTest, AttachingTheTablePrintsTheIdentifierInSlotOne) {
    CoutCapture capture;
    MHandler handler;
    const std::string before = capture.text();
    handler.setEntityTable(EntityTable);
    EXPECT_EQ(capture.text(), before + "0");
    EXPECT_EQ(handler.entityTable, &EntityTable[0]);

    EntityTable[1] = nullptr;
    handler.setEntityTable(EntityTable);
    handler.setEntityTable(nullptr);
    EXPECT_EQ(capture.text(), before + "0");
    EXPECT_EQ(handler.entityTable, nullptr);
}

TEST_F(MHandlerTest, FullQueueRefusesAndKeepsItsMessages) {
    CoutCapture quiet;
    MHandler handler;
    for (std::int32_t i = 0; i < MHandler::kCapacity; ++i) {
        ASSERT_TRUE(handler.send(0, 'p', i));
    }
    Message* const last = handler.queue[MHandler::kCapacity - 1];
    EXPECT_FALSE(handler.send(0, 'x', 99));
    EXPECT_EQ(handler.count, MHandler::kCapacity);
    EXPECT_EQ(handler.queue[MHandler::kCapacity - 1], last);
    EXPECT_EQ(last->ival, MHandler::kCapacity - 1);

    // Freeing one slot makes room at the tail again.
    handler.setEntityTable(EntityTable);
    handler.process();
    EXPECT_EQ(handler.queue[MHandler::kCapacity - 2], last);
    EXPECT_EQ(handler.queue[MHandler::kCapacity - 1], nullptr);
    EXPECT_TRUE(handler.send(0, 'y', 100));
    EXPECT_EQ(handler.count, MHandler::kCapacity);
}

TEST_F(MHandlerTest, CountWrittenOutOfRangeIsKeptInside) {
    CoutCapture quiet;
    MHandler handler;
    handler.count = -3;
    handler.process();
    ASSERT_TRUE(handler.send(0, 'p', 0));
    EXPECT_EQ(handler.count, 1);
    EXPECT_NE(handler.queue[0], nullptr);

    // A count past the queue never reads or releases beyond its slots.
    handler.count = 1000;
    EXPECT_FALSE(handler.send(0, 'p', 0));
    handler.process();
    EXPECT_EQ(handler.count, MHandler::kCapacity - 1);
    handler.count = 0;
}

TEST_F(MHandlerTest, UndeliverableMessagesAreDroppedSilently) {
    CoutCapture capture;
    MHandler detached;
    MHandler attached;
    attached.setEntityTable(EntityTable);
    const std::string before = capture.text();

    ASSERT_TRUE(detached.send(0, 'p', 0));
    detached.process();
    // Slot 6 is empty, slot 1023 is the last and empty, 1024 and beyond are past the table.
    const std::uint32_t receivers[] = {5, 1022, 1023, std::numeric_limits<std::uint32_t>::max()};
    for (std::uint32_t unreachable : receivers) {
        ASSERT_TRUE(attached.send(unreachable, 'p', 0));
        attached.process();
    }
    attached.deliver(nullptr);
    attached.receive(nullptr);

    EXPECT_EQ(capture.text(), before);
    EXPECT_EQ(detached.count, 0);
    EXPECT_EQ(attached.count, 0);
}

TEST_F(MHandlerTest, LargestIdentifierDoesNotWrapToSlotZero) {
    CoutCapture capture;
    EntityTable[0] = receiver.get();
    MHandler handler;
    handler.setEntityTable(EntityTable);
    const std::string before = capture.text();
    ASSERT_TRUE(handler.send(std::numeric_limits<std::uint32_t>::max(), 'p', 0));
    handler.process();
    EXPECT_EQ(capture.text(), before);
}

TEST(MHandlerDeathTest, HolderZeroFailsTheAssertion) {
    EXPECT_DEATH(MHandler(0), "holder && \"<MHandler::initialize>: invalid ID\"");
    EXPECT_DEATH(MHandler(0), "mhandler");
}
