#include <engine/scenario.h>

#include <engine/baseentity.h>
#include <engine/trace.h>

#include "blocks.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>

// Counting blocks sees actors left undestroyed, whatever still points at them; with the trace
// sent nowhere no stream's blocks are counted.
TEST(Scenario, EndsWithEveryBlockItAllocatedReleased) {
    const ScopedTraceRoute quiet(TraceRoute::nowhere());
    const long before = blocksHeld();
    EXPECT_EQ(runScenario(), 0);
    EXPECT_EQ(blocksHeld(), before);
    EXPECT_EQ(std::count(EntityTable, EntityTable + kEntityTableSize, nullptr),
              std::ptrdiff_t{kEntityTableSize})
        << "its actors took their slots with them";
}
