#include <engine/message.h>

#include <gtest/gtest.h>

#include <limits>

TEST(Message, EachOverloadCountsItsOwnIdentifiers) {
    const Message second(1, 2, 'd');
    const Message third(1, 2, 'e', 0.5, 3);
    const Message fourth(1, 2, 'f', 0.5);
    const Message a(0, 0, 'a', 0);
    const Message plain;
    const Message b(1, 2, 'b', 0);
    EXPECT_EQ(b.getID(), a.getID() + 1);
    EXPECT_EQ(a.sender + a.getReceiver(), 0u);
    EXPECT_EQ(third.dval, 0.5);
    EXPECT_EQ(third.ival, 3);

    // The other overloads drew nothing while the first one counted.
    EXPECT_EQ(Message(1, 2, 'd').getID(), second.getID() + 1);
    EXPECT_EQ(Message(1, 2, 'e', 0.5, 3).getID(), third.getID() + 1);
    EXPECT_EQ(Message(1, 2, 'f', 0.5).getID(), fourth.getID() + 1);
    EXPECT_EQ(Message(1, 2, 'g', 0).getID(), b.getID() + 1);
}

TEST(Message, IdentifierStepHandsOutTheLastValue) {
    std::uint32_t mval = std::numeric_limits<std::uint32_t>::max() - 1;
    EXPECT_EQ(Message::initialize(mval), std::numeric_limits<std::uint32_t>::max() - 1);
    EXPECT_EQ(mval, std::numeric_limits<std::uint32_t>::max());
}

TEST(MessageDeathTest, ExhaustedCounterFailsTheAssertion) {
    std::uint32_t mval = std::numeric_limits<std::uint32_t>::max();
    EXPECT_DEATH(Message::initialize(mval),
                 "\\(mval <= mval \\+ 1\\) && \"<Message::initialize>: invalid ID\"");
    EXPECT_DEATH(Message::initialize(mval), "message");
}

TEST(MessageDeathTest, RealPayloadOverloadRefusesZeroIdentifiers) {
    EXPECT_DEATH(Message(0, 2, 'p', 1.0),
                 "sender && \"Message::Message Error: Invalid sender ID\"");
    EXPECT_DEATH(Message(1, 0, 'p', 1.0),
                 "receiver && \"Message::Message Error: Invalid Receiver ID\"");
}
