#include <engine/message.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <iostream>
#include <limits>
#include <tuple>

TEST(Message, EachOverloadCountsItsOwnIdentifiersAndStoresItsFields) {
    const Message second(5, 6, 'd');
    const Message third(7, 8, 'e', 0.5, 3);
    const Message fourth(3, 4, 'f', -0.25);
    const Message a(0, 0, 'a', 0);
    const Message plain;
    const Message b(1, 2, 'b', -9);
    EXPECT_EQ(b.getID(), a.getID() + 1);

    // Sender, receiver, content, integer and real payload; what a constructor leaves open is 0.
    using Fields = std::tuple<std::uint32_t, std::uint32_t, char, std::int32_t, double>;
    const auto fields = [](const Message& m) {
        return Fields(m.sender, m.getReceiver(), static_cast<char>(m.getContent()), m.ival, m.dval);
    };
    EXPECT_EQ(fields(a), Fields(0, 0, 'a', 0, 0.0));
    EXPECT_EQ(fields(b), Fields(1, 2, 'b', -9, 0.0));
    EXPECT_EQ(fields(second), Fields(5, 6, 'd', 0, 0.0));
    EXPECT_EQ(fields(third), Fields(7, 8, 'e', 3, 0.5));
    EXPECT_EQ(fields(fourth), Fields(3, 4, 'f', 0, -0.25));
    EXPECT_EQ(fields(plain), Fields(0, 0, '\0', 0, 0.0));
    EXPECT_EQ(plain.getID(), 0u);

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

TEST(MessageDeathTest, FirstMessageOfEachOverloadInAProcessHasIdentifierZero) {
    // Re-executed rather than forked: a forked child would inherit the counters of earlier tests.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            std::cerr << "ids " << Message(1, 2, 'a', 0).getID() << Message(1, 2, 'b').getID()
                      << Message(1, 2, 'c', 0.5, 3).getID() << Message(1, 2, 'd', 0.5).getID();
            std::exit(0);
        },
        ::testing::ExitedWithCode(0), "ids 0000");
}

TEST(MessageDeathTest, RealPayloadOverloadRefusesZeroIdentifiers) {
    EXPECT_DEATH(Message(0, 2, 'p', 1.0),
                 "sender && \"Message::Message Error: Invalid sender ID\"");
    EXPECT_DEATH(Message(1, 0, 'p', 1.0),
                 "receiver && \"Message::Message Error: Invalid Receiver ID\"");
}
