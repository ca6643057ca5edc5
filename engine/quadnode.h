/// @file
/// The quad tree over a rectangle of the plane: one node type for inner nodes and leaves, and
/// the recursive builder that partitions the entities of a table.
#pragma once

#include "quadlayout.h"
#include "quadrect.h"

#include <cstddef>
#include <cstdint>
#include <vector>

class Actor;
class Cell2d;

/// Chooses the slot of every setCell, on every node of every tree: south-west, north-west,
/// south-east, north-east for the first four calls of a run, none after that.
extern std::int32_t cellSlotCounter;

/// One node of a quad tree, inner node and leaf alike: a divided node has four children, a
/// leaf one cell in the slot that cellSlotCounter chose, a node with no entity inside neither.
/// North is the half with the larger y, east the half with the larger x.
class QuadNode {
public:
    Cell2d* nwCell = nullptr; ///< The cell stored by a run's second setCell.
    Cell2d* neCell = nullptr; ///< The cell stored by a run's fourth setCell.
    Cell2d* swCell = nullptr; ///< The cell stored by a run's first setCell.
    Cell2d* seCell = nullptr; ///< The cell stored by a run's third setCell.
    /// The quadrants of a divided node in the order they were added, none on a leaf. Not owned.
    std::vector<QuadNode*> children;

    /// Prints the construction trace.
    QuadNode();
    /// Owns neither its cells nor its children: releases nothing below it.
    virtual ~QuadNode() = default;

    /// Not copyable: a copy would share the subtree, which releaseQuadTree would then free twice.
    QuadNode(const QuadNode&) = delete;
    QuadNode& operator=(const QuadNode&) = delete;

    /// Stores the cell in the slot cellSlotCounter chooses, then advances the counter.
    /// Returns false when the counter has passed the four slots and the node is unchanged.
    bool setCell(Cell2d* cell);
    /// Appends a child; the builder adds the quadrants south-west, north-west, south-east,
    /// north-east.
    void addChild(QuadNode* child) { children.push_back(child); }
};

/// Builds the tree over (minX, maxX) x (minY, maxY) for the actors of a 1024-slot table (null
/// slots skipped; a null table counts as empty) and returns its root, which the caller owns.
/// Prints one construction trace and one "\nFinished a quad tree iteration." per node.
/// A rectangle whose midlines do not lie strictly inside it (an infinite bound makes them NaN
/// or infinite) is not divided: it becomes a leaf as at the depth bound.
QuadNode* QuadTreeBuilder(double minX, double maxX, double minY, double maxY, Actor** table);

/// The same build, printing the same trace, that also fills the layout (emptied first), node
/// pointers included. Its vectors keep their capacity, so a game that builds into one layout
/// every frame soon allocates nothing more for it; partitionQuadTree fills the same layout
/// without the tree, its trace or its rescans of the table.
QuadNode* QuadTreeBuilder(double minX, double maxX, double minY, double maxY, Actor** table,
                          QuadTreeLayout& layout);

/// Releases a whole tree: every node and stored cell below the root, and the root. Null is
/// accepted. Prints nothing.
void releaseQuadTree(QuadNode* root);
