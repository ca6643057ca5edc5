// Identifier allocation. The exhaustion check must stay active in every build.
#include "baseentity.h"

#include "actor.h"
#include "check.h"

#include <cstdint>

std::uint32_t be_val = 0;
Actor* EntityTable[kEntityTableSize] = {};

BaseEntity::BaseEntity() {
    initialize();
}

void BaseEntity::initialize() {
    ENGINE_ASSERT((be_val <= be_val + 1) && "<BaseEntity::initialize>: invalid ID");
    ID = be_val;
    be_val = be_val + 1;
}

namespace {

// Widened, so that the largest identifier cannot wrap round to slot 0.
std::uint64_t slotOf(const Actor& actor) {
    return std::uint64_t{actor.getID()} + 1;
}

} // namespace

bool addToEntityTable(Actor& actor) {
    const std::uint64_t slot = slotOf(actor);
    if (slot >= kEntityTableSize) {
        return false;
    }
    EntityTable[slot] = &actor;
    return true;
}

void removeFromEntityTable(const Actor& actor) {
    const std::uint64_t slot = slotOf(actor);
    if (slot < kEntityTableSize && EntityTable[slot] == &actor) {
        EntityTable[slot] = nullptr;
    }
}
