#include <engine/trace.h>

#include <engine/actor.h>
#include <engine/mhandler.h>
#include <engine/quadnode.h>

#include "capture.h"

#include <gtest/gtest.h>

#include <iomanip>
#include <ios>
#include <locale>
#include <memory>
#include <sstream>
#include <string>

TEST(Trace, DebugAndConstructionTracesStartALineAndEndWithoutOne) {
    int object = 0;
    CoutCapture capture;
    DebugPrint("Updating...");
    DebugPrint("");
    traceConstruction(&object);
    std::cout << "glued";
    EXPECT_EQ(capture.text(), "\nDEBUG::Updating...\nDEBUG::\n" + addressText(&object) + "glued");
}

namespace {

// Digits grouped by threes, as a caller's locale may ask of every number the stream prints.
class Thousands : public std::numpunct<char> {
protected:
    char do_thousands_sep() const override { return ','; }
    std::string do_grouping() const override { return "\3"; }
};

} // namespace

TEST(Trace, BytesIgnoreTheFlagsFillWidthAndLocaleACallerSet) {
    resetEngineGlobals();
    // Past the largest signed value, so a signed or grouped identifier would show.
    be_val = 4000000000u;
    CoutCapture capture;
    std::ios saved(nullptr);
    saved.copyfmt(std::cout);
    std::cout.imbue(std::locale(std::locale::classic(), new Thousands));
    std::cout << std::hex << std::showbase << std::showpos << std::uppercase << std::setfill('*');
    std::cout.width(40);
    const auto receiver = std::make_unique<Actor>("");
    EntityTable[1] = receiver.get();
    EntityTable[1001] = receiver.get();
    std::cout.width(40);
    MHandler handler;
    EXPECT_EQ(std::cout.width(), 0) << "a width the caller set is used up by the trace";
    handler.setEntityTable(EntityTable);
    handler.send(1000, 'p', 0);
    handler.process();
    DebugPrint(std::string(150, 'd'));
    traceConstruction(nullptr);
    QuadNode* root = QuadTreeBuilder(-1, 1, -1, 1, EntityTable);
    const std::string rootText = addressText(root);
    releaseQuadTree(root);
    std::cout.copyfmt(saved);
    resetEngineGlobals();
    EXPECT_EQ(capture.text(), "\n" + addressText(&receiver->handler) +
                                  "\nBullshit: cName is NULL!\n" + addressText(&handler) +
                                  "4000000000Message received... asshole.\nReceiver:1000"
                                  "\nMessage:p\nDEBUG::" +
                                  std::string(150, 'd') + "\n" + addressText(nullptr) + "\n" +
                                  rootText + "\nFinished a quad tree iteration.");
}

TEST(Trace, AFailedStreamPrintsNothingATiedOrUnitBufferedOneTheSameBytes) {
    CoutCapture capture;
    std::ostringstream other;
    std::cout.tie(&other);
    std::cout << std::unitbuf;
    DebugPrint("tied");
    std::cout.tie(nullptr);
    std::cout << std::nounitbuf;
    std::cout.setstate(std::ios::failbit);
    DebugPrint("failed");
    std::cout.clear();
    DebugPrint("again");
    EXPECT_EQ(capture.text(), "\nDEBUG::tied\nDEBUG::again");
}
