#include <engine/baseentity.h>

#include <engine/actor.h>

#include "capture.h"
#include "deathtest.h"

#include <gtest/gtest.h>

#include <iterator>
#include <limits>

TEST(BaseEntity, IdentifiersFollowCreationAndAreNeverReused) {
    resetEngineGlobals();
    CoutCapture quiet;
    auto* first = new Actor("first");
    auto* second = new Actor("second");
    EXPECT_EQ(first->getID(), 0u);
    EXPECT_EQ(second->getID(), 1u);
    delete first;
    const Actor third("third");
    EXPECT_EQ(third.getID(), 2u);
    delete second;

    EXPECT_EQ(std::size(EntityTable), 1024u); // entity n in slot n + 1: identifiers 0 to 1022

    be_val = std::numeric_limits<std::uint32_t>::max() - 1;
    const Actor last("last");
    EXPECT_EQ(last.getID(), std::numeric_limits<std::uint32_t>::max() - 1);
    be_val = 0;
}

using BaseEntityDeathTest = ChildProcessTest;

TEST_F(BaseEntityDeathTest, ExhaustedCounterFailsTheAssertion) {
    be_val = std::numeric_limits<std::uint32_t>::max();
    EXPECT_DEATH(Actor("late"),
                 "\\(be_val <= be_val \\+ 1\\) && \"<BaseEntity::initialize>: invalid ID\"");
    be_val = 0;
}
