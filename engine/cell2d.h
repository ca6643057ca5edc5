// The bucket a quad-tree leaf carries: its rectangle and the entities found inside it.
#pragma once

#include <cstdint>
#include <string>

class BaseEntity;

class Cell2d {
public:
    static constexpr std::int32_t kCapacity = 64;

    /// Unused by the engine; empty after construction.
    std::string name;
    double maxX;
    double maxY;
    double minX;
    double minY;
    /// Slots 0 to count - 1 in the order of adding; the others are null. Not owned.
    BaseEntity* entities[kCapacity] = {};
    std::int32_t count = 0;

    /// Stores the rectangle unchanged, even when a minimum lies above its maximum.
    Cell2d(double minX, double minY, double maxX, double maxY);
    virtual ~Cell2d() { clear(); }

    /// Stores the entity (null and duplicates included) in the next slot. On a full cell it
    /// stores nothing and returns false.
    bool add(BaseEntity* entity);
    /// Empties every slot; the entities themselves are not touched.
    void clear();
};
