// The demo's counting stream buffer; the world's tests feed it the engine's own trace.
#include <demo/tally.h>

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

using Receivers = std::vector<std::uint32_t>;

TEST(TraceTally, CountsReceptionTracesAndTheirReceiversWhateverPiecesTheyComeIn) {
    // Reception traces among the engine's other traces, text that only looks like the label,
    // and a label that starts again inside a partial one.
    const std::string trace = "\n0x1234Message received... asshole.\nReceiver:17\nMessage:p"
                              "Message received... asshole.\nReceiver:4294967295\nMessage:p"
                              "\nFinished a quad tree iteration.Receiver:3\nMessage:q"
                              "Receiver Receiver\nReceiveReceiver:5\n";
    const Receivers receivers{17, 4294967295U, 3, 5};
    TraceTally tally;
    std::ostream out(&tally);
    for (const char c : trace) {
        out.put(c);
    }
    EXPECT_EQ(tally.delivered(), 4U);
    EXPECT_EQ(tally.takeReceivers(), receivers);
    EXPECT_TRUE(tally.takeReceivers().empty());
    out.write(trace.data(), static_cast<std::streamsize>(trace.size()));
    EXPECT_EQ(tally.delivered(), 8U);
    EXPECT_EQ(tally.takeReceivers(), receivers);
}
