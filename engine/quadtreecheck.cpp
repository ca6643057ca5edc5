// Quad-tree invariant walk.
#include "quadtreecheck.h"

#include "actor.h"
#include "baseentity.h"
#include "cell2d.h"
#include "quadnode.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <vector>

namespace {

// Halving as the builder must: min + (max - min) / 2, or from both bounds where that width
// overflows although the bounds are finite.
double half(double min, double max) {
    const double width = max - min;
    const bool overflows = std::isinf(width) && std::isfinite(min) && std::isfinite(max);
    return overflows ? min * 0.5 + max * 0.5 : min + width / 2;
}

struct Rect {
    double minX, maxX, minY, maxY;
    bool holds(const Actor* a) const {
        const Vec2 p = a->getPosition2D();
        return minX < p.x && p.x < maxX && minY < p.y && p.y < maxY;
    }
};

std::vector<Actor*> inside(const Rect& r, Actor** table) {
    std::vector<Actor*> found;
    for (std::size_t i = 0; table != nullptr && i < kEntityTableSize; ++i) {
        if (table[i] != nullptr && r.holds(table[i])) {
            found.push_back(table[i]);
        }
    }
    return found;
}

// A node made by the builder holds at most one cell, in whichever slot the counter chose.
const Cell2d* storedCell(const QuadNode* n) {
    for (const Cell2d* c : {n->swCell, n->nwCell, n->seCell, n->neCell}) {
        if (c != nullptr) {
            return c;
        }
    }
    return nullptr;
}

std::string cellProblem(const Cell2d* cell, const std::vector<Actor*>& found) {
    const std::size_t kept = std::min(found.size(), static_cast<std::size_t>(Cell2d::kCapacity));
    if (cell->count != static_cast<std::int32_t>(kept)) {
        return "a cell's count differs from the entities inside";
    }
    for (std::size_t i = 0; i < kept; ++i) {
        if (cell->entities[i] != found[found.size() - 1 - i]) {
            return "a cell does not hold the entities inside, last first";
        }
    }
    return "";
}

std::string quadrantProblem(const Rect (&quadrants)[4], const std::vector<Actor*>& found,
                            double midX, double midY) {
    for (const Actor* a : found) {
        const Vec2 p = a->getPosition2D();
        int owners = 0;
        for (const Rect& q : quadrants) {
            owners += q.holds(a) ? 1 : 0;
        }
        if (owners != ((p.x == midX || p.y == midY) ? 0 : 1)) {
            return "an entity lies in " + std::to_string(owners) + " quadrants";
        }
    }
    return "";
}

std::string nodeProblem(const QuadNode* node, const Rect& r, Actor** table, int depth,
                        QuadTreeCheck& out);

std::string dividedProblem(const QuadNode* node, const Rect& r, Actor** table, int depth,
                           QuadTreeCheck& out, const std::vector<Actor*>& found) {
    if (node->children.size() != 4 || storedCell(node) != nullptr) {
        return "a divided node needs four children and no cell";
    }
    if (found.size() < static_cast<std::size_t>(kQuadTreeDivideAt)) {
        return "a node divided with fewer than five entities";
    }
    const double midX = half(r.minX, r.maxX);
    const double midY = half(r.minY, r.maxY);
    const Rect quadrants[4] = {{r.minX, midX, r.minY, midY},
                               {r.minX, midX, midY, r.maxY},
                               {midX, r.maxX, r.minY, midY},
                               {midX, r.maxX, midY, r.maxY}};
    std::string problem = quadrantProblem(quadrants, found, midX, midY);
    for (std::size_t i = 0; i < 4 && problem.empty(); ++i) {
        problem = nodeProblem(node->children[i], quadrants[i], table, depth + 1, out);
    }
    return problem;
}

std::string nodeProblem(const QuadNode* node, const Rect& r, Actor** table, int depth,
                        QuadTreeCheck& out) {
    ++out.nodes;
    out.depth = depth > out.depth ? depth : out.depth;
    if (depth > kQuadTreeMaxDepth) {
        return "a node deeper than the bound";
    }
    const std::vector<Actor*> found = inside(r, table);
    if (!node->children.empty()) {
        return dividedProblem(node, r, table, depth, out, found);
    }
    const double midX = half(r.minX, r.maxX);
    const double midY = half(r.minY, r.maxY);
    const bool halvable = r.minX < midX && midX < r.maxX && r.minY < midY && midY < r.maxY;
    if (found.size() >= static_cast<std::size_t>(kQuadTreeDivideAt) && depth < kQuadTreeMaxDepth &&
        halvable) {
        return "an undivided node with five or more entities";
    }
    const Cell2d* cell = storedCell(node);
    if (cell == nullptr) {
        return "";
    }
    return found.empty() ? "an empty node holds a cell" : cellProblem(cell, found);
}

} // namespace

QuadTreeCheck checkQuadTree(const QuadNode* root, double minX, double maxX, double minY,
                            double maxY, Actor** table) {
    QuadTreeCheck result;
    if (root != nullptr) {
        const std::string problem = nodeProblem(root, {minX, maxX, minY, maxY}, table, 0, result);
        result.problem =
            problem.empty() ? "" : problem + " (node " + std::to_string(result.nodes) + ")";
    }
    return result;
}
