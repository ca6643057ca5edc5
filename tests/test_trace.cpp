#include <engine/trace.h>

#include <engine/actor.h>
#include <engine/mhandler.h>
#include <engine/quadnode.h>

#include "capture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <functional>
#include <iomanip>
#include <iostream>
#include <locale>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>

// Scopes held by objects of lifetimes of their own, a level and a menu, end in any order; the
// streams end with them, so a trace written to one would be a write into freed memory.
TEST(Trace, ScopedRoutesEndingInAnyOrderLeaveTheLatestLivingOnesRouteAndAtLastTheOneBefore) {
    ASSERT_EQ(traceRoute().stream(), &std::cout) << "standard output from the start";
    const ScopedTraceRoute kept(traceRoute());
    std::ostringstream before;
    EXPECT_EQ(setTraceRoute(TraceRoute::to(before)).stream(), &std::cout) << "the one replaced";
    constexpr std::size_t kScopes = 3;
    std::array<std::size_t, kScopes> order{0, 1, 2};
    do {
        std::array<std::unique_ptr<std::ostringstream>, kScopes> streams;
        std::array<std::unique_ptr<ScopedTraceRoute>, kScopes> scopes;
        for (std::size_t i = 0; i < kScopes; ++i) {
            streams[i] = std::make_unique<std::ostringstream>();
            scopes[i] = std::make_unique<ScopedTraceRoute>(TraceRoute::to(*streams[i]));
        }
        for (const std::size_t ended : order) {
            scopes[ended].reset();
            streams[ended].reset();
            std::ostream* latest = &before;
            for (std::size_t i = 0; i < kScopes; ++i) {
                latest = scopes[i] != nullptr ? streams[i].get() : latest;
            }
            ASSERT_EQ(traceRoute().stream(), latest)
                << "ending " << order[0] << order[1] << order[2] << " at " << ended;
        }
    } while (std::next_permutation(order.begin(), order.end()));

    // Nested, with a route set by hand inside: each scope puts back what it replaced.
    std::ostringstream byHand;
    {
        const ScopedTraceRoute outer(TraceRoute::nowhere());
        setTraceRoute(TraceRoute::to(byHand));
        { const ScopedTraceRoute inner(TraceRoute::nowhere()); }
        EXPECT_EQ(traceRoute().stream(), &byHand);
    }
    EXPECT_EQ(traceRoute().stream(), &before);
}

namespace {

// Digits grouped by threes, as a caller's locale may ask of every number the stream prints.
class Thousands : public std::numpunct<char> {
protected:
    char do_thousands_sep() const override { return ','; }
    std::string do_grouping() const override { return "\3"; }
};

// A stream buffer that logs each write (the bytes it took) and each flush; it can take one byte
// less than offered, or throw; or each flush can throw or fail.
class Recorder : public std::streambuf {
public:
    enum class Takes { All, OneLess, Throws, SyncThrows, SyncFails };
    Recorder(Takes takes, std::string& log, const char* name)
        : takes_(takes), log_(log), name_(name) {}

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
        if (takes_ == Takes::SyncThrows) {
            throw std::runtime_error("cannot flush");
        }
        log_ += name_ + "flush ";
        return takes_ == Takes::SyncFails ? -1 : 0;
    }

private:
    Takes takes_;
    std::string& log_;
    std::string name_;
};

} // namespace

// Every kind of piece traced while the stream carries a width of 40; the identifier lies past the
// largest signed value, so that a signed or grouped one would show.
TEST(Trace, EveryRouteGetsTheConsolesBytesWhateverFlagsFillWidthAndLocaleItsStreamCarries) {
    const ScopedTraceRoute kept(traceRoute());
    ConsoleWatch console;
    std::ostringstream given;
    const struct {
        const char* route;
        TraceRoute to;
        std::ostream& out; // the stream given odd flags: the route's own, or std::cout
        bool written;
    } cases[] = {
        {"standard output", TraceRoute::standardOutput(), std::cout, true},
        {"a given stream", TraceRoute::to(given), given, true},
        {"nowhere", TraceRoute::nowhere(), std::cout, false},
    };
    for (const auto& c : cases) {
        std::ios saved(nullptr);
        saved.copyfmt(c.out);
        c.out.imbue(std::locale(std::locale::classic(), new Thousands));
        c.out << std::hex << std::showbase << std::showpos << std::uppercase << std::setfill('*');
        setTraceRoute(c.to);
        resetEngineGlobals();
        be_val = 4000000000u;
        c.out.width(40);
        const auto receiver = std::make_unique<Actor>("");
        EntityTable[1] = receiver.get();
        EntityTable[1001] = receiver.get();
        c.out.width(40);
        MHandler handler;
        EXPECT_EQ(c.out.width(), c.written ? 0 : 40)
            << c.route << ": a width the caller set is used up by a trace, and only by one";
        handler.setEntityTable(EntityTable);
        handler.send(1000, 'p', 0);
        handler.process();
        DebugPrint(std::string(150, 'd'));
        traceConstruction(nullptr);
        QuadNode* root = QuadTreeBuilder(-1, 1, -1, 1, EntityTable);
        const std::string expected =
            "\n" + addressText(&receiver->handler) + "\nBullshit: cName is NULL!\n" +
            addressText(&handler) +
            "4000000000Message received... asshole.\nReceiver:1000\nMessage:p\nDEBUG::" +
            std::string(150, 'd') + "\n" + addressText(nullptr) + "\n" + addressText(root) +
            "\nFinished a quad tree iteration.";
        releaseQuadTree(root);
        resetEngineGlobals();
        c.out.copyfmt(saved);
        EXPECT_EQ(console.take() + given.str(), c.written ? expected : "") << c.route;
        given.str("");
    }
}

TEST(Trace, PiecesMeetingAFullBufferKeepEveryByteInOrder) {
    const struct {
        std::function<void(TraceText&)> put;
        std::string bytes;
    } pieces[] = {
        {[](TraceText& t) { t.decimal(4294967295u); }, "4294967295"},
        {[](TraceText& t) { t.character('c'); }, "c"},
        {[](TraceText& t) { t.address(reinterpret_cast<const void*>(~std::uintptr_t{0})); },
         "0x" + std::string(2 * sizeof(std::uintptr_t), 'f')},
        {[](TraceText& t) { t.text("piece"); }, "piece"},
        {[](TraceText& t) { t.text(std::string(200, 'p')); }, std::string(200, 'p')},
    };
    // From well short of the 96-byte buffer to exactly full, so every piece meets each edge.
    for (std::size_t filled = 70; filled <= 96; ++filled) {
        const std::string head(filled, 'a');
        for (const auto& piece : pieces) {
            TraceCapture capture;
            TraceText trace;
            trace.text(head);
            piece.put(trace);
            trace.text("|").print();
            EXPECT_EQ(capture.text(), head + piece.bytes + "|")
                << filled << " then " << piece.bytes;
        }
    }
}

TEST(Trace, TheStreamsStateDecidesWhatIsWrittenFlushedAndReportedAndNothingIsThrown) {
    using Takes = Recorder::Takes;
    constexpr std::ios::iostate good = std::ios::goodbit, failed = std::ios::failbit,
                                bad = std::ios::badbit, every = bad | failed | std::ios::eofbit;
    const struct {
        const char* stream;
        Takes takes;
        bool tied, unitBuffered;
        std::ios::iostate before;
        std::string log;
        std::ios::iostate after;
        Takes tieTakes = Takes::All; // a tie of its own is unit-buffered
    } cases[] = {
        {"plain", Takes::All, false, false, good, "[\nDEBUG::x]", good},
        {"tied", Takes::All, true, false, good, "tie-flush [\nDEBUG::x]", good},
        {"unit-buffered", Takes::All, false, true, good, "[\nDEBUG::x]flush ", good},
        {"taking fewer bytes", Takes::OneLess, false, false, good, "[\nDEBUG::]", bad},
        {"throwing", Takes::Throws, false, false, good, "", bad},
        {"tied and throwing", Takes::Throws, true, false, good, "tie-flush ", bad},
        {"already failed", Takes::All, false, false, failed, "", failed},
        {"already bad", Takes::All, false, false, bad, "", bad | failed},
        {"its flush throwing", Takes::SyncThrows, false, true, good, "[\nDEBUG::x]", bad},
        {"its flush failing", Takes::SyncFails, false, true, good, "[\nDEBUG::x]flush ", bad},
        {"its tie's flush throwing", Takes::All, true, false, good, "[\nDEBUG::x]", good,
         Takes::SyncThrows},
    };
    const ScopedTraceRoute kept(traceRoute());
    resetEngineGlobals();
    std::ostream given(nullptr);
    for (std::ostream* out : {&std::cout, &given}) {
        for (const std::ios::iostate mask : {good, every}) {
            for (const auto& c : cases) {
                SCOPED_TRACE(std::string(out == &given ? "a given stream, " : "standard output, ") +
                             c.stream + ", mask " + std::to_string(static_cast<int>(mask)));
                std::string log;
                Recorder target(c.takes, log, "");
                Recorder tie(c.tieTakes, log, "tie-");
                std::ostream tieStream(&tie);
                tieStream.setf(c.tieTakes != Takes::All ? std::ios::unitbuf : std::ios::fmtflags{});
                std::streambuf* const previous = out->rdbuf(&target);
                setTraceRoute(TraceRoute::to(*out));
                out->tie(c.tied ? &tieStream : nullptr);
                out->setf(c.unitBuffered ? std::ios::unitbuf : std::ios::fmtflags{});
                out->setstate(c.before);
                try {
                    out->exceptions(mask);
                } catch (const std::ios::failure&) {
                    EXPECT_NE(out->rdstate() & mask, 0) << "thrown only for a state the mask names";
                }
                EXPECT_NO_THROW(DebugPrint("x"));
                EXPECT_EQ(log, c.log);
                EXPECT_EQ(out->rdstate(), c.after);
                // Nor is a tree build unwound half-way, which would leak the node built.
                QuadNode* root = nullptr;
                EXPECT_NO_THROW(root = QuadTreeBuilder(-1, 1, -1, 1, EntityTable));
                releaseQuadTree(root);
                EXPECT_EQ(out->exceptions(), mask);
                setTraceRoute(TraceRoute::standardOutput());
                out->exceptions(std::ios::goodbit);
                out->unsetf(std::ios::unitbuf);
                out->tie(nullptr);
                out->rdbuf(previous);
                out->clear();
            }
        }
    }
}
