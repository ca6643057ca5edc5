#include <engine/message.h>

#include "deathtest.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <iostream>
#include <limits>
#include <tuple>

TEST(Message, EachOverloadStoresItsFieldsAndLeavesTheOthersZero) {
    // Sender, receiver, content, integer and real payload.
    using Fields = std::tuple<std::uint32_t, std::uint32_t, char, std::int32_t, double>;
    const auto fields = [](const Message& m) {
        return Fields(m.sender, m.getReceiver(), static_cast<char>(m.getContent()), m.ival, m.dval);
    };
    EXPECT_EQ(fields(Message(0, 0, 'a', 0)), Fields(0, 0, 'a', 0, 0.0));
    EXPECT_EQ(fields(Message(1, 2, 'b', -9)), Fields(1, 2, 'b', -9, 0.0));
    EXPECT_EQ(fields(Message(5, 6, 'd')), Fields(5, 6, 'd', 0, 0.0));
    EXPECT_EQ(fields(Message(7, 8, 'e', 0.5, 3)), Fields(7, 8, 'e', 3, 0.5));
    EXPECT_EQ(fields(Message(3, 4, 'f', -0.25)), Fields(3, 4, 'f', 0, -0.25));
    const Message plain;
    EXPECT_EQ(fields(plain), Fields(0, 0, '\0', 0, 0.0));
    EXPECT_EQ(plain.getID(), 0u);
}

using MessageDeathTest = ChildProcessTest;

TEST_F(MessageDeathTest, IdentifierStepHandsOutTheLastValueThenFailsTheAssertion) {
    std::uint32_t mval = std::numeric_limits<std::uint32_t>::max() - 1;
    EXPECT_EQ(Message::initialize(mval), std::numeric_limits<std::uint32_t>::max() - 1);
    EXPECT_EQ(mval, std::numeric_limits<std::uint32_t>::max());
    EXPECT_DEATH(Message::initialize(mval),
                 "\\(mval <= mval \\+ 1\\) && \"<Message::initialize>: invalid ID\"");
}

TEST_F(MessageDeathTest, EachOverloadCountsItsOwnIdentifiersFromZeroInAProcess) {
    // Re-executed rather than forked: a forked child would inherit the counters of earlier tests.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            // Twice each, the default message between: every overload draws from its own counter.
            std::cerr << "ids";
            for (int i = 0; i < 2; ++i) {
                const Message drawsNothing;
                std::cerr << ' ' << Message(1, 2, 'a', 0).getID() << Message(1, 2, 'b').getID()
                          << Message(1, 2, 'c', 0.5, 3).getID() << Message(1, 2, 'd', 0.5).getID();
            }
            std::exit(0);
        },
        ::testing::ExitedWithCode(0), "ids 0000 1111");
}

TEST_F(MessageDeathTest, RealPayloadOverloadRefusesZeroIdentifiers) {
    EXPECT_DEATH(Message(0, 2, 'p', 1.0),
                 "sender && \"Message::Message Error: Invalid sender ID\"");
    EXPECT_DEATH(Message(1, 0, 'p', 1.0),
                 "receiver && \"Message::Message Error: Invalid Receiver ID\"");
}
