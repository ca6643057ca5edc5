// Quad-tree nodes, the recursive builder and the release of a whole tree.
#include "quadnode.h"

#include "actor.h"
#include "baseentity.h"
#include "cell2d.h"
#include "trace.h"
#include "vectors.h"

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

// A comparison as a number, so that the four sides of the inside test combine without a branch.
unsigned below(double a, double b) {
    return a < b ? 1U : 0U;
}

// Appends the actors strictly inside the rectangle to found, in table order, and returns how
// many there are. Strict on all four sides, so a border, a midline or a NaN coordinate is never
// inside. Each actor is written at the end of the list and kept by counting it, without a
// branch on the test, which for evenly spread entities would be a coin toss (BENCHMARKS.md).
std::size_t collectInside(const QuadRect& r, Actor* const* table, Actor** found) {
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

void fillLeaf(QuadNode* node, const QuadRect& r, Actor* const* found, std::size_t count) {
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

// What every node of one build shares. found is the build's one collection list: a node's
// list is dead once it has decided to divide, so its children fill the same one, and a build's
// stack stays small at any depth.
struct Build {
    Actor** table;
    Actor** found;
    QuadLayoutWriter* writer;
};

// Records a divided node and the entities it found on its midlines, which none of its
// quadrants will find, in cell order.
void readDivided(QuadLayoutWriter& writer, const QuadRect& r, int depth, const QuadNode* node,
                 Actor* const* found, std::size_t count) {
    writer.open(r, depth, node, count);
    const double x = r.midX();
    const double y = r.midY();
    for (std::size_t i = count; i > 0; --i) {
        const Vec2 p = found[i - 1]->getPosition2D();
        if (p.x == x || p.y == y) {
            writer.midline(writer.place(found[i - 1], p));
        }
    }
}

void readLeaf(QuadLayoutWriter& writer, const QuadRect& r, int depth, const QuadNode* node,
              Actor* const* found, std::size_t count) {
    writer.leaf(r, depth, node);
    // In cell order: the entity of the highest table slot first.
    for (std::size_t i = count; i > 0; --i) {
        writer.inLeaf(writer.place(found[i - 1], found[i - 1]->getPosition2D()));
    }
}

// The actors strictly inside no node: on or outside the root's border, or at NaN.
void readOutside(QuadLayoutWriter& writer, const QuadRect& r, Actor* const* table) {
    for (std::size_t slot = kEntityTableSize; slot > 0; --slot) {
        Actor* const actor = table[slot - 1];
        if (actor == nullptr) {
            continue;
        }
        const Vec2 p = actor->getPosition2D();
        if (!r.surrounds(p.x, p.y)) {
            writer.outside(writer.place(actor, p));
        }
    }
}

QuadNode* build(const QuadRect& r, const Build& b, int depth) {
    auto* node = new QuadNode();
    const std::size_t found = b.table == nullptr ? 0 : collectInside(r, b.table, b.found);
    // A rectangle whose midlines do not lie strictly inside would lose its entities to its
    // quadrants; it becomes a leaf, as at the depth bound.
    if (quadTreeDivides(r, depth, found)) {
        if (b.writer != nullptr) {
            readDivided(*b.writer, r, depth, node, b.found, found);
        }
        node->children.reserve(4);
        for (const QuadRect& quadrant : r.quadrants()) {
            node->addChild(build(quadrant, b, depth + 1));
        }
        if (b.writer != nullptr) {
            b.writer->close();
        }
    } else {
        if (found > 0) {
            fillLeaf(node, r, b.found, found);
        }
        if (b.writer != nullptr) {
            readLeaf(*b.writer, r, depth, node, b.found, found);
        }
    }
    TraceText().text("\nFinished a quad tree iteration.").print();
    return node;
}

QuadNode* buildTree(const QuadRect& r, Actor** table, QuadLayoutWriter* writer) {
    std::vector<Actor*> found(kEntityTableSize);
    return build(r, {table, found.data(), writer}, 0);
}

} // namespace

QuadNode* QuadTreeBuilder(double minX, double maxX, double minY, double maxY, Actor** table) {
    return buildTree({minX, maxX, minY, maxY}, table, nullptr);
}

QuadNode* QuadTreeBuilder(double minX, double maxX, double minY, double maxY, Actor** table,
                          QuadTreeLayout& layout) {
    QuadLayoutWriter writer(layout, {});
    QuadNode* root = buildTree({minX, maxX, minY, maxY}, table, &writer);
    if (table != nullptr) {
        readOutside(writer, {minX, maxX, minY, maxY}, table);
    }
    writer.finish();
    return root;
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
