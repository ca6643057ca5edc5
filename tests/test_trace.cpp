#include <engine/trace.h>

#include "capture.h"

#include <gtest/gtest.h>

TEST(Trace, DebugPrintStartsALineAndEndsWithoutOne) {
    CoutCapture capture;
    DebugPrint("Updating...");
    DebugPrint("");
    EXPECT_EQ(capture.text(), "\nDEBUG::Updating...\nDEBUG::");
}

TEST(Trace, ConstructionTraceIsTheAddressOnANewLine) {
    int object = 0;
    CoutCapture capture;
    traceConstruction(&object);
    std::cout << "glued";
    EXPECT_EQ(capture.text(), "\n" + addressText(&object) + "glued");
}
