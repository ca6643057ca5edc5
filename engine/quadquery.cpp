// Queries over a built layout: a walk through its nodes in their order that passes over the
// whole subtree of every node the query cannot reach, then the entities that lie in no node.
#include "quadquery.h"

#include "actor.h"

#include <array>
#include <cmath>
#include <cstddef>
#include <functional>
#include <limits>
#include <utility>

namespace {

// How many of count entries from first a list of size entries holds: all of them in a layout a
// build made, fewer in one a game changed by hand, which is then read only as far as it goes.
std::size_t held(std::size_t first, std::size_t count, std::size_t size) {
    if (first >= size) {
        return 0;
    }
    return count < size - first ? count : size - first;
}

// A run of entities with their positions: count of them from the start.
struct Run {
    Actor* const* actors;
    const Vec2* positions;
    std::size_t count;
};

// The runs of a layout's lists, as far as each list and its positions agree.
class Lists {
public:
    explicit Lists(const QuadTreeLayout& l)
        : l_(l), entities_(held(0, l.entities.size(), l.positions.size())),
          midline_(held(0, l.midline.size(), l.midlinePositions.size())) {}

    Run of(const QuadLeaf& leaf) const {
        return {l_.entities.data() + leaf.first, l_.positions.data() + leaf.first,
                held(leaf.first, leaf.count, entities_)};
    }
    Run midlineOf(const QuadDivided& node) const {
        return {l_.midline.data() + node.first, l_.midlinePositions.data() + node.first,
                held(node.first, node.count, midline_)};
    }
    // Every entity of the node's leaves, which stand together in the layout.
    Run leavesOf(const QuadDivided& node) const {
        const std::size_t first = node.firstLeaf;
        const std::size_t count = held(first, node.leafCount, l_.leaves.size());
        if (count == 0) {
            return {nullptr, nullptr, 0};
        }
        const QuadLeaf& last = l_.leaves[first + count - 1];
        const std::size_t from = l_.leaves[first].first;
        return {l_.entities.data() + from, l_.positions.data() + from,
                held(from, last.first + last.count - from, entities_)};
    }
    // The midline entities of the node and of every divided node below it, which stand
    // together in the layout: those nodes follow it.
    Run midlinesBelow(const QuadDivided& node) const {
        const auto index = static_cast<std::size_t>(&node - l_.divided.data());
        const std::size_t below = held(index, node.leafCount / 3, l_.divided.size());
        if (below == 0) {
            return {nullptr, nullptr, 0};
        }
        const QuadDivided& last = l_.divided[index + below - 1];
        return {l_.midline.data() + node.first, l_.midlinePositions.data() + node.first,
                held(node.first, last.first + last.count - node.first, midline_)};
    }
    Run outside() const {
        return {l_.outside.data(), l_.outsidePositions.data(),
                held(0, l_.outside.size(), l_.outsidePositions.size())};
    }

private:
    const QuadTreeLayout& l_;
    std::size_t entities_;
    std::size_t midline_;
};

// A subtree holding this many entities or fewer is read as one list: testing them all costs
// less than deciding, node by node, which of them to test.
constexpr std::size_t kScanned = 16;

// The layout's nodes in their order, each divided node before its quadrants. The next node is
// the next divided node where that one's first leaf is the next leaf, the next leaf otherwise;
// a divided node's subtree of n leaves holds n / 3 divided nodes, its own included, so a walk
// passes over it in one step.
class Walk {
public:
    explicit Walk(const QuadTreeLayout& l) : l_(l) {}
    // From the node that divided[divided] or leaves[leaf] is, whichever comes first.
    Walk(const QuadTreeLayout& l, std::size_t divided, std::size_t leaf)
        : l_(l), divided_(divided), leaf_(leaf) {}
    bool done() const { return leaf_ >= l_.leaves.size(); }
    // The next node where it is a divided node, null where it is a leaf.
    const QuadDivided* divided() const {
        if (divided_ < l_.divided.size() && l_.divided[divided_].firstLeaf == leaf_) {
            return &l_.divided[divided_];
        }
        return nullptr;
    }
    // The index in divided of the next divided node.
    std::size_t nextDivided() const { return divided_; }
    // Steps into the divided node, to its first quadrant.
    void enter() { ++divided_; }
    // Steps over the divided node and everything below it.
    void pass(const QuadDivided& node) {
        leaf_ = node.firstLeaf + node.leafCount;
        divided_ += node.leafCount / 3 > 0 ? node.leafCount / 3 : 1;
    }
    // Steps over the leaf, and returns it.
    const QuadLeaf& leaf() { return l_.leaves[stepOverLeaf()]; }
    // Steps over the leaf, and returns its index, which lies past the leaves where none is left.
    std::size_t stepOverLeaf() { return leaf_++; }

private:
    const QuadTreeLayout& l_;
    std::size_t divided_ = 0;
    std::size_t leaf_ = 0;
};

// A node of the layout: leaves[index] or divided[index].
struct NodeRef {
    bool leaf = true;
    std::size_t index = 0;
};

// The quadrants of a divided node, south-west to north-east: the nodes that follow it.
std::array<NodeRef, 4> quadrantsOf(const QuadTreeLayout& layout, std::size_t divided) {
    std::array<NodeRef, 4> quadrants{};
    Walk walk(layout, divided + 1, layout.divided[divided].firstLeaf);
    for (NodeRef& quadrant : quadrants) {
        if (const QuadDivided* below = walk.divided()) {
            quadrant = {false, walk.nextDivided()};
            walk.pass(*below);
        } else {
            quadrant = {true, walk.stepOverLeaf()};
        }
    }
    return quadrants;
}

const QuadRect* rectOf(const QuadTreeLayout& layout, NodeRef node) {
    if (node.leaf) {
        return node.index < layout.leaves.size() ? &layout.leaves[node.index].rect : nullptr;
    }
    return node.index < layout.divided.size() ? &layout.divided[node.index].rect : nullptr;
}

bool isNaN(Vec2 p) {
    return std::isnan(p.x) || std::isnan(p.y);
}

double squared(double d) {
    return d * d;
}

double distance2(Vec2 a, Vec2 b) {
    return squared(a.x - b.x) + squared(a.y - b.y);
}

// The gap from c to the range [lo, hi]. Rounding keeps order, so no point of the range rounds
// to a gap smaller than this one: a node is skipped only when nothing in it can be in reach.
double gap(double c, double lo, double hi) {
    if (c < lo) {
        return lo - c;
    }
    return c > hi ? c - hi : 0.0;
}

double distance2(const QuadRect& r, Vec2 p) {
    return squared(gap(p.x, r.minX, r.maxX)) + squared(gap(p.y, r.minY, r.maxY));
}

// The farthest reach from c into [lo, hi]: no point of the range rounds to a larger one.
double span(double c, double lo, double hi) {
    return c - lo > hi - c ? c - lo : hi - c;
}

// A closed rectangle as a query's region.
struct RectRegion {
    QuadRect r;

    bool meets(const QuadRect& n) const {
        return n.minX <= r.maxX && r.minX <= n.maxX && n.minY <= r.maxY && r.minY <= n.maxY;
    }
    bool covers(const QuadRect& n) const {
        return r.minX <= n.minX && n.maxX <= r.maxX && r.minY <= n.minY && n.maxY <= r.maxY;
    }
    bool holds(Vec2 p) const {
        return r.minX <= p.x && p.x <= r.maxX && r.minY <= p.y && p.y <= r.maxY;
    }
};

// A closed disc as a query's region, compared in squared distances.
struct DiscRegion {
    Vec2 c;
    double reach2;

    bool meets(const QuadRect& n) const { return distance2(n, c) <= reach2; }
    bool covers(const QuadRect& n) const {
        return squared(span(c.x, n.minX, n.maxX)) + squared(span(c.y, n.minY, n.maxY)) <= reach2;
    }
    bool holds(Vec2 p) const { return distance2(p, c) <= reach2; }
};

// Hands the visitor every entity of the region: nodes the region does not meet are passed over,
// and a leaf it covers is handed whole, since its entities lie strictly inside it.
template <class Region> class RegionVisit {
public:
    RegionVisit(const QuadTreeLayout& layout, const Region& region, QuadVisitor visitor)
        : layout_(layout), lists_(layout), region_(region), visitor_(visitor) {}

    std::size_t run() {
        Walk walk(layout_);
        while (!walk.done()) {
            if (const QuadDivided* node = walk.divided()) {
                if (!region_.meets(node->rect)) {
                    walk.pass(*node);
                    continue;
                }
                const Run leaves = lists_.leavesOf(*node);
                const Run midlines = lists_.midlinesBelow(*node);
                if (leaves.count + midlines.count <= kScanned) {
                    if (!hand(leaves, false) || !hand(midlines, false)) {
                        return found_;
                    }
                    walk.pass(*node);
                    continue;
                }
                if (!hand(lists_.midlineOf(*node), false)) {
                    return found_;
                }
                walk.enter();
                continue;
            }
            const QuadLeaf& leaf = walk.leaf();
            if (leaf.count > 0 && region_.meets(leaf.rect) &&
                !hand(lists_.of(leaf), region_.covers(leaf.rect))) {
                return found_;
            }
        }
        hand(lists_.outside(), false);
        return found_;
    }

private:
    // Hands over the run's entities that the region holds, or all of them; false once the
    // visitor has asked to stop.
    bool hand(const Run& run, bool all) {
        for (std::size_t i = 0; i < run.count; ++i) {
            if (!all && !region_.holds(run.positions[i])) {
                continue;
            }
            ++found_;
            if (visitor_.call != nullptr &&
                !visitor_.call(visitor_.context, run.actors[i], run.positions[i])) {
                return false;
            }
        }
        return true;
    }

    const QuadTreeLayout& layout_;
    Lists lists_;
    Region region_;
    QuadVisitor visitor_;
    std::size_t found_ = 0;
};

// The order among entities at the same distance: the smaller identifier, and where a game that
// rewound be_val gave two actors one identifier, the lower address, so that one actor is the
// answer wherever the walk meets them.
bool firstInTies(const Actor& a, const Actor& b) {
    if (a.getID() != b.getID()) {
        return a.getID() < b.getID();
    }
    return std::less<>()(&a, &b);
}

// Depth first, the nearer quadrants first, skipping a node that lies farther than the best
// entity found so far.
class NearestSearch {
public:
    NearestSearch(const QuadTreeLayout& layout, Vec2 point, const Actor* leaveOut)
        : layout_(layout), lists_(layout), point_(point), leaveOut_(leaveOut) {}

    QuadNearest run() {
        if (layout_.divided.empty()) {
            leaf(0);
        } else {
            divided(0);
        }
        offer(lists_.outside());
        if (best_.actor != nullptr) {
            best_.distance = std::sqrt(best2_);
        }
        return best_;
    }

private:
    bool beyond(const QuadRect& r) const { return distance2(r, point_) > best2_; }

    void leaf(std::size_t index) {
        if (index >= layout_.leaves.size()) {
            return;
        }
        const QuadLeaf& l = layout_.leaves[index];
        if (l.count == 0 || beyond(l.rect)) {
            return;
        }
        offer(lists_.of(l));
    }

    void divided(std::size_t index) {
        const QuadDivided& d = layout_.divided[index];
        if (beyond(d.rect)) {
            return;
        }
        offer(lists_.midlineOf(d));
        std::array<NodeRef, 4> quadrants = quadrantsOf(layout_, index);
        std::array<double, 4> gaps{};
        for (std::size_t q = 0; q < 4; ++q) {
            const QuadRect* r = rectOf(layout_, quadrants[q]);
            gaps[q] = r == nullptr ? 0.0 : distance2(*r, point_);
        }
        // Nearest first, so the best found so far skips as many of the others as it can.
        for (std::size_t q = 1; q < 4; ++q) {
            for (std::size_t i = q; i > 0 && gaps[i] < gaps[i - 1]; --i) {
                std::swap(gaps[i], gaps[i - 1]);
                std::swap(quadrants[i], quadrants[i - 1]);
            }
        }
        for (std::size_t q = 0; q < 4; ++q) {
            if (gaps[q] > best2_) {
                return;
            }
            if (quadrants[q].leaf) {
                leaf(quadrants[q].index);
            } else {
                divided(quadrants[q].index);
            }
        }
    }

    void offer(const Run& run) {
        for (std::size_t i = 0; i < run.count; ++i) {
            offer(run.actors[i], run.positions[i]);
        }
    }

    void offer(Actor* actor, Vec2 position) {
        const double d2 = distance2(position, point_);
        // Also refuses NaN; the first entity at any distance, infinity included, is taken.
        if (actor == leaveOut_ || !(d2 <= best2_)) {
            return;
        }
        if (d2 == best2_ && best_.actor != nullptr && !firstInTies(*actor, *best_.actor)) {
            return;
        }
        best_.actor = actor;
        best_.position = position;
        best2_ = d2;
    }

    const QuadTreeLayout& layout_;
    Lists lists_;
    Vec2 point_;
    const Actor* leaveOut_;
    QuadNearest best_;
    double best2_ = std::numeric_limits<double>::infinity();
};

} // namespace

std::size_t visitInRect(const QuadTreeLayout& layout, const QuadRect& rect, QuadVisitor visitor) {
    return RegionVisit<RectRegion>(layout, {rect}, visitor).run();
}

std::size_t visitWithin(const QuadTreeLayout& layout, Vec2 centre, double distance,
                        QuadVisitor visitor) {
    if (!(distance >= 0) || isNaN(centre)) {
        return 0;
    }
    return RegionVisit<DiscRegion>(layout, {centre, squared(distance)}, visitor).run();
}

QuadNearest findNearest(const QuadTreeLayout& layout, Vec2 point, const Actor* leaveOut) {
    if (isNaN(point)) {
        return {};
    }
    return NearestSearch(layout, point, leaveOut).run();
}
