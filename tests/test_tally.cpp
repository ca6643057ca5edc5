// The demo's counting stream buffer, fed by the engine's own reception trace.
#include <demo/tally.h>

#include <engine/actor.h>
#include <engine/mhandler.h>

#include "capture.h"

#include <gtest/gtest.h>

#include <iostream>
#include <ostream>
#include <string>
#include <vector>

using Receivers = std::vector<std::uint32_t>;

TEST(TraceTally, CountsReceptionTracesAndTheirReceiversWhateverPiecesTheyComeIn) {
    TraceTally tally;
    std::ostream out(&tally);
    const std::string trace = "\n0x1234Message received... asshole.\nReceiver:17\nMessage:p"
                              "Message received... asshole.\nReceiver:4294967295\nMessage:p"
                              "\nFinished a quad tree iteration.Receiver:3\nMessage:q";
    // One byte at a time, then in one write: the same count and receivers.
    for (const char c : trace) {
        out.put(c);
    }
    EXPECT_EQ(tally.delivered(), 3U);
    EXPECT_EQ(tally.takeReceivers(), (Receivers{17, 4294967295U, 3}));
    EXPECT_TRUE(tally.takeReceivers().empty());
    out.write(trace.data(), static_cast<std::streamsize>(trace.size()));
    EXPECT_EQ(tally.delivered(), 6U);
    EXPECT_EQ(tally.takeReceivers(), (Receivers{17, 4294967295U, 3}));
}

TEST(TraceTally, IgnoresTextThatOnlyLooksLikeTheLabel) {
    TraceTally tally;
    std::ostream out(&tally);
    out << "ReceiveReceiver Receiver\nRRReceiver:5\n";
    EXPECT_EQ(tally.delivered(), 1U);
    EXPECT_EQ(tally.takeReceivers(), Receivers{5});
}

TEST(TraceTally, TakesTheEngineTraceInPlaceOfTheConsole) {
    resetEngineGlobals();
    TraceTally tally;
    CoutCapture console;
    {
        CoutTo quiet(&tally);
        Actor first("first");
        Actor second("second");
        EntityTable[first.getID() + 1] = &first;
        EntityTable[second.getID() + 1] = &second;
        second.handler.setEntityTable(EntityTable);
        second.sendMessage(first.getID(), 'p', 0);
        second.update();
        second.sendMessage(1, 'p', 0); // to the holder itself: dropped, no trace
        second.update();
        resetEngineGlobals();
    }
    EXPECT_EQ(console.text(), "");
    EXPECT_EQ(tally.delivered(), 1U);
    EXPECT_EQ(tally.takeReceivers(), Receivers{0});
    std::cout << "back";
    EXPECT_EQ(console.text(), "back");
}
