#include <engine/baseentity.h>

#include <engine/actor.h>

#include "capture.h"
#include "deathtest.h"

#include <gtest/gtest.h>

#include <limits>
#include <memory>
#include <tuple>
#include <vector>

TEST(BaseEntity, IdentifiersFollowCreationAndAreNeverReused) {
    resetEngineGlobals();
    TraceCapture quiet;
    auto first = std::make_unique<Actor>("first");
    const Actor second("second");
    const std::uint32_t firstID = first->getID();
    first.reset();
    const Actor third("third");
    EXPECT_EQ(std::make_tuple(firstID, second.getID(), third.getID()), std::make_tuple(0u, 1u, 2u));

    be_val = std::numeric_limits<std::uint32_t>::max() - 1;
    const Actor last("last");
    EXPECT_EQ(last.getID(), std::numeric_limits<std::uint32_t>::max() - 1);
    be_val = 0;
}

TEST(EntityTable, CheckedRegistrationNeverWritesOutsideAndADestroyedActorLeavesItsSlot) {
    resetEngineGlobals();
    TraceCapture quiet;
    be_val = 1021;
    auto a = std::make_unique<Actor>("a"); // slot 1022
    auto b = std::make_unique<Actor>("b"); // slot 1023, the last
    auto c = std::make_unique<Actor>("c"); // slot 1024: past the table
    EXPECT_TRUE(addToEntityTable(*a));
    EXPECT_TRUE(addToEntityTable(*b));
    EXPECT_EQ(EntityTable[1022], a.get());
    EXPECT_EQ(EntityTable[1023], b.get());
    const std::vector<Actor*> before(EntityTable, EntityTable + kEntityTableSize);
    EXPECT_FALSE(addToEntityTable(*c));
    c->ID = std::numeric_limits<std::uint32_t>::max(); // its slot must not wrap round to 0
    EXPECT_FALSE(addToEntityTable(*c));
    EXPECT_EQ(std::vector<Actor*>(EntityTable, EntityTable + kEntityTableSize), before);

    // Only the slot that points at the actor itself is emptied, by removal or destruction.
    EntityTable[1022] = b.get();
    removeFromEntityTable(*a);
    EXPECT_EQ(EntityTable[1022], b.get());
    EntityTable[1022] = a.get();
    removeFromEntityTable(*a);
    EXPECT_EQ(EntityTable[1022], nullptr);
    b.reset();
    EXPECT_EQ(EntityTable[1023], nullptr) << "so no message reaches freed memory";
    resetEngineGlobals();
}

using BaseEntityDeathTest = ChildProcessTest;

TEST_F(BaseEntityDeathTest, ExhaustedCounterFailsTheAssertion) {
    be_val = std::numeric_limits<std::uint32_t>::max();
    EXPECT_DEATH(Actor("late"),
                 "\\(be_val <= be_val \\+ 1\\) && \"<BaseEntity::initialize>: invalid ID\"");
    be_val = 0;
}
