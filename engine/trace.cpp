// Console trace on standard output; nothing here flushes. The text is written unformatted, so
// the stream's own number formatting (flags, locale) never runs and never costs.
#include "trace.h"

#include <charconv>
#include <cstdio>
#include <cstring>
#include <iostream>

namespace {

void writeOut(const char* bytes, std::size_t size) {
    std::cout.write(bytes, static_cast<std::streamsize>(size));
    // Formatted output would have used up a width the caller set; so does the trace.
    std::cout.width(0);
}

/// Room for "0x" and the hex digits of the widest pointer, or for "%p" of any C library.
constexpr std::size_t kAddressSize = 32;

} // namespace

// The trace takes its own copy of the text, as its callers expect.
// cppcheck-suppress passedByValue
void DebugPrint(std::string text) { // NOLINT(performance-unnecessary-value-param)
    TraceText().text("\nDEBUG::").text(text).print();
}

void traceConstruction(const void* object) {
    TraceText().text("\n").address(object).print();
}

TraceText& TraceText::text(std::string_view piece) {
    if (piece.size() > kCapacity - used_) {
        print();
        writeOut(piece.data(), piece.size());
        return *this;
    }
    std::memcpy(buffer_ + used_, piece.data(), piece.size());
    used_ += piece.size();
    return *this;
}

TraceText& TraceText::decimal(std::uint32_t value) {
    reserve(10);
    used_ = static_cast<std::size_t>(
        std::to_chars(buffer_ + used_, buffer_ + kCapacity, value).ptr - buffer_);
    return *this;
}

TraceText& TraceText::character(char c) {
    reserve(1);
    buffer_[used_++] = c;
    return *this;
}

TraceText& TraceText::address(const void* object) {
    reserve(kAddressSize);
#ifdef __GLIBCXX__
    // This standard library prints a pointer as "0x" and lower-case hex digits, null as "0".
    const auto value = reinterpret_cast<std::uintptr_t>(object);
    if (value != 0) {
        text("0x");
    }
    used_ = static_cast<std::size_t>(
        std::to_chars(buffer_ + used_, buffer_ + kCapacity, value, 16).ptr - buffer_);
#else
    // The others print a pointer as the C library's "%p" does.
    const int written = std::snprintf(buffer_ + used_, kAddressSize, "%p", object);
    used_ += written > 0 ? static_cast<std::size_t>(written) : 0;
#endif
    return *this;
}

void TraceText::print() {
    writeOut(buffer_, used_);
    used_ = 0;
}

void TraceText::reserve(std::size_t size) {
    if (kCapacity - used_ < size) {
        print();
    }
}
