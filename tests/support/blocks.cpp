#include "blocks.h"

#include <atomic>
#include <cstddef>
#include <cstdlib>
#include <new>

namespace {

std::atomic<long> inUse{0};
std::atomic<long> taken{0};

} // namespace

long blocksInUse() {
    return inUse;
}

long blocksTaken() {
    return taken;
}

void* operator new(std::size_t size) {
    void* block = std::malloc(size == 0 ? 1 : size);
    if (block == nullptr) {
        throw std::bad_alloc();
    }
    ++inUse;
    ++taken;
    return block;
}

void operator delete(void* block) noexcept {
    if (block != nullptr) {
        --inUse;
        std::free(block);
    }
}

void operator delete(void* block, std::size_t /*size*/) noexcept {
    operator delete(block);
}
