// Shared test helpers: capture of the console trace and a clean slate of engine globals.
#pragma once

#include <engine/baseentity.h>
#include <engine/quadnode.h>
#include <engine/trace.h>

#include <algorithm>
#include <iostream>
#include <sstream>
#include <string>

/// The console trace taken into a string while it lives; std::cout itself is left alone.
class TraceCapture {
public:
    std::string text() const { return buffer_.str(); }

private:
    std::ostringstream buffer_;
    ScopedTraceRoute route_{TraceRoute::to(buffer_)};
};

/// std::cout's own bytes taken into a string while it lives.
class ConsoleWatch {
public:
    ConsoleWatch() : previous_(std::cout.rdbuf(console_.rdbuf())) {}
    ~ConsoleWatch() { std::cout.rdbuf(previous_); }
    ConsoleWatch(const ConsoleWatch&) = delete;
    ConsoleWatch& operator=(const ConsoleWatch&) = delete;

    /// What standard output received since the last take.
    std::string take() {
        std::string text = console_.str();
        console_.str("");
        return text;
    }

private:
    std::ostringstream console_;
    std::streambuf* previous_;
};

/// A pointer as the console trace prints it.
inline std::string addressText(const void* object) {
    std::ostringstream out;
    out << object;
    return out.str();
}

/// The globals as they stand when a process starts (the random index aside).
inline void resetEngineGlobals() {
    be_val = 0;
    std::fill(EntityTable, EntityTable + kEntityTableSize, nullptr);
    cellSlotCounter = 0;
}
