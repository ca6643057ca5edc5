// The nearest queries, and the visits with a game's plain QuadVisitor or a distance too large or
// too small to square: over a built layout's index, in which each subtree is a range of packed
// entities and each node keeps its quadrants' boxes, so a query goes down only where an answer
// can be.
#include "quadquery.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <limits>
#include <type_traits>

namespace {

// How far apart two points are, ordered exactly at every scale. The squared distance keeps its
// digits only between the normal doubles: below, the distance itself is kept (scaled by a power
// of two, which rounds as the unscaled would); above, a quarter of it, which a finite pair of
// coordinates never takes past the largest double.
struct Reach {
    int band = 0;   // 0 tiny: the distance; 1: its square; 2 huge: its quarter; 3 NaN
    double v = 0.0; // in the band's own measure
};

using quadquery_detail::Admits;
using quadquery_detail::distance2;
using quadquery_detail::farthestIn;
using quadquery_detail::isNaN;
using quadquery_detail::kLowest2;
using quadquery_detail::nearestIn;
using quadquery_detail::normalSquare;
using quadquery_detail::walk;

constexpr int kNaN = 3;
constexpr double kInfinity = std::numeric_limits<double>::infinity();

bool operator<(Reach a, Reach b) {
    return a.band != b.band ? a.band < b.band : a.v < b.v;
}

bool operator==(Reach a, Reach b) {
    return a.band == b.band && a.v == b.v;
}

// sqrt(dx * dx + dy * dy), scaled by a power of two so that neither square over- nor underflows.
double scaledLength(double dx, double dy) {
    const double m = std::max(std::fabs(dx), std::fabs(dy));
    if (m == 0 || std::isinf(m)) {
        return m;
    }
    const int e = std::ilogb(m);
    const double x = std::scalbn(dx, -e);
    const double y = std::scalbn(dy, -e);
    return std::scalbn(std::sqrt(x * x + y * y), e);
}

Reach slowReach(Vec2 p, Vec2 q, double d2) {
    if (std::isnan(d2)) {
        return {kNaN, 0.0};
    }
    if (d2 < kLowest2) {
        return {0, scaledLength(q.x - p.x, q.y - p.y)};
    }
    return {2, scaledLength(q.x * 0.25 - p.x * 0.25, q.y * 0.25 - p.y * 0.25)};
}

Reach reachBetween(Vec2 p, Vec2 q) {
    const double d2 = distance2(p, q);
    if (normalSquare(d2)) {
        return {1, d2};
    }
    return slowReach(p, q, d2);
}

// A distance measured as reachBetween measures one.
Reach reachOf(double distance) {
    const double d2 = distance * distance;
    if (normalSquare(d2)) {
        return {1, d2};
    }
    return d2 < kLowest2 ? Reach{0, distance} : Reach{2, distance * 0.25};
}

double distanceOf(Reach r) {
    switch (r.band) {
    case 0:
        return r.v;
    case 1:
        return std::sqrt(r.v);
    case 2:
        return r.v * 4;
    default:
        return std::numeric_limits<double>::quiet_NaN();
    }
}

// A closed disc of any radius, compared in reaches.
struct ExactDisc {
    Vec2 c;
    Reach reach;

    bool meets(const QuadRect& n) const { return !(reach < reachBetween(c, nearestIn(n, c))); }
    bool covers(const QuadRect& n) const { return !(reach < reachBetween(c, farthestIn(n, c))); }
    bool holds(Vec2 p) const {
        const Reach r = reachBetween(c, p);
        return r.band != kNaN && !(reach < r);
    }
};

// A QuadVisitor as a walk's callable: a null call counts the entities only.
struct Calls {
    QuadVisitor visitor;

    bool operator()(Actor* actor, Vec2 position) const {
        return visitor.call == nullptr || visitor.call(visitor.context, actor, position);
    }
};

// The k nearest entities the filter admits, k at least 1, kept in out in order: by reach, then
// identifier, then address, so that one actor is the answer wherever the search meets it. Depth
// first, the nearer quadrants first, passing over a quadrant that lies farther than the k-th
// found so far.
//
// Until the end, each answer holds only what the search reads: its entity's place in the index
// in id and, in the quick search, its squared distance in distance.
//
// The quick search measures in squared distances alone. They order exactly as reaches do while
// each is a normal double, so it gives up, and the exact one answers, where an answer's is not.
// A square that fades below the normal doubles is nearer than every normal one, so it would be
// among the answers; one that overflows is farther, so it stays among them only while they are
// fewer than k, and was rightly left out otherwise.
template <bool kExact> class NearestSearch {
public:
    NearestSearch(const QuadIndex& index, Vec2 point, const QuadFilter& filter, QuadNearest* out,
                  std::size_t k)
        : index_(index), x_(point.x), admits_(filter), y_(point.y), out_(out), k_(k) {}

    // False where the quick search gave up.
    bool run(std::size_t& found) {
        search();
        offer(index_.outside, static_cast<std::uint32_t>(index_.positions.size()));
        if (!kExact && !std::all_of(out_, out_ + kept_, [](const QuadNearest& answer) {
                return normalSquare(answer.distance);
            })) {
            return false;
        }
        for (std::size_t j = 0; j < kept_; ++j) {
            QuadNearest& answer = out_[j];
            const std::size_t i = answer.id;
            answer.actor = index_.actors[i];
            answer.position = index_.positions[i];
            answer.distance = kExact ? distanceOf(reachBetween(point(), answer.position))
                                     : std::sqrt(answer.distance);
            answer.id = index_.ids[i];
        }
        found = kept_;
        return true;
    }

private:
    bool full() const { return kept_ == k_; }
    Vec2 point() const { return {x_, y_}; }

    // Squared distances compare as reaches do below the normal doubles' top, so a quadrant or an
    // entity is passed over on its squared distance alone: limit2_ is the largest that could
    // still come before the k-th kept.
    void search() {
        if (!index_.nodes.empty()) {
            enter(0, 0);
        }
    }

    // The node's quadrant q: its entities, or its own node's, nearest quadrant first, each
    // passed over once the answers found are nearer than its box.
    void enter(std::size_t n, std::size_t q) {
        const QuadIndexNode& parent = index_.nodes[n];
        if (parent.quadrant[q] < 0) {
            offer(parent.first[q], parent.end[q]);
            return;
        }
        const auto at = static_cast<std::size_t>(parent.quadrant[q]);
        const QuadIndexNode& node = index_.nodes[at];
        offer(node.ownFirst, node.ownEnd);
        std::array<double, 4> gaps;       // NOLINT: each written before it is read
        std::array<std::size_t, 4> order; // NOLINT: each written before it is read
        std::size_t count = 0;
        for (std::size_t i = 0; i < 4; ++i) {
            if (node.first[i] == node.end[i] || !admits_.kinds(node.kinds[i])) {
                continue;
            }
            const double gap = gapTo(node.box[i]);
            std::size_t to = count++;
            for (; to > 0 && gap < gaps[to - 1]; --to) {
                gaps[to] = gaps[to - 1];
                order[to] = order[to - 1];
            }
            gaps[to] = gap;
            order[to] = i;
        }
        for (std::size_t i = 0; i < count; ++i) {
            if (gaps[i] > limit2_) {
                return;
            }
            enter(at, order[i]);
        }
    }

    // The squared distance from the point to the box, which no entity in it comes nearer than.
    double gapTo(const QuadRect& box) const { return distance2(point(), nearestIn(box, point())); }

    void offer(std::uint32_t first, std::uint32_t end) {
        for (std::size_t i = first; i < end; ++i) {
            const double d2 = distance2(point(), index_.positions[i]);
            // Also passes over NaN, which is never near.
            if (!(d2 <= limit2_) || !admits_.entity(index_, i)) {
                continue;
            }
            const Key r = keyAt(i, d2);
            if (!isNever(r)) {
                insert(r, i);
            }
        }
    }

    // What the search orders by: the reach, or in the quick search the squared distance.
    using Key = std::conditional_t<kExact, Reach, double>;

    Key keyAt(std::size_t i, double d2) const {
        if constexpr (kExact) {
            return reachBetween(point(), index_.positions[i]);
        } else {
            return d2;
        }
    }

    // A kept answer's key: the quick search keeps it in the distance until the end.
    Key keyOf(const QuadNearest& kept) const {
        if constexpr (kExact) {
            return reachBetween(point(), index_.positions[kept.id]);
        } else {
            return kept.distance;
        }
    }

    static bool isNever(Reach r) { return r.band == kNaN; }
    static bool isNever(double /*d2*/) { return false; }
    static double limitOf(Reach r) {
        return r.band == 0 ? kLowest2 : r.band == 1 ? r.v : kInfinity;
    }
    static double limitOf(double d2) { return d2; }

    // Whether the entity comes before the kept answer at the same key.
    bool tiedBefore(std::size_t i, const QuadNearest& kept) const {
        const std::size_t j = kept.id;
        if (index_.ids[i] != index_.ids[j]) {
            return index_.ids[i] < index_.ids[j];
        }
        return std::less<>()(index_.actors[i], index_.actors[j]);
    }

    // Whether the entity at key r comes before the kept answer.
    bool before(Key r, std::size_t i, const QuadNearest& kept) const {
        const Key keptAt = keyOf(kept);
        return r < keptAt || (r == keptAt && tiedBefore(i, kept));
    }

    void insert(Key r, std::size_t i) {
        if (full() && !before(r, i, out_[k_ - 1])) {
            return;
        }
        std::size_t at = full() ? k_ - 1 : kept_++;
        // The strict order first, the ties after: the common case tests one comparison.
        for (; at > 0 && r < keyOf(out_[at - 1]); --at) {
            moveDown(at);
        }
        for (; at > 0 && r == keyOf(out_[at - 1]) && tiedBefore(i, out_[at - 1]); --at) {
            moveDown(at);
        }
        if constexpr (!kExact) {
            out_[at].distance = r;
        }
        out_[at].id = static_cast<std::uint32_t>(i);
        if (full()) {
            limit2_ = limitOf(keyOf(out_[k_ - 1]));
        }
    }

    // A kept answer moved one place down, to make room above it: only what the search reads.
    void moveDown(std::size_t at) {
        out_[at].distance = out_[at - 1].distance;
        out_[at].id = out_[at - 1].id;
    }

    const QuadIndex& index_;
    // The point's coordinates kept apart, as a NormalDisc keeps its centre's.
    double x_;
    Admits admits_;
    double y_;
    QuadNearest* out_;
    std::size_t k_;
    std::size_t kept_ = 0;
    double limit2_ = kInfinity;
};

} // namespace

std::size_t visitInRect(const QuadTreeLayout& layout, const QuadRect& rect, QuadVisitor visitor,
                        const QuadFilter& filter) {
    Calls calls{visitor};
    return walk(layout.index, quadquery_detail::RectRegion{rect}, filter, calls);
}

std::size_t visitWithin(const QuadTreeLayout& layout, Vec2 centre, double distance,
                        QuadVisitor visitor, const QuadFilter& filter) {
    if (!(distance >= 0) || isNaN(centre)) {
        return 0;
    }
    const Reach reach = reachOf(distance);
    Calls calls{visitor};
    if (reach.band == 1) {
        return walk(layout.index, quadquery_detail::NormalDisc{centre, reach.v}, filter, calls);
    }
    return walk(layout.index, ExactDisc{centre, reach}, filter, calls);
}

QuadNearest findNearest(const QuadTreeLayout& layout, Vec2 point, const Actor* leaveOut) {
    return findNearest(layout, point, QuadFilter{kQuadAnyKind, leaveOut});
}

QuadNearest findNearest(const QuadTreeLayout& layout, Vec2 point, const QuadFilter& filter) {
    QuadNearest nearest;
    findKNearest(layout, point, 1, &nearest, filter);
    return nearest;
}

std::size_t findKNearest(const QuadTreeLayout& layout, Vec2 point, std::size_t k, QuadNearest* out,
                         const QuadFilter& filter) {
    if (isNaN(point) || k == 0 || out == nullptr) {
        return 0;
    }
    std::size_t found = 0;
    if (!NearestSearch<false>(layout.index, point, filter, out, k).run(found)) {
        NearestSearch<true>(layout.index, point, filter, out, k).run(found);
    }
    return found;
}
