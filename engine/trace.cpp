// Console trace on the route's stream, standard output unless a game chose another; nothing here
// flushes but what the stream asks for (a tied stream, unitbuf). The text is written
// unformatted, so the stream's own number formatting (flags, locale) never runs.
#include "trace.h"

#include <charconv>
#include <iostream>

namespace {

// Sets the mask back; the stream throws once the mask is in place when its state already holds
// one of the mask's bits, and the trace must not throw into the engine.
void restoreExceptions(std::ostream& out, std::ios::iostate mask) {
    try {
        out.exceptions(mask);
    } catch (const std::ios::failure&) {
        return;
    }
}

// Records a failure in the stream's state without throwing, whatever the stream's mask: the
// engine may be half-way through its own work, such as a tree build, and is never unwound.
void markState(std::ostream& out, std::ios::iostate bits) {
    const std::ios::iostate mask = out.exceptions();
    out.exceptions(std::ios::goodbit);
    out.setstate(bits);
    restoreExceptions(out, mask);
}

// Runs one call of the stream's buffer, which tells whether it succeeded; a failure or a throw
// is recorded as badbit.
template <class Call> void recordFailure(std::ostream& out, Call call) {
    bool succeeded = false;
    try {
        succeeded = call();
    } catch (...) {
        succeeded = false;
    }
    if (!succeeded) {
        markState(out, std::ios::badbit);
    }
}

// The buffer's sync(), as the stream's flush calls it.
void syncBuffer(std::ostream& out) {
    recordFailure(out, [&out] { return out.rdbuf()->pubsync() != -1; });
}

// The bytes straight into the stream's buffer, as the stream's own write puts them.
void putBytes(std::ostream& out, const char* bytes, std::size_t size) {
    const auto count = static_cast<std::streamsize>(size);
    recordFailure(out, [&] { return out.rdbuf()->sputn(bytes, count) == count; });
}

// What the stream's own write does around the bytes, without its guard object: the guard
// flushes a tied stream as it begins and a unit-buffered one as it ends, in its destructor,
// where a buffer's sync() that throws would end the process. Here each flush calls sync() itself.
// Out of line and cold, so that it leaves the bare write, which nearly every piece takes, as
// short as it was (BENCHMARKS.md).
[[gnu::cold, gnu::noinline]] void writeAsTheStreamWould(std::ostream& out, const char* bytes,
                                                        std::size_t size) {
    std::ostream* const tie = out.tie();
    if (tie != nullptr && out.good() && tie->good()) {
        syncBuffer(*tie);
    }
    if (!out.good()) {
        // As the stream's guard marks a bad stream that is written to.
        if (out.bad()) {
            markState(out, std::ios::failbit);
        }
        return;
    }
    putBytes(out, bytes, size);
    if ((out.flags() & std::ios::unitbuf) != 0 && out.good()) {
        syncBuffer(out);
    }
}

// A good stream that is neither tied nor unit-buffered, as standard output is, takes the bytes
// with nothing around them (BENCHMARKS.md).
void writeOut(std::ostream& out, const char* bytes, std::size_t size) {
    if (out.good() && out.tie() == nullptr && (out.flags() & std::ios::unitbuf) == 0) {
        putBytes(out, bytes, size);
    } else {
        writeAsTheStreamWould(out, bytes, size);
    }
    // Formatted output would have used up a width the caller set; so does the trace.
    out.width(0);
}

// The standard streams are built by the first std::ios_base::Init made. A game's file that
// includes no stream header makes none, and an actor it makes at namespace scope may trace
// before any file that does has made its own. Every piece of the engine's trace comes from
// DebugPrint or after a construction trace (there is no handler or node without one), and
// both call this first.
void makeStandardStreams() {
    // Made for what its constructor does.
    // cppcheck-suppress unusedVariable
    static const std::ios_base::Init streams;
}

/// Room for "0x" and the hex digits of the widest pointer.
constexpr std::size_t kAddressSize = 2 + 2 * sizeof(std::uintptr_t);

/// The scope of a route begun last among those still alive.
ScopedTraceRoute* latestScope = nullptr;

} // namespace

std::ostream* TraceText::routed_ = &std::cout;

TraceRoute TraceRoute::standardOutput() noexcept {
    return TraceRoute(&std::cout);
}

TraceRoute traceRoute() noexcept {
    std::ostream* const out = TraceText::routed_;
    return out == nullptr ? TraceRoute::nowhere() : TraceRoute::to(*out);
}

TraceRoute setTraceRoute(TraceRoute route) noexcept {
    const TraceRoute previous = traceRoute();
    TraceText::routed_ = route.stream();
    return previous;
}

ScopedTraceRoute::ScopedTraceRoute(TraceRoute route) noexcept
    : previous_(setTraceRoute(route)), earlier_(latestScope) {
    if (earlier_ != nullptr) {
        earlier_->later_ = this;
    }
    latestScope = this;
}

bool ScopedTraceRoute::anyAlive() noexcept {
    return latestScope != nullptr;
}

// A scope that ends before a later one leaves that one's route in force; the later one will put
// back what this one replaced, never this one's stream.
ScopedTraceRoute::~ScopedTraceRoute() {
    if (later_ == nullptr) {
        setTraceRoute(previous_);
        latestScope = earlier_;
    } else {
        later_->previous_ = previous_;
        later_->earlier_ = earlier_;
    }
    if (earlier_ != nullptr) {
        earlier_->later_ = later_;
    }
}

// The trace takes its own copy of the text, as its callers expect.
// cppcheck-suppress passedByValue
void DebugPrint(std::string text) { // NOLINT(performance-unnecessary-value-param)
    makeStandardStreams();
    TraceText().text("\nDEBUG::").text(text).print();
}

void traceConstruction(const void* object) {
    makeStandardStreams();
    TraceText().text("\n").address(object).print();
}

TraceText& TraceText::textPastCapacity(std::string_view piece) {
    print();
    writeOut(*out_, piece.data(), piece.size());
    return *this;
}

TraceText& TraceText::address(const void* object) {
    if (out_ == nullptr) {
        return *this;
    }
    reserve(kAddressSize);
    // "0x" and lower-case hex digits, null as "0": what the standard library of every target
    // prints for a pointer, so the trace reads the same on every standard library.
    const auto value = reinterpret_cast<std::uintptr_t>(object);
    if (value != 0) {
        text("0x");
    }
    used_ = static_cast<std::size_t>(
        std::to_chars(buffer_ + used_, buffer_ + kCapacity, value, 16).ptr - buffer_);
    return *this;
}

void TraceText::print() {
    if (out_ == nullptr) {
        return;
    }
    writeOut(*out_, buffer_, used_);
    used_ = 0;
}
