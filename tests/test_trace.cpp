#include <engine/trace.h>

#include <engine/actor.h>
#include <engine/mhandler.h>
#include <engine/quadnode.h>

#include "capture.h"

#include <gtest/gtest.h>

#include <functional>
#include <iomanip>
#include <ios>
#include <locale>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>
#include <utility>

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

TEST(Trace, PiecesMeetingAFullBufferKeepEveryByteInOrder) {
    const int object = 0;
    const struct {
        std::function<void(TraceText&)> put;
        std::string bytes;
    } pieces[] = {
        {[](TraceText& t) { t.decimal(4294967295u); }, "4294967295"},
        {[](TraceText& t) { t.character('c'); }, "c"},
        {[&](TraceText& t) { t.address(&object); }, addressText(&object)},
        {[](TraceText& t) { t.text("piece"); }, "piece"},
        {[](TraceText& t) { t.text(std::string(200, 'p')); }, std::string(200, 'p')},
    };
    // From well short of the 96-byte buffer to exactly full, so every piece meets each edge.
    for (std::size_t filled = 80; filled <= 96; ++filled) {
        const std::string head(filled, 'a');
        for (const auto& piece : pieces) {
            CoutCapture capture;
            TraceText trace;
            trace.text(head);
            piece.put(trace);
            trace.text("|").print();
            EXPECT_EQ(capture.text(), head + piece.bytes + "|")
                << filled << " then " << piece.bytes;
        }
    }
}

namespace {

// A stream buffer that logs each write (the bytes it took) and each flush; it can take one
// byte less than offered, or throw.
class Recorder : public std::streambuf {
public:
    enum class Takes { All, OneLess, Throws };
    Recorder(Takes takes, std::string& log, std::string name)
        : takes_(takes), log_(log), name_(std::move(name)) {}

protected:
    std::streamsize xsputn(const char* bytes, std::streamsize size) override {
        if (takes_ == Takes::Throws) {
            throw std::runtime_error("refused");
        }
        const std::streamsize taken = takes_ == Takes::OneLess ? size - 1 : size;
        log_ += name_ + "[" + std::string(bytes, static_cast<std::size_t>(taken)) + "]";
        return taken;
    }
    int sync() override {
        log_ += name_ + "flush ";
        return 0;
    }

private:
    Takes takes_;
    std::string& log_;
    std::string name_;
};

} // namespace

TEST(Trace, TheStreamsStateDecidesWhatIsWrittenFlushedAndReported) {
    using Takes = Recorder::Takes;
    const struct {
        const char* stream;
        Takes takes;
        bool tied, unitBuffered, failedBefore;
        std::string log;
        bool goodAfter;
    } cases[] = {
        {"plain", Takes::All, false, false, false, "[\nDEBUG::x]", true},
        {"tied", Takes::All, true, false, false, "tie-flush [\nDEBUG::x]", true},
        {"unit-buffered", Takes::All, false, true, false, "[\nDEBUG::x]flush ", true},
        {"taking fewer bytes", Takes::OneLess, false, false, false, "[\nDEBUG::]", false},
        {"throwing", Takes::Throws, false, false, false, "", false},
        {"already failed", Takes::All, false, false, true, "", false},
    };
    for (const auto& c : cases) {
        std::string log;
        Recorder target(c.takes, log, "");
        Recorder tie(Takes::All, log, "tie-");
        std::ostream tieStream(&tie);
        std::streambuf* const previous = std::cout.rdbuf(&target);
        std::cout.tie(c.tied ? &tieStream : nullptr);
        std::cout.setf(c.unitBuffered ? std::ios::unitbuf : std::ios::fmtflags{});
        std::cout.setstate(c.failedBefore ? std::ios::failbit : std::ios::goodbit);
        DebugPrint("x");
        const bool goodAfter = std::cout.good();
        std::cout.unsetf(std::ios::unitbuf);
        std::cout.tie(nullptr);
        std::cout.rdbuf(previous);
        EXPECT_EQ(log, c.log) << c.stream;
        EXPECT_EQ(goodAfter, c.goodAfter) << c.stream;
    }
}
