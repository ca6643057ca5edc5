// Leaf cell: a fixed array of entity slots with a fill count; it never allocates.
#include "cell2d.h"

#include <algorithm>

Cell2d::Cell2d(double minX, double minY, double maxX, double maxY)
    : maxX(maxX), maxY(maxY), minX(minX), minY(minY) {}

bool Cell2d::add(BaseEntity* entity) {
    if (count < 0) {
        count = 0;
    }
    if (count >= kCapacity) {
        return false;
    }
    entities[count] = entity;
    ++count;
    return true;
}

void Cell2d::clear() {
    std::fill(entities, entities + kCapacity, nullptr);
    count = 0;
}
