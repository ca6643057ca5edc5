// The game's partition: the builder's tree found by dividing each node's entities among its
// quadrants, instead of rescanning the whole table at every node.
#include "quadlayout.h"

#include "actor.h"
#include "baseentity.h"
#include "quadnode.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

using quadlayout_detail::Entry;

namespace {

// Grows the box to hold the other; a NaN bound fails every comparison and stays out.
void grow(QuadRect& box, const QuadRect& other) {
    box.minX = other.minX < box.minX ? other.minX : box.minX;
    box.maxX = other.maxX > box.maxX ? other.maxX : box.maxX;
    box.minY = other.minY < box.minY ? other.minY : box.minY;
    box.maxY = other.maxY > box.maxY ? other.maxY : box.maxY;
}

// The box of one point.
QuadRect pointBox(Vec2 p) {
    return {p.x, p.x, p.y, p.y};
}

} // namespace

void QuadIndex::clear() {
    nodes.clear();
    outside = 0;
    positions.clear();
    actors.clear();
    ids.clear();
    kinds.clear();
    onMidline.clear();
    outsideIds.clear();
    outsideKinds.clear();
}

void QuadTreeLayout::clear() {
    leaves.clear();
    divided.clear();
    entities.clear();
    positions.clear();
    midline.clear();
    midlinePositions.clear();
    outside.clear();
    outsidePositions.clear();
    index.clear();
}

// The index's entity counts and node links are 32 bits wide.
static_assert(kEntityTableSize <= 0x7fffffff, "every entity of a table fits the index");

QuadLayoutWriter::QuadLayoutWriter(QuadTreeLayout& layout, QuadKindsOf kindsOf)
    : layout_(layout), kindsOf_(kindsOf) {
    layout_.clear();
    layout_.index.nodes.emplace_back();
}

void QuadLayoutWriter::open(const QuadRect& r, int depth, const QuadNode* node, std::size_t count) {
    endLeaf();
    QuadDivided& d = layout_.divided.emplace_back();
    d.rect = r;
    d.depth = depth;
    d.node = node;
    d.firstLeaf = layout_.leaves.size();
    d.first = layout_.midline.size();
    divided_.at(openDivided_++) = layout_.divided.size() - 1;
    if (inBucket_) {
        return;
    }
    const bool small = count <= kQuadIndexScanned;
    openEntry(!small);
    if (small) {
        inBucket_ = true;
        bucketLevel_ = openDivided_;
    }
}

QuadTreeLayout::Placed QuadLayoutWriter::place(Actor* actor, Vec2 position) const {
    return {actor, position, actor->getID(), kindsOf(*actor)};
}

void QuadLayoutWriter::midline(const QuadTreeLayout::Placed& entity) {
    layout_.midline.push_back(entity.actor);
    layout_.midlinePositions.push_back(entity.position);
    ++layout_.divided[divided_.at(openDivided_ - 1)].count;
    add(entity, 1);
    const Entry& entry = entries_.at(openEntries_ - 1);
    if (entry.node >= 0) {
        layout_.index.nodes[static_cast<std::size_t>(entry.node)].ownEnd =
            static_cast<std::uint32_t>(layout_.index.positions.size());
    }
}

void QuadLayoutWriter::close() {
    endLeaf();
    const bool closesBucket = inBucket_ && openDivided_ == bucketLevel_;
    const std::size_t index = divided_.at(--openDivided_);
    QuadDivided& d = layout_.divided[index];
    d.leafCount = layout_.leaves.size() - d.firstLeaf;
    d.dividedCount = layout_.divided.size() - index;
    if (inBucket_ && !closesBucket) {
        return;
    }
    inBucket_ = false;
    closeEntry();
}

void QuadLayoutWriter::leaf(const QuadRect& r, int depth, const QuadNode* node) {
    endLeaf();
    QuadLeaf& l = layout_.leaves.emplace_back();
    l.rect = r;
    l.depth = depth;
    l.node = node;
    l.first = layout_.entities.size();
    if (inBucket_) {
        return;
    }
    leafOpen_ = true;
    openEntry(false);
}

void QuadLayoutWriter::inLeaf(const QuadTreeLayout::Placed& entity) {
    layout_.entities.push_back(entity.actor);
    layout_.positions.push_back(entity.position);
    ++layout_.leaves.back().count;
    add(entity, 0);
}

void QuadLayoutWriter::outside(const QuadTreeLayout::Placed& entity) {
    layout_.outside.push_back(entity.actor);
    layout_.outsidePositions.push_back(entity.position);
    layout_.index.outsideIds.push_back(entity.id);
    layout_.index.outsideKinds.push_back(entity.kinds);
}

void QuadLayoutWriter::finish() {
    endLeaf();
    QuadIndex& index = layout_.index;
    index.outside = static_cast<std::uint32_t>(index.positions.size());
    for (std::size_t i = 0; i < layout_.outside.size(); ++i) {
        index.positions.push_back(layout_.outsidePositions[i]);
        index.actors.push_back(layout_.outside[i]);
        index.ids.push_back(index.outsideIds[i]);
        index.kinds.push_back(index.outsideKinds[i]);
    }
}

void QuadLayoutWriter::endLeaf() {
    if (!leafOpen_) {
        return;
    }
    leafOpen_ = false;
    closeEntry();
}

// Begins the next quadrant of the innermost open entry's node, or the tree in nodes[0].
void QuadLayoutWriter::openEntry(bool withNode) {
    QuadIndex& index = layout_.index;
    Entry& entry = entries_.at(openEntries_);
    entry = Entry{};
    if (openEntries_ > 0) {
        Entry& outer = entries_[openEntries_ - 1];
        entry.parent = outer.node;
        entry.slot = outer.quadrantsSeen++;
    }
    entry.first = static_cast<std::uint32_t>(index.positions.size());
    if (withNode) {
        entry.node = static_cast<std::int32_t>(index.nodes.size());
        QuadIndexNode& node = index.nodes.emplace_back();
        node.ownFirst = entry.first;
        node.ownEnd = entry.first;
    }
    ++openEntries_;
}

// Writes the innermost open entry into its quadrant; its box and kinds join the entry around it.
void QuadLayoutWriter::closeEntry() {
    QuadIndex& index = layout_.index;
    const Entry& entry = entries_.at(--openEntries_);
    const auto end = static_cast<std::uint32_t>(index.positions.size());
    if (entry.node < 0 && end - entry.first <= kQuadIndexBucket) {
        readWhole(entry.first, end);
    }
    QuadIndexNode& parent = index.nodes[static_cast<std::size_t>(entry.parent)];
    const std::size_t q = entry.slot % 4;
    parent.box[q] = entry.box;
    parent.first[q] = entry.first;
    parent.end[q] = end;
    parent.kinds[q] = entry.kinds;
    parent.quadrant[q] = linkTo(entry);
    if (openEntries_ == 0) {
        return;
    }
    Entry& outer = entries_[openEntries_ - 1];
    grow(outer.box, entry.box);
    outer.kinds |= entry.kinds;
}

// A node with no entity of its own and one quadrant holding entities holds what that quadrant
// holds: the link goes to the quadrant's instead, so that a query steps down a cluster's
// levels at once.
std::int32_t QuadLayoutWriter::linkTo(const Entry& entry) const {
    if (entry.node < 0) {
        return -1;
    }
    const QuadIndexNode& node = layout_.index.nodes[static_cast<std::size_t>(entry.node)];
    if (node.ownEnd != node.ownFirst) {
        return entry.node;
    }
    std::size_t occupied = 0;
    std::int32_t only = entry.node;
    for (std::size_t q = 0; q < 4; ++q) {
        if (node.first[q] != node.end[q]) {
            ++occupied;
            only = node.quadrant[q];
        }
    }
    return occupied == 1 ? only : entry.node;
}

// A small subtree is read as one list: its leaves' entities, then its midline entities, each in
// the order they were written.
void QuadLayoutWriter::readWhole(std::uint32_t first, std::uint32_t end) {
    QuadIndex& index = layout_.index;
    struct Entity {
        Vec2 position;
        Actor* actor;
        std::uint32_t id;
        QuadKinds kinds;
        unsigned char onMidline;
    };
    const auto midlines = index.onMidline.begin();
    if (std::find(midlines + first, midlines + end, 1) == midlines + end) {
        return;
    }
    std::array<Entity, kQuadIndexBucket> held{};
    const std::size_t count = end - first;
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t from = first + i;
        held.at(i) = {index.positions[from], index.actors[from], index.ids[from], index.kinds[from],
                      index.onMidline[from]};
    }
    std::size_t to = first;
    for (const unsigned char onMidline : {0, 1}) {
        for (std::size_t i = 0; i < count; ++i) {
            if (held[i].onMidline != onMidline) {
                continue;
            }
            index.positions[to] = held[i].position;
            index.actors[to] = held[i].actor;
            index.ids[to] = held[i].id;
            index.kinds[to] = held[i].kinds;
            ++to;
        }
    }
}

// Appends the entity to the index, in the innermost open entry.
void QuadLayoutWriter::add(const QuadTreeLayout::Placed& entity, unsigned char onMidline) {
    QuadIndex& index = layout_.index;
    const Vec2 position = entity.position;
    index.positions.push_back(position);
    index.actors.push_back(entity.actor);
    index.ids.push_back(entity.id);
    index.kinds.push_back(entity.kinds);
    index.onMidline.push_back(onMidline);
    Entry& entry = entries_.at(openEntries_ - 1);
    grow(entry.box, pointBox(position));
    entry.kinds |= entity.kinds;
}

QuadKinds QuadLayoutWriter::kindsOf(const Actor& actor) const {
    return kindsOf_.call == nullptr ? kQuadAnyKind : kindsOf_.call(kindsOf_.context, actor);
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
    Partition(QuadTreeLayout& layout, QuadKindsOf kindsOf)
        : layout_(layout), writer_(layout, kindsOf) {}

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
            const Placed placed = writer_.place(actor, actor->getPosition2D());
            inside[in] = placed;
            apart[out] = placed;
            const bool isInside = world.surrounds(placed.position.x, placed.position.y);
            in += static_cast<std::size_t>(isInside);
            out += static_cast<std::size_t>(!isInside);
        }
        for (std::size_t i = 0; i < out; ++i) {
            writer_.outside(apart[i]);
        }
        divide(world, 0, inside, apart, in, nullptr);
        writer_.finish();
    }

private:
    // A node's entities go to its quadrants. bounds, where known, is their box (the rectangle
    // that just holds them, borders included): when it lies strictly inside one quadrant they
    // all go there, and no pass over them is needed.
    void divide(const QuadRect& r, int depth, Placed* from, Placed* to, std::size_t count,
                const QuadRect* bounds) {
        if (!quadTreeDivides(r, depth, count)) {
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
        QuadRect b = pointBox(from[0].position);
        for (std::size_t i = 1; i < count; ++i) {
            grow(b, pointBox(from[i].position));
        }
        return b;
    }

    // Finds each entity's bucket, kept for the scatter, and the buckets' sizes. The sizes are
    // summed as fields of 12 bits in one word (a node holds at most 1024 entities): no count
    // waits on the one before it through memory.
    PerBucket sort(const Placed* from, std::size_t count, double midX, double midY) {
        constexpr unsigned kField = 12;
        static_assert(kEntityTableSize < (std::size_t{1} << kField),
                      "a bucket's size fits its field");
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
        writer_.open(r, depth, nullptr, count);
        const std::array<QuadRect, 4> quadrants = r.quadrants();
        for (std::size_t q = 0; q < quadrants.size(); ++q) {
            if (q == occupied) {
                divide(quadrants[q], depth + 1, from, to, count, &bounds);
            } else {
                leaf(quadrants[q], depth + 1, from, 0);
            }
        }
        writer_.close();
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
        writer_.open(r, depth, nullptr, count);
        for (std::size_t i = starts[kOnMidline]; i < count; ++i) {
            writer_.midline(to[i]);
        }
        const std::array<QuadRect, 4> quadrants = r.quadrants();
        for (std::size_t q = 0; q < quadrants.size(); ++q) {
            // The parent's half is free once scattered: the quadrant divides back into it.
            divide(quadrants[q], depth + 1, to + starts[q], from + starts[q], sizes[q], nullptr);
        }
        writer_.close();
    }

    void leaf(const QuadRect& r, int depth, const Placed* from, std::size_t count) {
        writer_.leaf(r, depth, nullptr);
        for (std::size_t i = 0; i < count; ++i) {
            writer_.inLeaf(from[i]);
        }
    }

    QuadTreeLayout& layout_;
    QuadLayoutWriter writer_;
    // Each entity's bucket, from sort to scatter; a node's quadrants are divided only after it
    // has scattered, so one array serves every node.
    std::array<unsigned char, kEntityTableSize> buckets_{};
};

} // namespace

// By value: the world may be one of the layout's own rectangles, which the build empties.
// cppcheck-suppress passedByValue
void partitionQuadTree(QuadRect world, Actor* const* table, QuadTreeLayout& layout,
                       QuadKindsOf kindsOf) {
    // The writer empties the layout, world included where it is one of its rectangles: the
    // world is a copy.
    Partition(layout, kindsOf).run(world, table);
}
