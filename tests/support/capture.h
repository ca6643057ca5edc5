// Shared test helpers: capture of the console trace and a clean slate of engine globals.
#pragma once

#include <engine/baseentity.h>
#include <engine/quadnode.h>
#include <engine/trace.h>

#include <algorithm>
#include <sstream>
#include <string>

/// Takes the console trace into a string for the capture's lifetime, then puts back the route
/// it found; std::cout itself is left alone.
class TraceCapture {
public:
    std::string text() const { return buffer_.str(); }

private:
    std::ostringstream buffer_;
    ScopedTraceRoute route_{TraceRoute::to(buffer_)};
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
