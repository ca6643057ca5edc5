/// @file
/// Verifies a built quad tree against the table it was built from, the way a debug build
/// validates its spatial structures: for tests and the fuzzer, never on the engine's own path.
#pragma once

#include <string>

class Actor;
class QuadNode;

/// What checkQuadTree found in one tree.
struct QuadTreeCheck {
    std::string problem; ///< The first invariant found broken; empty when all hold.
    int nodes = 0;       ///< Nodes visited, up to the first broken invariant.
    int depth = 0;       ///< Depth of the deepest node visited; the root is 0.
};

/// Rebuilds each node's rectangle by halving, as the builder does, and checks: depth within
/// the bound; a divided node has four children, no cell and five or more entities; every
/// entity off both midlines of a divided node lies in exactly one quadrant; an undivided
/// node holds fewer than five entities unless at the bound or its midlines do not lie strictly
/// inside it; a stored cell holds exactly the node's entities, highest table slot first.
QuadTreeCheck checkQuadTree(const QuadNode* root, double minX, double maxX, double minY,
                            double maxY, Actor** table);
