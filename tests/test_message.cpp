#include <engine/message.h>

#include "blocks.h"
#include "deathtest.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <iostream>
#include <limits>
#include <memory>
#include <set>
#include <tuple>

TEST(Message, EachOverloadStoresItsFieldsAndLeavesTheOthersZero) {
    using Fields = std::tuple<std::uint32_t, std::uint32_t, char, std::int32_t, double>;
    const auto fields = [](const Message& m) {
        return Fields(m.sender, m.getReceiver(), static_cast<char>(m.getContent()), m.ival, m.dval);
    };
    EXPECT_EQ(fields(Message(0, 0, 'a', -9)), Fields(0, 0, 'a', -9, 0.0));
    EXPECT_EQ(fields(Message(5, 6, 'd')), Fields(5, 6, 'd', 0, 0.0));
    EXPECT_EQ(fields(Message(7, 8, 'e', 0.5, 3)), Fields(7, 8, 'e', 3, 0.5));
    EXPECT_EQ(fields(Message(3, 4, 'f', -0.25)), Fields(3, 4, 'f', 0, -0.25));
}

using MessageDeathTest = ChildProcessTest;

TEST_F(MessageDeathTest, TheLastIdentifierAndZeroIdentifiersForARealPayloadFailTheirAssertions) {
    std::uint32_t mval = std::numeric_limits<std::uint32_t>::max() - 1;
    EXPECT_EQ(Message::initialize(mval), std::numeric_limits<std::uint32_t>::max() - 1);
    EXPECT_EQ(mval, std::numeric_limits<std::uint32_t>::max());
    EXPECT_DEATH(Message::initialize(mval),
                 "\\(mval <= mval \\+ 1\\) && \"<Message::initialize>: invalid ID\"");
    EXPECT_DEATH(Message(0, 2, 'p', 1.0),
                 "sender && \"Message::Message Error: Invalid sender ID\"");
    EXPECT_DEATH(Message(1, 0, 'p', 1.0),
                 "receiver && \"Message::Message Error: Invalid Receiver ID\"");
}

namespace {

// Releases its message as the process ends, as an actor at namespace scope does.
struct ReleasedAtExit {
    Message* message;
    ~ReleasedAtExit() {
        delete message;
        std::cerr << ", kept at the end: " << Message::pooled();
    }
    ReleasedAtExit(const ReleasedAtExit&) = delete;
    ReleasedAtExit& operator=(const ReleasedAtExit&) = delete;
};

} // namespace

TEST_F(MessageDeathTest, EachOverloadCountsFromZeroInAProcessAndKeptBlocksGoBackAtExit) {
    // Re-executed rather than forked: a forked child would inherit the counters of earlier tests.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            // Twice each, the default message between: every overload draws from its own counter.
            // No block is kept before a message has been released.
            std::cerr << "kept " << Message::pooled() << ", ids";
            for (int i = 0; i < 2; ++i) {
                const Message drawsNothing;
                std::cerr << ' ' << Message(1, 2, 'a', 0).getID() << Message(1, 2, 'b').getID()
                          << Message(1, 2, 'c', 0.5, 3).getID() << Message(1, 2, 'd', 0.5).getID();
            }
            // Made before the first block is kept, so it ends after the kept blocks went back,
            // and its message goes straight back.
            static const ReleasedAtExit late{new Message(1, 2, 'l', 0)};
            delete new Message(1, 2, 'k', 0);
            std::exit(0);
        },
        ::testing::ExitedWithCode(0), "kept 0, ids 0000 1111, kept at the end: 0");
}

namespace {

// A message of a game's own kind, larger than the engine's.
struct Tagged : Message {
    Tagged() : Message(1, 2, 't', 0) {}
    double tag = 1.0;
};

} // namespace

TEST(MessageBlocks, AReleasedBlockIsHandedOutOnceAgainAndTheRestGoBackOnRequest) {
    // Raw arrays and counts taken before any check, so that only messages take blocks here.
    Message::releasePooled();
    Message* first[8] = {};
    Message* second[6] = {};
    const long inUse = blocksInUse();
    for (Message*& message : first) {
        message = new Message(1, 2, 'a', 0);
    }
    for (Message* message : first) {
        delete message;
    }
    const long keptInUse = blocksInUse();
    const std::size_t kept = Message::pooled();
    const long taken = blocksTaken();
    for (Message*& message : second) {
        message = new Message(3, 4, 'b', 0);
    }
    const auto after =
        std::make_tuple(keptInUse - inUse, kept, blocksTaken() - taken, Message::pooled());
    EXPECT_EQ(after, std::make_tuple(8L, std::size_t{8}, 0L, std::size_t{2}))
        << "kept, then reused";

    // Each kept block goes to one message only, and a message made from one is whole.
    const std::set<const Message*> released(std::begin(first), std::end(first));
    const std::set<const Message*> reused(std::begin(second), std::end(second));
    EXPECT_EQ(reused.size(), 6u);
    EXPECT_TRUE(std::includes(released.begin(), released.end(), reused.begin(), reused.end()));
    for (const Message* message : second) {
        EXPECT_EQ(std::make_tuple(message->sender, message->receiver, message->receiverLife),
                  std::make_tuple(3u, 4u, 0u));
    }

    // A class of another size never takes or leaves a kept block: its own goes back.
    const long beforeTagged = blocksInUse();
    auto tagged = std::make_unique<Tagged>();
    EXPECT_EQ(released.count(tagged.get()), 0u);
    tagged.reset();
    const auto keptAndInUse = [] { return std::make_tuple(Message::pooled(), blocksInUse()); };
    EXPECT_EQ(keptAndInUse(), std::make_tuple(std::size_t{2}, beforeTagged));
    Message::releasePooled();
    EXPECT_EQ(keptAndInUse(), std::make_tuple(std::size_t{0}, beforeTagged - 2));
    for (Message* message : second) {
        delete message;
    }
    EXPECT_EQ(Message::pooled(), 6u);
    Message::releasePooled();
    EXPECT_EQ(blocksInUse(), beforeTagged - 8);
}

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define MESSAGE_TEST_ASAN 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__) || defined(MESSAGE_TEST_ASAN)
TEST_F(MessageDeathTest, AMessageReadAfterItsReleaseIsStillReportedThoughItsBlockIsKept) {
    EXPECT_DEATH(
        {
            const Message* message = new Message(1, 2, 'a', 0);
            delete message;
            // Read as bytes, as a stale pointer in a game's own code would be.
            const auto* bytes = reinterpret_cast<const volatile unsigned char*>(message);
            std::cerr << static_cast<int>(bytes[sizeof(Message) - 1]);
        },
        "use-after-poison");
}
#endif
