/// @file
/// The bucket a quad-tree leaf carries: its rectangle and the entities found inside it.
#pragma once

#include <cstdint>
#include <string>

class BaseEntity;

/// The bucket of a quad-tree leaf: the leaf's rectangle and the entities the builder found
/// strictly inside it. Holds its entities without owning them, never allocates, and never
/// reads its rectangle back.
class Cell2d {
public:
    /// Entity slots held inside the cell; a leaf gets fewer than five entities unless its
    /// rectangle could not be divided further (see QuadTreeBuilder).
    static constexpr std::int32_t kCapacity = 64;

    /// Unused by the engine; empty after construction.
    std::string name;
    double maxX; ///< East edge of the leaf's rectangle, as given.
    double maxY; ///< North edge of the leaf's rectangle, as given.
    double minX; ///< West edge of the leaf's rectangle, as given.
    double minY; ///< South edge of the leaf's rectangle, as given.
    /// Slots 0 to count - 1 in the order of adding; the others are null. Not owned.
    BaseEntity* entities[kCapacity] = {};
    /// Slots in use, and the slot the next add fills.
    std::int32_t count = 0;

    /// Stores the rectangle unchanged, even when a minimum lies above its maximum.
    Cell2d(double minX, double minY, double maxX, double maxY);
    /// Empties the slots; the entities themselves are not touched.
    virtual ~Cell2d() { clear(); }

    /// Stores the entity (null and duplicates included) in the next slot. On a full cell it
    /// stores nothing and returns false.
    bool add(BaseEntity* entity);
    /// Empties every slot; the entities themselves are not touched.
    void clear();
};
