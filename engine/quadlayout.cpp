// The game's partition: the builder's tree found by dividing each node's entities among its
// quadrants, instead of rescanning the whole table at every node.
#include "quadlayout.h"

#include "actor.h"
#include "baseentity.h"
#include "quadnode.h"

#include <array>
#include <cstddef>
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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
// A count for each bucket: the four quadrants and the midlines.
constexpr std::size_t kBucketCount = std::size_t{kOnMidline} + 1;
using PerBucket = std::array<std::size_t, kBucketCount>;

// The sides of the midlines an entity lies on, one bit each: 1 west, 2 south, 4 east, 8 north.
// Neither side of a midline is on it.
constexpr unsigned char bucketForSides(unsigned sides) {
    const bool west = (sides & 1U) != 0;
    const bool south = (sides & 2U) != 0;
    const bool east = (sides & 4U) != 0;
    const bool north = (sides & 8U) != 0;
    if (!(west || east) || !(south || north)) {
        return kOnMidline;
    }
    return static_cast<unsigned char>(2 * static_cast<unsigned>(east) +
                                      static_cast<unsigned>(north));
}

constexpr std::array<unsigned char, 16> bucketTable() {
    std::array<unsigned char, 16> table{};
    for (unsigned sides = 0; sides < table.size(); ++sides) {
        table[sides] = bucketForSides(sides);
    }
    return table;
}

constexpr std::array<unsigned char, 16> kBuckets = bucketTable();

// Four comparisons without a branch; where SSE2 is there, two that each compare both axes.
// Both give the same sides: a comparison of doubles is exact.
#if defined(__SSE2__)
static_assert(offsetof(Vec2, y) == sizeof(double), "a Vec2 is loaded as two adjacent doubles");

unsigned char bucketOf(const Vec2& p, double midX, double midY) {
    const __m128d at = _mm_loadu_pd(&p.x);
    const __m128d mid = _mm_set_pd(midY, midX);
    const int below = _mm_movemask_pd(_mm_cmplt_pd(at, mid));
    const int above = _mm_movemask_pd(_mm_cmpgt_pd(at, mid));
    return kBuckets[static_cast<unsigned>(below) | static_cast<unsigned>(above) << 2U];
}
#else
unsigned char bucketOf(const Vec2& p, double midX, double midY) {
    const unsigned sides =
        static_cast<unsigned>(p.x < midX) | static_cast<unsigned>(p.y < midY) << 1U |
        static_cast<unsigned>(p.x > midX) << 2U | static_cast<unsigned>(p.y > midY) << 3U;
    return kBuckets[sides];
}
#endif

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
            const bool isInside = world.surrounds(placed.position.x, placed.position.y);
            in += static_cast<std::size_t>(isInside);
            out += static_cast<std::size_t>(!isInside);
        }
        for (std::size_t i = 0; i < out; ++i) {
            layout_.outside.push_back(apart[i].actor);
            layout_.outsidePositions.push_back(apart[i].position);
        }
        divide(world, 0, inside, apart, in, nullptr);
    }

private:
    static bool divides(const QuadRect& r, int depth, std::size_t count) {
        return count >= kQuadTreeDivideAt && depth < kQuadTreeMaxDepth && r.halvable();
    }

    // A node's entities go to its quadrants. bounds, where known, is their box (the rectangle
    // that just holds them, borders included): when it lies strictly inside one quadrant they
    // all go there, and no pass over them is needed.
    void divide(const QuadRect& r, int depth, Placed* from, Placed* to, std::size_t count,
                const QuadRect* bounds) {
        if (!divides(r, depth, count)) {
            leaf(r, depth, from, count);
            return;
        }
        const double midX = r.midX();
        const double midY = r.midY();
        if (bounds != nullptr) {
            const unsigned char q = quadrantHolding(*bounds, midX, midY);
            if (q != kOnMidline) {
                descend(r, depth, from, to, count, *bounds, q);
                return;
            }
        }
        const PerBucket sizes = sort(from, count, midX, midY);
        for (unsigned char q = 0; q < kOnMidline; ++q) {
            if (sizes[q] == count) {
                // Clustered entities often stay together for many levels: their box, found
                // once, takes them down those levels without a pass at each.
                descend(r, depth, from, to, count, boundsOf(from, count), q);
                return;
            }
        }
        scatter(r, depth, from, to, count, sizes);
    }

    // The quadrant whose inside holds the box, or kOnMidline where it meets a midline.
    static unsigned char quadrantHolding(const QuadRect& b, double midX, double midY) {
        const bool west = b.maxX < midX;
        const bool east = b.minX > midX;
        const bool south = b.maxY < midY;
        const bool north = b.minY > midY;
        if (!(west || east) || !(south || north)) {
            return kOnMidline;
        }
        return static_cast<unsigned char>(2 * static_cast<unsigned>(east) +
                                          static_cast<unsigned>(north));
    }

    static QuadRect boundsOf(const Placed* from, std::size_t count) {
        QuadRect b{from[0].position.x, from[0].position.x, from[0].position.y, from[0].position.y};
        for (std::size_t i = 1; i < count; ++i) {
            const Vec2 p = from[i].position;
            b.minX = p.x < b.minX ? p.x : b.minX;
            b.maxX = p.x > b.maxX ? p.x : b.maxX;
            b.minY = p.y < b.minY ? p.y : b.minY;
            b.maxY = p.y > b.maxY ? p.y : b.maxY;
        }
        return b;
    }

    // Finds each entity's bucket, kept for the scatter, and the buckets' sizes. The sizes are
    // summed as fields of 12 bits in one word (a node holds at most 1024 entities): no count
    // waits on the one before it through memory.
    PerBucket sort(const Placed* from, std::size_t count, double midX, double midY) {
        constexpr unsigned kField = 12;
        constexpr std::array<std::uint64_t, kBucketCount> kOne{
            1, 1ULL << kField, 1ULL << (2 * kField), 1ULL << (3 * kField), 1ULL << (4 * kField)};
        std::uint64_t sums = 0;
        for (std::size_t i = 0; i < count; ++i) {
            const unsigned char b = bucketOf(from[i].position, midX, midY);
            buckets_[i] = b;
            sums += kOne[b];
        }
        PerBucket sizes{};
        for (std::size_t b = 0; b < sizes.size(); ++b) {
            sizes[b] = static_cast<std::size_t>(sums >> (kField * b)) & ((1U << kField) - 1);
        }
        return sizes;
    }

    // All of a node's entities in its one occupied quadrant: the others are empty leaves.
    void descend(const QuadRect& r, int depth, Placed* from, Placed* to, std::size_t count,
                 const QuadRect& bounds, unsigned char occupied) {
        const std::size_t index = open(r, depth, 0);
        const std::array<QuadRect, 4> quadrants = r.quadrants();
        for (std::size_t q = 0; q < quadrants.size(); ++q) {
            if (q == occupied) {
                divide(quadrants[q], depth + 1, from, to, count, &bounds);
            } else {
                leaf(quadrants[q], depth + 1, from, 0);
            }
        }
        close(index);
    }

    // A stable scatter into the quadrants and the midlines: each keeps its parent's cell order.
    void scatter(const QuadRect& r, int depth, Placed* from, Placed* to, std::size_t count,
                 const PerBucket& sizes) {
        PerBucket starts{};
        for (std::size_t b = 1; b < starts.size(); ++b) {
            starts[b] = starts[b - 1] + sizes[b - 1];
        }
        PerBucket next = starts;
        for (std::size_t i = 0; i < count; ++i) {
            to[next[buckets_[i]]++] = from[i];
        }
        const std::size_t index = open(r, depth, sizes[kOnMidline]);
        for (std::size_t i = starts[kOnMidline]; i < count; ++i) {
            layout_.midline.push_back(to[i].actor);
            layout_.midlinePositions.push_back(to[i].position);
        }
        const std::array<QuadRect, 4> quadrants = r.quadrants();
        for (std::size_t q = 0; q < quadrants.size(); ++q) {
            // The parent's half is free once scattered: the quadrant divides back into it.
            divide(quadrants[q], depth + 1, to + starts[q], from + starts[q], sizes[q], nullptr);
        }
        close(index);
    }

    // Records a divided node before its quadrants; close gives it their leaves once they are
    // built. Filled in place: a temporary copied in is read back in wider pieces than it was
    // written, which a processor cannot forward from its stores.
    std::size_t open(const QuadRect& r, int depth, std::size_t onMidline) {
        QuadDivided& node = layout_.divided.emplace_back();
        node.rect = r;
        node.depth = depth;
        node.firstLeaf = layout_.leaves.size();
        node.first = layout_.midline.size();
        node.count = onMidline;
        return layout_.divided.size() - 1;
    }

    void close(std::size_t index) {
        QuadDivided& node = layout_.divided[index];
        node.leafCount = layout_.leaves.size() - node.firstLeaf;
    }

    void leaf(const QuadRect& r, int depth, const Placed* from, std::size_t count) {
        QuadLeaf& leaf = layout_.leaves.emplace_back();
        leaf.rect = r;
        leaf.depth = depth;
        leaf.first = layout_.entities.size();
        leaf.count = count;
        for (std::size_t i = 0; i < count; ++i) {
            layout_.entities.push_back(from[i].actor);
            layout_.positions.push_back(from[i].position);
        }
    }

    QuadTreeLayout& layout_;
    // Each entity's bucket, from sort to scatter; a node's quadrants are divided only after it
    // has scattered, so one array serves every node.
    std::array<unsigned char, kEntityTableSize> buckets_{};
};

} // namespace

void partitionQuadTree(const QuadRect& world, Actor* const* table, QuadTreeLayout& layout) {
    layout.clear();
    Partition(layout).run(world, table);
}
