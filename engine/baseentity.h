// The root of every entity: a unique identifier drawn from one process-wide counter, and the
// global entity table in which entity n stands in slot n + 1.
#pragma once

#include <cstddef>
#include <cstdint>

class Actor;

/// The identifier the next entity receives; starts at 0, only grows, is never reused.
extern std::uint32_t be_val;

constexpr std::size_t kEntityTableSize = 1024;

/// Non-owning actor pointers. Slot 0 never holds an entity: identifiers start at 0 and entity
/// n lives in slot n + 1, so the table can hold identifiers 0 to 1022.
extern Actor* EntityTable[kEntityTableSize];

class BaseEntity {
public:
    std::uint32_t ID = 0;

    BaseEntity();
    virtual ~BaseEntity() = default;

    std::uint32_t getID() const { return ID; }

private:
    /// Takes the next identifier; fails the assertion once be_val can no longer advance.
    void initialize();
};
