/// @file
/// The console trace: every piece that stands on its own line begins with "\n" and ends
/// without one, so the next piece continues the line unless it starts a line itself.
#pragma once

#include <charconv>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

/// Prints "\nDEBUG::" followed by the text, and nothing after it.
void DebugPrint(std::string text);

/// The trace of a tracing constructor: "\n" and the address of the object being built.
void traceConstruction(const void* object);

/// A piece of the trace put together in a small buffer and written to standard output in one
/// go. Its bytes are those a standard stream in its default state prints (identifiers in
/// unsigned decimal, a character as itself, an address as "0x" and lower-case hex digits or
/// null as "0"), whatever flags, fill or locale a caller has set on std::cout; a width the
/// caller set is used up, as by any trace.
/// Stream errors are ignored, and a stream in a failed state prints nothing, as before.
class TraceText {
public:
    /// Appends the bytes as they are; a piece too long for the room left is written out at once,
    /// after what is buffered.
    TraceText& text(std::string_view piece) {
        if (piece.size() > kCapacity - used_) {
            return textPastCapacity(piece);
        }
        std::memcpy(buffer_ + used_, piece.data(), piece.size());
        used_ += piece.size();
        return *this;
    }
    /// Appends an identifier in unsigned decimal.
    TraceText& decimal(std::uint32_t value) {
        reserve(10);
        used_ = static_cast<std::size_t>(
            std::to_chars(buffer_ + used_, buffer_ + kCapacity, value).ptr - buffer_);
        return *this;
    }
    /// Appends one character as itself, as the reception trace prints a content code.
    TraceText& character(char c) {
        reserve(1);
        buffer_[used_++] = c;
        return *this;
    }
    /// Appends the address as "0x" and lower-case hex digits, or "0" for null.
    TraceText& address(const void* object);
    /// Writes what has been put together and empties the buffer.
    void print();

private:
    static constexpr std::size_t kCapacity = 96;
    /// Prints what is buffered when fewer than `size` bytes are left.
    void reserve(std::size_t size) {
        if (kCapacity - used_ < size) {
            print();
        }
    }
    /// Prints what is buffered, then the piece itself.
    TraceText& textPastCapacity(std::string_view piece);

    // Only the bytes below used_ are ever read, so the buffer is not cleared first: clearing
    // it cost more than the rest of a short trace.
    // cppcheck-suppress uninitMemberVarPrivate
    char buffer_[kCapacity];
    std::size_t used_ = 0;
};
