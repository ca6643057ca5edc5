// Console trace on standard output; nothing here flushes. The text is written unformatted, so
// the stream's own number formatting (flags, locale) never runs and never costs.
#include "trace.h"

#include <charconv>
#include <iostream>

namespace {

// A good stream that is neither tied nor unit-buffered takes the bytes straight into its buffer,
// as its own write would, without the cost of that write's guard; any other goes through write.
void writeOut(const char* bytes, std::size_t size) {
    std::ostream& out = std::cout;
    const auto count = static_cast<std::streamsize>(size);
    if (out.good() && out.tie() == nullptr && (out.flags() & std::ios::unitbuf) == 0) {
        try {
            if (out.rdbuf()->sputn(bytes, count) != count) {
                out.setstate(std::ios::badbit);
            }
        } catch (...) {
            out.setstate(std::ios::badbit);
        }
    } else {
        out.write(bytes, count);
    }
    // Formatted output would have used up a width the caller set; so does the trace.
    out.width(0);
}

/// Room for "0x" and the hex digits of the widest pointer.
constexpr std::size_t kAddressSize = 2 + 2 * sizeof(std::uintptr_t);

} // namespace

// The trace takes its own copy of the text, as its callers expect.
// cppcheck-suppress passedByValue
void DebugPrint(std::string text) { // NOLINT(performance-unnecessary-value-param)
    TraceText().text("\nDEBUG::").text(text).print();
}

void traceConstruction(const void* object) {
    TraceText().text("\n").address(object).print();
}

TraceText& TraceText::textPastCapacity(std::string_view piece) {
    print();
    writeOut(piece.data(), piece.size());
    return *this;
}

TraceText& TraceText::address(const void* object) {
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
    writeOut(buffer_, used_);
    used_ = 0;
}
