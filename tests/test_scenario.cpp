#include <engine/scenario.h>

#include <engine/baseentity.h>
#include <engine/trace.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstdlib>
#include <new>

namespace {

// Blocks handed out by operator new and not yet taken back, over the whole test program.
std::atomic<long> liveBlocks{0};

} // namespace

void* operator new(std::size_t size) {
    if (void* block = std::malloc(size == 0 ? 1 : size)) {
        ++liveBlocks;
        return block;
    }
    throw std::bad_alloc();
}

void operator delete(void* block) noexcept {
    if (block != nullptr) {
        --liveBlocks;
        std::free(block);
    }
}

void operator delete(void* block, std::size_t) noexcept {
    operator delete(block);
}

// Counting blocks sees actors left undestroyed, whatever still points at them.
TEST(Scenario, EndsWithEveryBlockItAllocatedReleased) {
    // With the trace sent nowhere no stream takes part, so only the scenario's own blocks are
    // counted.
    const ScopedTraceRoute quiet(TraceRoute::nowhere());
    const long before = liveBlocks;
    EXPECT_EQ(runScenario(), 0);
    EXPECT_EQ(liveBlocks.load(), before);
    // Its actors took their slots with them, so nothing can reach them once destroyed.
    EXPECT_EQ(std::count(EntityTable, EntityTable + kEntityTableSize, nullptr),
              std::ptrdiff_t{kEntityTableSize});
}
