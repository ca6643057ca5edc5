// Shared test helpers: capture of the console trace and a clean slate of engine globals.
#pragma once

#include <engine/baseentity.h>
#include <engine/quadnode.h>

#include <algorithm>
#include <iostream>
#include <sstream>
#include <string>

/// Redirects std::cout into a string for the capture's lifetime.
class CoutCapture {
public:
    CoutCapture() : previous_(std::cout.rdbuf(buffer_.rdbuf())) {}
    ~CoutCapture() { std::cout.rdbuf(previous_); }
    CoutCapture(const CoutCapture&) = delete;
    CoutCapture& operator=(const CoutCapture&) = delete;

    std::string text() const { return buffer_.str(); }

private:
    std::ostringstream buffer_;
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
