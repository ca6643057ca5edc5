// Console trace on standard output; nothing here flushes.
#include "trace.h"

#include <iostream>

void DebugPrint(std::string text) {
    std::cout << "\nDEBUG::" << text;
}

void traceConstruction(const void* object) {
    std::cout << "\n" << object;
}
