// Console trace on standard output; nothing here flushes.
#include "trace.h"

#include <iostream>

// The trace takes its own copy of the text, as its callers expect.
// cppcheck-suppress passedByValue
void DebugPrint(std::string text) { // NOLINT(performance-unnecessary-value-param)
    std::cout << "\nDEBUG::" << text;
}

void traceConstruction(const void* object) {
    std::cout << "\n" << object;
}
