// The game's partition: the builder's tree found by dividing each node's entities among its
// quadrants, instead of rescanning the whole table at every node.
#include "quadlayout.h"

#include "actor.h"
#include "baseentity.h"
#include "quadnode.h"

#include <array>
#include <cstddef>

void QuadTreeLayout::clear() {
    leaves.clear();
    divided.clear();
    entities.clear();
    positions.clear();
    midline.clear();
    midlinePositions.clear();
    outside.clear();
    outsidePositions.clear();
}

namespace {

using Placed = QuadTreeLayout::Placed;

// Where an entity strictly inside a divided node goes: its quadrant, in the order the builder
// adds them (south-west 0, north-west 1, south-east 2, north-east 3), or 4 on a midline. Strictly
// inside the node and off both midlines is strictly inside one quadrant, as the builder tests.
constexpr unsigned char kOnMidline = 4;

unsigned char bucketOf(Vec2 p, double midX, double midY) {
    // Four comparisons, no branch: which side of each midline, or on it. The entity lies
    // strictly inside the node, so no coordinate is NaN.
    const bool west = p.x < midX;
    const bool east = p.x > midX;
    const bool south = p.y < midY;
    const bool north = p.y > midY;
    const unsigned quadrant = 2U * static_cast<unsigned>(east) + static_cast<unsigned>(north);
    const bool offMidlines = (west || east) && (south || north);
    return static_cast<unsigned char>(offMidlines ? quadrant : kOnMidline);
}

bool strictlyInside(const QuadRect& r, Vec2 p) {
    return r.minX < p.x && p.x < r.maxX && r.minY < p.y && p.y < r.maxY;
}

class Partition {
public:
    explicit Partition(QuadTreeLayout& layout) : layout_(layout) {}

    // Reads the table once, from the highest slot down so that every list comes out in cell
    // order, and divides the root's entities. work holds two halves: a node's entities in one,
    // its quadrants' written into the other, the halves trading roles at every level.
    void run(const QuadRect& world, Actor* const* table) {
        layout_.work.resize(2 * kEntityTableSize);
        Placed* const inside = layout_.work.data();
        Placed* const apart = inside + kEntityTableSize;
        std::size_t in = 0;
        std::size_t out = 0;
        for (std::size_t slot = table == nullptr ? 0 : kEntityTableSize; slot > 0; --slot) {
            Actor* const actor = table[slot - 1];
            if (actor == nullptr) {
                continue;
            }
            const Placed placed{actor, actor->getPosition2D()};
            inside[in] = placed;
            apart[out] = placed;
            const bool isInside = strictlyInside(world, placed.position);
            in += static_cast<std::size_t>(isInside);
            out += static_cast<std::size_t>(!isInside);
        }
        for (std::size_t i = 0; i < out; ++i) {
            layout_.outside.push_back(apart[i].actor);
            layout_.outsidePositions.push_back(apart[i].position);
        }
        divide(world, 0, inside, apart, in);
    }

private:
    void divide(const QuadRect& r, int depth, Placed* from, Placed* to, std::size_t count) {
        if (count < kQuadTreeDivideAt || depth >= kQuadTreeMaxDepth || !r.halvable()) {
            leaf(r, depth, from, count);
            return;
        }
        const std::size_t index = layout_.divided.size();
        layout_.divided.push_back({r, depth, nullptr, layout_.leaves.size(), 0, 0, 0});
        const double midX = r.midX();
        const double midY = r.midY();
        std::array<std::size_t, kOnMidline + 1> sizes{};
        for (std::size_t i = 0; i < count; ++i) {
            buckets_[i] = bucketOf(from[i].position, midX, midY);
            ++sizes[buckets_[i]];
        }
        std::array<std::size_t, kOnMidline + 1> starts{};
        for (std::size_t b = 1; b < starts.size(); ++b) {
            starts[b] = starts[b - 1] + sizes[b - 1];
        }
        // A stable scatter: each bucket keeps the cell order its parent had.
        std::array<std::size_t, kOnMidline + 1> next = starts;
        for (std::size_t i = 0; i < count; ++i) {
            to[next[buckets_[i]]++] = from[i];
        }
        QuadDivided& node = layout_.divided[index];
        node.first = layout_.midline.size();
        node.count = sizes[kOnMidline];
        for (std::size_t i = starts[kOnMidline]; i < count; ++i) {
            layout_.midline.push_back(to[i].actor);
            layout_.midlinePositions.push_back(to[i].position);
        }
        const std::array<QuadRect, 4> quadrants = r.quadrants();
        for (std::size_t q = 0; q < quadrants.size(); ++q) {
            // The parent's half is free once scattered: the quadrant divides back into it.
            divide(quadrants[q], depth + 1, to + starts[q], from + starts[q], sizes[q]);
        }
        layout_.divided[index].leafCount = layout_.leaves.size() - layout_.divided[index].firstLeaf;
    }

    void leaf(const QuadRect& r, int depth, const Placed* from, std::size_t count) {
        layout_.leaves.push_back({r, depth, nullptr, layout_.entities.size(), count});
        for (std::size_t i = 0; i < count; ++i) {
            layout_.entities.push_back(from[i].actor);
            layout_.positions.push_back(from[i].position);
        }
    }

    QuadTreeLayout& layout_;
    // Each entity's bucket, between the two passes over a node's entities; a node's quadrants
    // are divided only after it has scattered, so one array serves every node.
    std::array<unsigned char, kEntityTableSize> buckets_{};
};

} // namespace

void partitionQuadTree(const QuadRect& world, Actor* const* table, QuadTreeLayout& layout) {
    layout.clear();
    Partition(layout).run(world, table);
}
