// The free store counted by blocks.cpp's operator new and delete, which replace the program's
// own; valgrind replaces only the C library's allocator, which they call.
#pragma once

#include <engine/message.h>

/// Blocks handed out and not yet given back.
long blocksInUse();
/// Blocks handed out since the program began.
long blocksTaken();
/// Blocks in use but those the engine keeps for its next messages: what the program holds.
inline long blocksHeld() {
    return blocksInUse() - static_cast<long>(Message::pooled());
}
