// Identifier allocation. The exhaustion check must stay active in every build.
#undef NDEBUG
#include "baseentity.h"

#include <cassert>

std::uint32_t be_val = 0;
Actor* EntityTable[kEntityTableSize] = {};

BaseEntity::BaseEntity() {
    initialize();
}

void BaseEntity::initialize() {
    assert((be_val <= be_val + 1) && "<BaseEntity::initialize>: invalid ID");
    ID = be_val;
    be_val = be_val + 1;
}
