/// @file
/// The console trace: every piece that stands on its own line begins with "\n" and ends
/// without one, so the next piece continues the line unless it starts a line itself. The trace
/// goes to standard output unless the game gives it another route.
#pragma once

#include <charconv>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <iosfwd>
#include <string>
#include <string_view>

/// Where the trace goes, one choice for the whole process: standard output, a stream the game
/// gives, or nowhere. A plain value, so that a caller can keep the route it replaces and put it
/// back. Single-threaded, like the rest of the engine: read and set it only from the thread
/// that runs the engine.
class TraceRoute {
public:
    /// std::cout, the route every process starts on.
    static TraceRoute standardOutput() noexcept;
    /// The given stream, which gets the bytes standard output would and must outlive the route.
    static TraceRoute to(std::ostream& stream) noexcept { return TraceRoute(&stream); }
    /// Nowhere: no piece of the trace is put together or written.
    static TraceRoute nowhere() noexcept { return TraceRoute(nullptr); }
    /// The stream the trace is written to on this route, or null for nowhere.
    std::ostream* stream() const noexcept { return stream_; }

private:
    explicit TraceRoute(std::ostream* stream) noexcept : stream_(stream) {}
    std::ostream* stream_;
};

/// The route the trace takes now.
TraceRoute traceRoute() noexcept;
/// Sends every piece of the trace begun from now on along `route`; returns the route it
/// replaces, for the caller to put back.
TraceRoute setTraceRoute(TraceRoute route) noexcept;

/// Puts a route in force for the life of the object, and the route it replaced back after.
/// Scopes may end in any order: one that ends while a later one lives leaves the route alone and
/// hands the route it replaced to the scope begun after it, so that no route outlives its scope
/// and, once every scope has ended, the route is the one in force before the first began.
/// Single-threaded, as the route is.
class ScopedTraceRoute {
public:
    /// Puts the route in force.
    explicit ScopedTraceRoute(TraceRoute route) noexcept;
    /// Puts back the route it replaced if it is the latest scope still alive.
    ~ScopedTraceRoute();
    /// Not copyable: a copy would put the old route back twice.
    ScopedTraceRoute(const ScopedTraceRoute&) = delete;
    ScopedTraceRoute& operator=(const ScopedTraceRoute&) = delete;

    /// True while any scope is alive.
    static bool anyAlive() noexcept;

private:
    TraceRoute previous_;
    /// The scopes alive that began just before and just after this one.
    ScopedTraceRoute* earlier_;
    ScopedTraceRoute* later_ = nullptr;
};

/// Prints "\nDEBUG::" followed by the text, and nothing after it.
void DebugPrint(std::string text);

/// The trace of a tracing constructor: "\n" and the address of the object being built.
void traceConstruction(const void* object);

/// A piece of the trace put together in a small buffer and written to the route's stream in one
/// go; on the route to nowhere nothing is put together. Its bytes are those a standard stream in
/// its default state prints (identifiers in unsigned decimal, a character as itself, an address
/// as "0x" and lower-case hex digits or null as "0"), whatever flags, fill or locale a caller
/// has set on the stream; a width the caller set is used up, as by any trace.
/// A stream in a failed state prints nothing; a failure to write is recorded in the stream's
/// state (badbit) and never thrown, whatever exceptions the stream's mask asks for.
class TraceText {
public:
    // A constructor of its own, so that TraceText() is no value-initialisation, which would
    // clear the buffer first; leaving the buffer uninitialised, as cppcheck notes, is the point.
    /// A piece for the route in force now.
    TraceText() noexcept : out_(routed_) {} // cppcheck-suppress uninitMemberVar

    /// Appends the bytes as they are; a piece too long for the room left is written out at once,
    /// after what is buffered.
    TraceText& text(std::string_view piece) {
        if (out_ == nullptr) {
            return *this;
        }
        if (piece.size() > kCapacity - used_) {
            return textPastCapacity(piece);
        }
        std::memcpy(buffer_ + used_, piece.data(), piece.size());
        used_ += piece.size();
        return *this;
    }
    /// Appends an identifier in unsigned decimal.
    TraceText& decimal(std::uint32_t value) {
        if (out_ == nullptr) {
            return *this;
        }
        reserve(10);
        used_ = static_cast<std::size_t>(
            std::to_chars(buffer_ + used_, buffer_ + kCapacity, value).ptr - buffer_);
        return *this;
    }
    /// Appends one character as itself, as the reception trace prints a content code.
    TraceText& character(char c) {
        if (out_ == nullptr) {
            return *this;
        }
        reserve(1);
        buffer_[used_++] = c;
        return *this;
    }
    /// Appends the address as "0x" and lower-case hex digits, or "0" for null.
    TraceText& address(const void* object);
    /// Writes what has been put together and empties the buffer.
    void print();

private:
    friend TraceRoute traceRoute() noexcept;
    friend TraceRoute setTraceRoute(TraceRoute route) noexcept;

    static constexpr std::size_t kCapacity = 96;
    /// The stream of the route in force, null for nowhere; standard output when a process starts.
    static std::ostream* routed_;

    /// Prints what is buffered when fewer than `size` bytes are left.
    void reserve(std::size_t size) {
        if (kCapacity - used_ < size) {
            print();
        }
    }
    /// Prints what is buffered, then the piece itself.
    TraceText& textPastCapacity(std::string_view piece);

    /// The stream this piece goes to, taken from the route when the piece was begun.
    std::ostream* out_;
    // Not cleared first, as only the bytes below used_ are ever read (BENCHMARKS.md).
    char buffer_[kCapacity];
    std::size_t used_ = 0;
};
