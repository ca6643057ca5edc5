/// @file
/// The root of every entity: a unique identifier drawn from one process-wide counter, and the
/// global entity table in which entity n stands in slot n + 1.
#pragma once

#include <cstddef>
#include <cstdint>

class Actor;

/// The identifier the next entity receives; starts at 0, only grows, is never reused.
extern std::uint32_t be_val;

/// The slots of the entity table: the extent that delivery and the quad-tree builder rely on
/// in any table they are given.
constexpr std::size_t kEntityTableSize = 1024;

/// Non-owning actor pointers. Slot 0 never holds an entity: identifiers start at 0 and entity
/// n lives in slot n + 1, so the table can hold identifiers 0 to 1022.
extern Actor* EntityTable[kEntityTableSize];

/// One life of an entity: its identifier, the index, and which of the lives lived under that
/// identifier it is, the revision. A message addressed to a life is never delivered to a later
/// one.
struct EntityLife {
    /// The entity's identifier; it stands in table slot id + 1.
    std::uint32_t id = 0;
    /// 1 for the life an actor begins at construction, one more for each life after it; 0 is
    /// no life at all.
    std::uint32_t generation = 0;
};

/// The generation of the life after `generation`: one more, and 1 after the largest, as 0 is no
/// life.
constexpr std::uint32_t nextGeneration(std::uint32_t generation) {
    return generation == UINT32_MAX ? 1 : generation + 1;
}

/// Puts the actor into EntityTable slot getID() + 1. Returns false and writes nothing when
/// that slot lies past the table, for identifier 1023 and every later one.
[[nodiscard]] bool addToEntityTable(Actor& actor);
/// Empties the actor's slot where it still points at this actor; writes nothing otherwise.
void removeFromEntityTable(const Actor& actor);

/// The root of every entity: gives each a unique identifier at construction, and a virtual
/// destructor through which an owner destroys an entity of any kind. Never created on its own.
class BaseEntity {
public:
    /// Unique in the process: drawn from be_val at construction and never changed by the engine.
    std::uint32_t ID = 0;

    /// Takes the next identifier; prints nothing.
    BaseEntity();
    /// Touches neither be_val nor the entity table: the identifier is not handed out again.
    /// An actor's own destructor empties its table slot.
    virtual ~BaseEntity() = default;

    /// The identifier, the same for the entity's whole life; entity n is found in slot n + 1.
    std::uint32_t getID() const { return ID; }

private:
    /// Takes the next identifier; fails the assertion once be_val can no longer advance.
    void initialize();
};
