// Quad-tree nodes, the recursive builder and the release of a whole tree.
#include "quadnode.h"

#include "actor.h"
#include "baseentity.h"
#include "cell2d.h"
#include "trace.h"
#include "vectors.h"

#include <cmath>
#include <cstddef>
#include <limits>

std::int32_t cellSlotCounter = 0;

QuadNode::QuadNode() {
    traceConstruction(this);
}

bool QuadNode::setCell(Cell2d* cell) {
    Cell2d** const slots[] = {&swCell, &nwCell, &seCell, &neCell};
    const std::int32_t chosen = cellSlotCounter;
    // Held at the largest value rather than wrapped: a wrap would reopen the four slots.
    if (cellSlotCounter < std::numeric_limits<std::int32_t>::max()) {
        ++cellSlotCounter;
    }
    if (chosen < 0 || chosen >= 4) {
        return false;
    }
    *slots[chosen] = cell;
    return true;
}

namespace {

struct Rect {
    double minX;
    double maxX;
    double minY;
    double maxY;
};

// The system's midpoint, min + (max - min) / 2, wherever the width is finite; a width that
// overflows (finite bounds more than the largest double apart) is halved from both bounds
// instead, so the midline still falls strictly inside and no entity is lost below the node.
double midpoint(double min, double max) {
    const double width = max - min;
    if (std::isinf(width) && std::isfinite(min) && std::isfinite(max)) {
        return min / 2 + max / 2;
    }
    return min + width / 2;
}

// A comparison as a number, so that the four sides of the inside test combine without a branch.
unsigned below(double a, double b) {
    return a < b ? 1U : 0U;
}

// Appends the actors strictly inside the rectangle to found, in table order, and returns how
// many there are. Strict on all four sides, so a border, a midline or a NaN coordinate is never
// inside. Each actor is written at the end of the list and kept by counting it, without a
// branch on the test: for evenly spread entities a single side is a coin toss that a branch
// would mispredict, and a loop that branched on it took up to half as long again in some
// placements of its code.
std::size_t collectInside(const Rect& r, Actor* const* table, Actor** found) {
    const double minX = r.minX;
    const double maxX = r.maxX;
    const double minY = r.minY;
    const double maxY = r.maxY;
    std::size_t count = 0;
    for (std::size_t slot = 0; slot < kEntityTableSize; ++slot) {
        Actor* const actor = table[slot];
        if (actor == nullptr) {
            continue;
        }
        const Vec2 p = actor->getPosition2D();
        found[count] = actor;
        count += below(minX, p.x) & below(p.x, maxX) & below(minY, p.y) & below(p.y, maxY);
    }
    return count;
}

void fillLeaf(QuadNode* node, const Rect& r, Actor* const* found, std::size_t count) {
    auto* cell = new Cell2d(r.minX, r.minY, r.maxX, r.maxY);
    const bool stored = node->setCell(cell);
    // Last found first, so slot 0 holds the entity of the highest table slot.
    for (std::size_t i = count; i > 0; --i) {
        cell->add(found[i - 1]);
    }
    if (!stored) {
        delete cell;
    }
}

// v is the build's one collection list: a node's list is dead once it has decided to divide,
// so its children fill the same one, and a build's stack stays small at any depth.
QuadNode* build(const Rect& r, Actor** table, int depth, Actor** v) {
    auto* node = new QuadNode();
    const double midX = midpoint(r.minX, r.maxX);
    const double midY = midpoint(r.minY, r.maxY);

    const std::size_t found = table == nullptr ? 0 : collectInside(r, table, v);

    // An infinite bound puts a midline at NaN or infinity, where the quadrants would lose the
    // entities inside; such a rectangle is not divided.
    const bool halvable = r.minX < midX && midX < r.maxX && r.minY < midY && midY < r.maxY;
    if (found >= kQuadTreeDivideAt && depth < kQuadTreeMaxDepth && halvable) {
        node->children.reserve(4);
        node->addChild(build({r.minX, midX, r.minY, midY}, table, depth + 1, v));
        node->addChild(build({r.minX, midX, midY, r.maxY}, table, depth + 1, v));
        node->addChild(build({midX, r.maxX, r.minY, midY}, table, depth + 1, v));
        node->addChild(build({midX, r.maxX, midY, r.maxY}, table, depth + 1, v));
    } else if (found > 0) {
        fillLeaf(node, r, v, found);
    }
    TraceText().text("\nFinished a quad tree iteration.").print();
    return node;
}

} // namespace

QuadNode* QuadTreeBuilder(double minX, double maxX, double minY, double maxY, Actor** table) {
    std::vector<Actor*> v(kEntityTableSize);
    return build({minX, maxX, minY, maxY}, table, 0, v.data());
}

void releaseQuadTree(QuadNode* root) {
    std::vector<QuadNode*> pending;
    if (root != nullptr) {
        pending.push_back(root);
    }
    while (!pending.empty()) {
        QuadNode* node = pending.back();
        pending.pop_back();
        pending.insert(pending.end(), node->children.begin(), node->children.end());
        delete node->swCell;
        delete node->nwCell;
        delete node->seCell;
        delete node->neCell;
        delete node;
    }
}
