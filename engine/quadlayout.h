/// @file
/// A built quad tree read out as plain arrays, and the partition a game builds into them every
/// frame: the same tree as QuadTreeBuilder's, each node working on its parent's entities alone.
#pragma once

#include "quadrect.h"
#include "vectors.h"

#include <cstddef>
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
    /// The leaves below it are QuadTreeLayout::leaves[firstLeaf] to [firstLeaf + leafCount - 1];
    /// it and the divided nodes below it are the leafCount / 3 from it in QuadTreeLayout::divided.
    std::size_t firstLeaf = 0;
    std::size_t leafCount = 0; ///< At least four: every divided node has four quadrants.
    /// Its entities on a midline are QuadTreeLayout::midline[first] to [first + count - 1].
    std::size_t first = 0;
    std::size_t count = 0; ///< Entities strictly inside it but inside none of its quadrants.
};

/// What a build tells of the tree it made. Every non-null slot of the table is in exactly one of
/// entities, midline and outside, with its position as the build read it. Each list is in cell
/// order: the entity of the highest table slot first.
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

    /// An entity with its position, as partitionQuadTree carries it from node to node.
    struct Placed {
        Actor* actor;  ///< The table's actor.
        Vec2 position; ///< Its position, read once.
    };
    /// partitionQuadTree's working storage, kept with the layout so that a build into the same
    /// layout allocates nothing once it has grown. What it holds after a build means nothing.
    std::vector<Placed> work;

    /// Empties every list; each keeps its capacity.
    void clear();
};

/// Fills the layout (emptied first; its vectors keep their capacity) with the tree that
/// QuadTreeBuilder would build over the rectangle from the table's actors (null slots skipped,
/// a null table counted as empty): the same leaves and divided nodes in the same order, with
/// the same rectangles, depths and entities, each node's node pointer null. Makes no node and
/// no cell, prints nothing and leaves cellSlotCounter alone: the table is read once, each
/// actor's position with it, and every node after the root divides only its parent's entities.
void partitionQuadTree(const QuadRect& world, Actor* const* table, QuadTreeLayout& layout);
