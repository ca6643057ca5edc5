// Walks a quad tree built over a table and checks what must hold of every build.
#pragma once

#include "actor.h"
#include "baseentity.h"
#include "cell2d.h"
#include "quadnode.h"

#include <cstddef>
#include <string>
#include <vector>

struct TreeCheck {
    std::string problem; ///< empty when every invariant holds
    int nodes = 0;
    int depth = 0; ///< of the deepest node; the root is 0
};

namespace quadtree_check {

struct Rect {
    double minX, maxX, minY, maxY;
    bool holds(const Actor* a) const {
        const Vec2 p = a->getPosition2D();
        return minX < p.x && p.x < maxX && minY < p.y && p.y < maxY;
    }
};

inline std::vector<Actor*> inside(const Rect& r, Actor** table) {
    std::vector<Actor*> found;
    for (std::size_t i = 0; table != nullptr && i < kEntityTableSize; ++i) {
        if (table[i] != nullptr && r.holds(table[i])) {
            found.push_back(table[i]);
        }
    }
    return found;
}

inline const Cell2d* storedCell(const QuadNode* n) {
    const Cell2d* cells[] = {n->swCell, n->nwCell, n->seCell, n->neCell};
    const Cell2d* result = nullptr;
    for (const Cell2d* c : cells) {
        if (c != nullptr) {
            result = c;
        }
    }
    return result;
}

inline void visit(const QuadNode* node, const Rect& r, Actor** table, int depth, TreeCheck& out) {
    ++out.nodes;
    out.depth = depth > out.depth ? depth : out.depth;
    if (!out.problem.empty()) {
        return;
    }
    const std::vector<Actor*> found = inside(r, table);
    const Cell2d* cell = storedCell(node);
    const std::string where = " at depth " + std::to_string(depth);
    if (depth > kQuadTreeMaxDepth) {
        out.problem = "node deeper than the bound" + where;
        return;
    }
    if (!node->children.empty()) {
        if (node->children.size() != 4 || cell != nullptr) {
            out.problem = "a divided node must have four children and no cell" + where;
            return;
        }
        if (found.size() < static_cast<std::size_t>(kQuadTreeDivideAt)) {
            out.problem = "divided with fewer than five entities" + where;
            return;
        }
        const double midX = r.minX + (r.maxX - r.minX) / 2;
        const double midY = r.minY + (r.maxY - r.minY) / 2;
        const Rect quadrants[] = {{r.minX, midX, r.minY, midY},
                                  {r.minX, midX, midY, r.maxY},
                                  {midX, r.maxX, r.minY, midY},
                                  {midX, r.maxX, midY, r.maxY}};
        // Every entity off both midlines lies in exactly one quadrant.
        for (const Actor* a : found) {
            const Vec2 p = a->getPosition2D();
            int owners = 0;
            for (const Rect& q : quadrants) {
                owners += q.holds(a) ? 1 : 0;
            }
            const bool onMidline = p.x == midX || p.y == midY;
            if (owners != (onMidline ? 0 : 1)) {
                out.problem = "an entity lies in " + std::to_string(owners) + " quadrants" + where;
                return;
            }
        }
        for (std::size_t i = 0; i < 4; ++i) {
            visit(node->children[i], quadrants[i], table, depth + 1, out);
        }
        return;
    }
    if (found.size() >= static_cast<std::size_t>(kQuadTreeDivideAt) && depth < kQuadTreeMaxDepth) {
        out.problem = "undivided with five or more entities" + where;
        return;
    }
    if (found.empty() && cell != nullptr) {
        out.problem = "an empty node holds a cell" + where;
        return;
    }
    if (cell == nullptr) {
        return;
    }
    // A stored cell holds the node's entities, the highest table slot first.
    const std::size_t kept = found.size() < 64 ? found.size() : 64;
    if (cell->count != static_cast<std::int32_t>(kept)) {
        out.problem = "the cell's count differs from the entities inside" + where;
        return;
    }
    for (std::size_t i = 0; i < kept; ++i) {
        if (cell->entities[i] != found[found.size() - 1 - i]) {
            out.problem = "the cell's entities are not the ones inside, last first" + where;
            return;
        }
    }
}

} // namespace quadtree_check

/// Checks the tree whose root was built by QuadTreeBuilder over the rectangle and table given.
inline TreeCheck checkQuadTree(const QuadNode* root, double minX, double maxX, double minY,
                               double maxY, Actor** table) {
    TreeCheck result;
    quadtree_check::visit(root, {minX, maxX, minY, maxY}, table, 0, result);
    return result;
}
