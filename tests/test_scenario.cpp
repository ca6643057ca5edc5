#include <engine/scenario.h>

#include <engine/baseentity.h>
#include <engine/trace.h>

#include "blocks.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>

// Counting blocks sees actors left undestroyed, whatever still points at them.
TEST(Scenario, EndsWithEveryBlockItAllocatedReleased) {
    // With the trace sent nowhere no stream takes part, so only the scenario's own blocks are
    // counted.
    const ScopedTraceRoute quiet(TraceRoute::nowhere());
    const long before = blocksHeld();
    EXPECT_EQ(runScenario(), 0);
    EXPECT_EQ(blocksHeld(), before);
    // Its actors took their slots with them, so nothing can reach them once destroyed.
    EXPECT_EQ(std::count(EntityTable, EntityTable + kEntityTableSize, nullptr),
              std::ptrdiff_t{kEntityTableSize});
}
