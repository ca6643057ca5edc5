// The console trace: every piece that stands on its own line begins with "\n" and ends
// without one, so the next piece continues the line unless it starts a line itself.
#pragma once

#include <string>

/// Prints "\nDEBUG::" followed by the text, and nothing after it.
void DebugPrint(std::string text);

/// The trace of a tracing constructor: "\n" and the address of the object being built.
void traceConstruction(const void* object);
