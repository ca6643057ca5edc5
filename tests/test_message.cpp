#include "message.h"

#include <gtest/gtest.h>

#include <limits>
#include <sstream>

TEST(Message, EachOverloadCountsItsOwnIdentifiers) {
    const Message a(1, 2, 'a', 0);
    const Message b(1, 2, 'b', 0);
    const Message c(1, 2, 'c', 0);
    EXPECT_EQ(b.getID(), a.getID() + 1);
    EXPECT_EQ(c.getID(), a.getID() + 2);

    const Message second(1, 2, 'd');
    const Message third(1, 2, 'e', 0.5, 3);
    const Message fourth(1, 2, 'f', 0.5);
    const Message secondAgain(1, 2, 'g');
    EXPECT_EQ(secondAgain.getID(), second.getID() + 1);
    // In a fresh process every overload starts at 0, whatever the others have drawn.
    EXPECT_EQ(second.getID(), 0u);
    EXPECT_EQ(third.getID(), 0u);
    EXPECT_EQ(fourth.getID(), 0u);
}

TEST(Message, DefaultConstructionDrawsNoIdentifier) {
    const Message before(1, 2, 'a', 0);
    const Message plain;
    const Message after(1, 2, 'a', 0);
    EXPECT_EQ(after.getID(), before.getID() + 1);
    EXPECT_EQ(plain.getID(), 0u);
}

TEST(Message, FieldsOfEachOverload) {
    const Message zero(0, 0, 'p', -7);
    EXPECT_EQ(zero.sender, 0u);
    EXPECT_EQ(zero.getReceiver(), 0u);
    EXPECT_EQ(zero.ival, -7);
    EXPECT_EQ(zero.dval, 0.0);

    const Message both(4, 5, 'x', 2.5, 9);
    EXPECT_EQ(both.sender, 4u);
    EXPECT_EQ(both.getReceiver(), 5u);
    EXPECT_EQ(both.dval, 2.5);
    EXPECT_EQ(both.ival, 9);

    const Message real(6, 7, 'y', -1.25);
    EXPECT_EQ(real.sender, 6u);
    EXPECT_EQ(real.getReceiver(), 7u);
    EXPECT_EQ(real.dval, -1.25);
}

TEST(Message, ContentPrintsAsItsCharacter) {
    const Message m(1, 0, 112, 0);
    EXPECT_EQ(m.getContent(), 112);
    std::ostringstream out;
    out << static_cast<char>(m.getContent());
    EXPECT_EQ(out.str(), "p");
}

TEST(Message, IdentifierStepReachesTheLastValue) {
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
