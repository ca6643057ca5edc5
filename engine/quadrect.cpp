// Midlines and quadrants: the one description of halving that the builder and the game share.
#include "quadrect.h"

#include <cmath>

namespace {

double midpoint(double min, double max) {
    const double width = max - min;
    if (std::isinf(width) && std::isfinite(min) && std::isfinite(max)) {
        return min / 2 + max / 2;
    }
    return min + width / 2;
}

} // namespace

double QuadRect::midX() const {
    return midpoint(minX, maxX);
}

double QuadRect::midY() const {
    return midpoint(minY, maxY);
}

std::array<QuadRect, 4> QuadRect::quadrants() const {
    const double x = midX();
    const double y = midY();
    return {{{minX, x, minY, y}, {minX, x, y, maxY}, {x, maxX, minY, y}, {x, maxX, y, maxY}}};
}

bool QuadRect::halvable() const {
    const double x = midX();
    const double y = midY();
    return minX < x && x < maxX && minY < y && y < maxY;
}
