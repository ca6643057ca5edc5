/// @file
/// A built quad tree read out as plain arrays, and the partition a game builds into them every
/// frame: the same tree as QuadTreeBuilder's, each node working on its parent's entities alone.
#pragma once

#include "quadrect.h"
#include "vectors.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <type_traits>
#include <vector>

class Actor;
class QuadNode;

/// A leaf of a built tree, an undivided node: with entities inside, or none.
struct QuadLeaf {
    QuadRect rect; ///< The leaf's rectangle, as the builder halved it.
    int depth = 0; ///< The root is depth 0.
    /// The leaf's node, valid until the tree is released; null from partitionQuadTree.
    const QuadNode* node = nullptr;
    /// Its entities are QuadTreeLayout::entities[first] to [first + count - 1].
    std::size_t first = 0;
    std::size_t count = 0; ///< Entities strictly inside; its cell holds at most 64 of them.
};

/// A divided node of a built tree.
struct QuadDivided {
    QuadRect rect; ///< The node's rectangle; its quadrants are its children's.
    int depth = 0; ///< The root is depth 0.
    /// Valid until the tree is released; null from partitionQuadTree.
    const QuadNode* node = nullptr;
    /// The leaves below it are QuadTreeLayout::leaves[firstLeaf] to [firstLeaf + leafCount - 1].
    std::size_t firstLeaf = 0;
    std::size_t leafCount = 0; ///< At least four: every divided node has four quadrants.
    /// Its entities on a midline are QuadTreeLayout::midline[first] to [first + count - 1].
    std::size_t first = 0;
    std::size_t count = 0; ///< Entities strictly inside it but inside none of its quadrants.
    /// It and the divided nodes below it are QuadTreeLayout::divided[i] to
    /// [i + dividedCount - 1], i being its own index.
    std::size_t dividedCount = 0;
};

/// The kinds of an entity, or those a query asks for, as a set of up to 32 bits a game names
/// (prey 1, predator 2, ...). kQuadAnyKind asks for every entity, of whatever kinds.
using QuadKinds = std::uint32_t;
/// Every kind: what an entity is when its build was given no kinds, and a query that filters
/// on no kind.
constexpr QuadKinds kQuadAnyKind = ~QuadKinds{0};

/// What a build asks each actor's kinds of: call(context, actor) returns its QuadKinds. The
/// build reads it once per actor, so that no query need read an actor.
struct QuadKindsOf {
    const void* context = nullptr; ///< Handed back to call untouched.
    /// Returns the actor's kinds; null makes every actor of every kind (kQuadAnyKind).
    QuadKinds (*call)(const void* context, const Actor& actor) = nullptr;
};

/// A box that holds nothing: min above max, so that no region meets it.
constexpr QuadRect kQuadNoBox{
    std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(),
    std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity()};

/// One node of a layout's query index: a divided node, with what a query asks of each of its
/// quadrants at hand, so that it decides which to enter without reading them.
struct QuadIndexNode {
    /// Its own entities, the index's [ownFirst, ownEnd): those on its midlines.
    std::uint32_t ownFirst = 0;
    std::uint32_t ownEnd = 0; ///< One past its own entities.
    /// Each quadrant's box (south-west to north-east), the one that just holds its entities,
    /// borders included (their NaN coordinates left out); kQuadNoBox where none has a coordinate.
    std::array<QuadRect, 4> box{kQuadNoBox, kQuadNoBox, kQuadNoBox, kQuadNoBox};
    std::array<std::uint32_t, 4> first{}; ///< Each quadrant's entities: the index's [first, end).
    std::array<std::uint32_t, 4> end{};   ///< One past each quadrant's entities.
    std::array<QuadKinds, 4> kinds{};     ///< Every kind of each quadrant's entities, joined.
    /// Each quadrant's node, or -1 where its entities are read whole: a leaf, a subtree of at
    /// most kQuadIndexScanned entities, or no entity.
    std::array<std::int32_t, 4> quadrant{-1, -1, -1, -1};
};

/// A subtree with at most this many entities is read whole, its leaves' entities before its
/// midline entities: the order in which the queries hand them over.
constexpr std::uint32_t kQuadIndexBucket = 16;
/// A subtree with at most this many entities is read whole, in the order of its nodes: testing
/// them all costs less than deciding, node by node, which of them to test.
constexpr std::uint32_t kQuadIndexScanned = 24;

/// What the queries read: the entities packed so that each subtree's stand together (a divided
/// node's midline entities, then each quadrant's; a subtree of at most kQuadIndexBucket
/// entities its leaves' entities, then its midline entities), and a node for each divided node
/// of more than kQuadIndexScanned entities. A node with no entity of its own and one quadrant
/// holding entities is linked past. The entities outside every node come last.
struct QuadIndex {
    /// nodes[0] holds the whole tree as its first quadrant, so that a query starts there as at
    /// any node; the tree's nodes follow, parents before their children.
    std::vector<QuadIndexNode> nodes;
    std::uint32_t outside = 0;      ///< The outside entities are [outside, positions.size()).
    std::vector<Vec2> positions;    ///< Where each entity stood at the build.
    std::vector<Actor*> actors;     ///< The actor, handed back, never read.
    std::vector<std::uint32_t> ids; ///< Its identifier, read at the build.
    std::vector<QuadKinds> kinds;   ///< Its kinds, read at the build.
    /// The build's working storage: 1 for an entity written on a midline, read to order a small
    /// subtree; what it holds after a build means nothing.
    std::vector<unsigned char> onMidline;
    /// The build's working storage: the outside entities' identifiers and kinds, until they
    /// join the index after the tree's.
    std::vector<std::uint32_t> outsideIds;
    std::vector<QuadKinds> outsideKinds; ///< The build's working storage, as outsideIds.

    /// Empties every list; each keeps its capacity.
    void clear();
};

/// What a build tells of the tree it made, read only: a game reads it, and only the builds
/// write it. Every non-null slot of the table is in exactly one of entities, midline and
/// outside, with its position as the build read it. Each list is in cell order: the entity of
/// the highest table slot first.
struct QuadTreeLayout {
    /// Every leaf, empty ones included, in the order the builder made them (depth first,
    /// quadrants south-west, north-west, south-east, north-east).
    std::vector<QuadLeaf> leaves;
    /// Every divided node, parents before their children, in the same order.
    std::vector<QuadDivided> divided;
    /// The leaves' entities, leaf after leaf. An entity on a midline of a divided node is in no
    /// leaf.
    std::vector<Actor*> entities;
    std::vector<Vec2> positions; ///< positions[i] is where entities[i] stood.
    /// The entities on a midline of a divided node (on both of its midlines, or on one and
    /// strictly inside the node), divided node after divided node.
    std::vector<Actor*> midline;
    std::vector<Vec2> midlinePositions; ///< midlinePositions[i] is where midline[i] stood.
    /// The entities in no node: on or outside the border of the built rectangle, or with a NaN
    /// coordinate.
    std::vector<Actor*> outside;
    std::vector<Vec2> outsidePositions; ///< outsidePositions[i] is where outside[i] stood.
    /// What the queries read, written with the lists above: the entities' positions, identifiers
    /// and kinds, so that no query reads an actor.
    QuadIndex index;

    /// An entity with its position, as partitionQuadTree carries it from node to node.
    struct Placed {
        Actor* actor;     ///< The table's actor.
        Vec2 position;    ///< Its position, read once.
        std::uint32_t id; ///< Its identifier, read with the position.
        QuadKinds kinds;  ///< Its kinds, asked with the position.
    };
    /// partitionQuadTree's working storage, kept with the layout so that a build into the same
    /// layout allocates nothing once it has grown. What it holds after a build means nothing.
    std::vector<Placed> work;

    /// Empties every list; each keeps its capacity.
    void clear();
};

namespace quadlayout_detail {

/// A quadrant of an index node being written: its own node, or -1 where it is read whole.
struct Entry {
    std::int32_t parent = 0; ///< The index node whose quadrant it is.
    std::size_t slot = 0;    ///< Which of its quadrants.
    std::int32_t node = -1;
    std::uint32_t first = 0;
    QuadRect box = kQuadNoBox;
    QuadKinds kinds = 0;
    std::size_t quadrantsSeen = 0; ///< Of its node.
};

} // namespace quadlayout_detail

/// The one writer of a layout, which both builds use: it records each node in the order the
/// builder makes them, and the query index with it. Between begin and finish, a node's calls
/// come in the builder's order: open, its midline entities, its quadrants, close; or leaf and
/// its entities. The outside entities may come at any time.
class QuadLayoutWriter {
public:
    /// Empties the layout and starts writing into it; kindsOf gives each actor's kinds.
    QuadLayoutWriter(QuadTreeLayout& layout, QuadKindsOf kindsOf);

    /// Records a divided node with count entities strictly inside; its midline entities
    /// follow, then its quadrants.
    void open(const QuadRect& r, int depth, const QuadNode* node, std::size_t count);
    /// The actor at the position, with what the index keeps of it, read once.
    QuadTreeLayout::Placed place(Actor* actor, Vec2 position) const;
    /// Adds an entity on a midline of the last divided node opened.
    void midline(const QuadTreeLayout::Placed& entity);
    /// Ends the last divided node opened, once its four quadrants are written.
    void close();
    /// Records a leaf; its entities follow, each by inLeaf.
    void leaf(const QuadRect& r, int depth, const QuadNode* node);
    /// Adds an entity to the last leaf recorded.
    void inLeaf(const QuadTreeLayout::Placed& entity);
    /// Adds an entity that lies in no node.
    void outside(const QuadTreeLayout::Placed& entity);
    /// Ends the layout: the outside entities join the index.
    void finish();

private:
    // What is open at once: a divided node at each depth above the bound, and a leaf's entry
    // below the deepest.
    static constexpr std::size_t kMaxOpen = static_cast<std::size_t>(kQuadTreeMaxDepth) + 1;

    void endLeaf();
    void openEntry(bool withNode);
    void closeEntry();
    void readWhole(std::uint32_t first, std::uint32_t end);
    std::int32_t linkTo(const quadlayout_detail::Entry& entry) const;
    void add(const QuadTreeLayout::Placed& entity, unsigned char onMidline);
    QuadKinds kindsOf(const Actor& actor) const;

    QuadTreeLayout& layout_;
    QuadKindsOf kindsOf_;
    bool leafOpen_ = false;
    // A divided node of at most kQuadIndexScanned entities is one entry read whole: the nodes
    // below it make none, and their entities join it.
    bool inBucket_ = false;
    std::size_t bucketLevel_ = 0;
    std::size_t openDivided_ = 0; // divided nodes open
    std::array<std::size_t, kMaxOpen> divided_{};
    std::size_t openEntries_ = 0;
    std::array<quadlayout_detail::Entry, kMaxOpen> entries_{};
};

/// Fills the layout (emptied first; its vectors keep their capacity) with the tree that
/// QuadTreeBuilder would build over the rectangle from the table's actors (null slots skipped,
/// a null table counted as empty): the same leaves and divided nodes in the same order, with
/// the same rectangles, depths and entities, each node's node pointer null. Makes no node and
/// no cell, prints nothing and leaves cellSlotCounter alone: the table is read once, each
/// actor's position with it, and every node after the root divides only its parent's entities.
/// The world is taken by value, so it may be a rectangle of the layout being filled. kindsOf
/// gives each actor's kinds, which the queries' filters ask for.
void partitionQuadTree(QuadRect world, Actor* const* table, QuadTreeLayout& layout,
                       QuadKindsOf kindsOf = {});

namespace quadlayout_detail {

/// Calls a callable taking (const Actor&) and returning the actor's kinds.
template <class KindsOf> QuadKinds call(const void* context, const Actor& actor) {
    return static_cast<QuadKinds>((*static_cast<const KindsOf*>(context))(actor));
}

} // namespace quadlayout_detail

/// partitionQuadTree with any callable taking (const Actor&) and returning its kinds, called once
/// per actor during the build.
template <class KindsOf,
          class = std::enable_if_t<!std::is_same_v<std::decay_t<KindsOf>, QuadKindsOf>>>
// cppcheck-suppress passedByValue
void partitionQuadTree(QuadRect world, Actor* const* table, QuadTreeLayout& layout,
                       const KindsOf& kindsOf) {
    if constexpr (std::is_function_v<KindsOf>) {
        KindsOf* const function = &kindsOf;
        partitionQuadTree(world, table, layout,
                          QuadKindsOf{&function, &quadlayout_detail::call<KindsOf*>});
    } else {
        partitionQuadTree(world, table, layout,
                          QuadKindsOf{&kindsOf, &quadlayout_detail::call<KindsOf>});
    }
}
