// The game's world: the partition of the table and the three queries on its layout, each timed
// in turns with a general-purpose peer on the same actors (Boost.Geometry's packed R-tree,
// nanoflann's kd-tree) within every iteration, so that each ratio comes from the same moments
// of the run; repetitions report their spread (the cv aggregate). Timed in the thread's CPU
// time, as bench_engine is.
#include <engine/actor.h>
#include <engine/baseentity.h>
#include <engine/quadlayout.h>
#include <engine/quadnode.h>
#include <engine/quadquery.h>
#include <engine/quadrect.h>
#include <engine/trace.h>

#include "capture.h"
#include "placement.h"

#include <benchmark/benchmark.h>
#include <boost/geometry/algorithms/disjoint.hpp>
#include <boost/geometry/geometries/box.hpp>
#include <boost/geometry/geometries/point.hpp>
#include <boost/geometry/index/rtree.hpp>
#include <boost/geometry/strategies/strategies.hpp>
#include <nanoflann.hpp>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <iterator>
#include <optional>
#include <random>
#include <utility>
#include <vector>

namespace {

namespace bg = boost::geometry;
namespace bgi = boost::geometry::index;

using Point = bg::model::point<double, 2, bg::cs::cartesian>;
using Box = bg::model::box<Point>;
using Entry = std::pair<Point, Actor*>;
using RTree = bgi::rtree<Entry, bgi::quadratic<16>>;

constexpr QuadRect kWorld{-512, 512, -512, 512};

// The actors' positions as nanoflann's kd-tree reads them.
struct Cloud {
    std::vector<Vec2> points;
    std::vector<Actor*> actors;

    std::size_t kdtree_get_point_count() const { return points.size(); }
    double kdtree_get_pt(std::size_t i, std::size_t dim) const {
        return dim == 0 ? points[i].x : points[i].y;
    }
    template <class Bounds> bool kdtree_get_bbox(Bounds& /*bounds*/) const { return false; }
};
using KdTree = nanoflann::KDTreeSingleIndexAdaptor<nanoflann::L2_Simple_Adaptor<double, Cloud>,
                                                   Cloud, 2, std::size_t>;

// The R-tree's packed build from the table, which it reads as the partition does.
void packRTree(std::vector<Entry>& entries, std::optional<RTree>& tree) {
    entries.clear();
    for (Actor* actor : EntityTable) {
        if (actor != nullptr) {
            const Vec2 p = actor->getPosition2D();
            entries.emplace_back(Point(p.x, p.y), actor);
        }
    }
    tree.emplace(entries.begin(), entries.end());
}

// The floor of any build: one pass over the table reading every position.
void tablePass() {
    double sum = 0;
    for (const Actor* actor : EntityTable) {
        if (actor != nullptr) {
            const Vec2 p = actor->getPosition2D();
            sum += p.x + p.y;
        }
    }
    benchmark::DoNotOptimize(sum);
}

// The CPU nanoseconds of times calls of op(i), i from 0.
template <class Op> double timed(int times, Op&& op) {
    const double start = cpuNanos();
    for (int i = 0; i < times; ++i) {
        op(i);
    }
    return cpuNanos() - start;
}

// How many calls of op make a span of about 50 microseconds, so that the clock's own cost stays
// small against it. op runs twice first to warm the caches, then is timed over calls 0 to
// kProbes - 1.
constexpr int kProbes = 4;
template <class Op> int batchFor(Op&& op) {
    timed(2, op);
    const double once = timed(kProbes, op) / kProbes;
    return std::max(1, static_cast<int>(std::ceil(50e3 / std::max(once, 1.0))));
}

// The four builds of one table, each in a batch of its own so that its span is long enough.
class Builds {
public:
    Builds() {
        partition_ = batchFor([this](int) { partition(); });
        rtree_ = batchFor([this](int i) { pack(i); });
        release();
        builder_ = batchFor([this](int i) { build(i); });
        release();
        floor_ = batchFor([](int) { tablePass(); });
        trees_.resize(static_cast<std::size_t>(rtree_));
        roots_.resize(static_cast<std::size_t>(builder_));
    }

    // One turn of each; the trees are released outside the measured spans.
    void turn() {
        nanos_[0] += timed(partition_, [this](int) { partition(); });
        nanos_[1] += timed(rtree_, [this](int i) { pack(i); });
        nanos_[2] += timed(builder_, [this](int i) { build(i); });
        nanos_[3] += timed(floor_, [](int) { tablePass(); });
        release();
        ++turns_;
    }

    // Per build: each part's time and the partition's ratio to the others.
    void report(benchmark::State& state) const {
        const std::array<int, 4> batches{partition_, rtree_, builder_, floor_};
        const std::array<const char*, 4> names{"partition_ns", "rtree_ns", "builder_ns",
                                               "floor_ns"};
        std::array<double, 4> each{};
        for (std::size_t part = 0; part < each.size(); ++part) {
            each[part] = nanos_[part] / (turns_ * batches[part]);
            state.counters[names[part]] = each[part];
        }
        state.counters["x_rtree"] = each[0] / each[1];
        state.counters["x_builder"] = each[0] / each[2];
        state.counters["x_floor"] = each[0] / each[3];
        state.counters["leaves"] = static_cast<double>(layout_.leaves.size());
    }

    double spanNanos() const { return nanos_[0] + nanos_[1] + nanos_[2] + nanos_[3]; }

private:
    void partition() {
        partitionQuadTree(kWorld, EntityTable, layout_);
        benchmark::DoNotOptimize(layout_.leaves.data());
    }
    void pack(int i) { packRTree(entries_, trees_.at(static_cast<std::size_t>(i))); }
    void build(int i) {
        cellSlotCounter = 0;
        QuadNode*& root = roots_.at(static_cast<std::size_t>(i));
        root = QuadTreeBuilder(kWorld.minX, kWorld.maxX, kWorld.minY, kWorld.maxY, EntityTable,
                               builderLayout_);
    }
    void release() {
        for (std::optional<RTree>& tree : trees_) {
            tree.reset();
        }
        for (QuadNode*& root : roots_) {
            releaseQuadTree(root);
            root = nullptr;
        }
    }

    QuadTreeLayout layout_;
    QuadTreeLayout builderLayout_;
    std::vector<Entry> entries_;
    std::vector<std::optional<RTree>> trees_{kProbes};
    std::vector<QuadNode*> roots_{kProbes, nullptr};
    int partition_ = 1;
    int rtree_ = 1;
    int builder_ = 1;
    int floor_ = 1;
    std::array<double, 4> nanos_{};
    double turns_ = 0;
};

// partitionQuadTree against the R-tree's packed build, QuadTreeBuilder with a layout and one
// pass over the table, in turns within every iteration. The time column is per iteration, every
// part's batch together; the counters are per build.
void WorldBuild(benchmark::State& state, Spread spread) {
    const ScopedTraceRoute quiet(TraceRoute::nowhere());
    resetEngineGlobals();
    const auto actors = placeEntities(static_cast<int>(state.range(0)), spread);
    Builds builds;
    for (auto _ : state) {
        const double before = builds.spanNanos();
        builds.turn();
        state.SetIterationTime((builds.spanNanos() - before) * 1e-9);
    }
    builds.report(state);
    resetEngineGlobals();
}
BENCHMARK_CAPTURE(WorldBuild, uniform, Spread::Uniform)->Arg(256)->Arg(1023)->UseManualTime();
BENCHMARK_CAPTURE(WorldBuild, clusters, Spread::Clusters)->Arg(256)->Arg(1023)->UseManualTime();

constexpr std::size_t kQueries = 256;

// The table's actors as every structure holds them: our layout, the packed R-tree, the kd-tree;
// and the query points, each near an actor, so that no one query is learnt by the branch
// predictor.
class World {
public:
    World(Spread spread, int count)
        : actors_(placeEntities(count, spread)), reach_(spread == Spread::Uniform ? 36.0 : 0.6) {
        partitionQuadTree(kWorld, EntityTable, layout);
        std::vector<Entry> entries;
        packRTree(entries, rtree);
        for (Actor* actor : EntityTable) {
            if (actor != nullptr) {
                cloud.points.push_back(actor->getPosition2D());
                cloud.actors.push_back(actor);
            }
        }
        kdtree.emplace(2, cloud);
        std::mt19937 random(30);
        std::uniform_int_distribution<std::size_t> anyActor(0, cloud.points.size() - 1);
        std::uniform_real_distribution<double> offset(-reach_, reach_);
        for (Vec2& point : points) {
            const Vec2 near = cloud.points[anyActor(random)];
            point = {near.x + offset(random), near.y + offset(random)};
        }
    }

    // A square of side twice the reach around the point: a few actors.
    QuadRect rectAround(Vec2 p) const {
        return {p.x - reach_, p.x + reach_, p.y - reach_, p.y + reach_};
    }
    static Box boxOf(const QuadRect& r) { return {Point(r.minX, r.minY), Point(r.maxX, r.maxY)}; }
    // The distance of the distance query: a few actors.
    double reach() const { return reach_; }

    QuadTreeLayout layout;
    std::optional<RTree> rtree;
    Cloud cloud;
    std::optional<KdTree> kdtree;
    std::array<Vec2, kQueries> points{};

private:
    std::vector<std::unique_ptr<Actor>> actors_;
    double reach_;
};

// Ours and the peer's answers to every query point, as the query rows time them: each pair must
// agree before its row is timed, so that the rows compare like with like.
struct Found {
    std::vector<Actor*> ours;
    std::vector<Entry> entries;
    std::vector<std::pair<std::size_t, double>> matches;
    nanoflann::SearchParams unsorted{32, 0, false};

    Found() {
        ours.reserve(kEntityTableSize);
        entries.reserve(kEntityTableSize);
        matches.reserve(kEntityTableSize);
    }
};

enum class Query { Rect, Within, Nearest, Nearest8, NearestRTree };

constexpr std::size_t kK = 8;

// The identifiers of k nearest answers, summed: the same set gives the same sum.
std::size_t idSum(const std::array<QuadNearest, kK>& nearest, std::size_t count) {
    std::size_t sum = 0;
    for (std::size_t i = 0; i < count; ++i) {
        sum += nearest[i].id;
    }
    return sum;
}

// Our query at one point: how many actors it found, or for the nearest, its actor's identifier.
std::size_t ours(const World& world, Query query, Vec2 p, Found& found) {
    found.ours.clear();
    const auto collect = [&found](Actor* actor) { found.ours.push_back(actor); };
    switch (query) {
    case Query::Rect:
        return visitInRect(world.layout, world.rectAround(p), collect);
    case Query::Within:
        return visitWithin(world.layout, p, world.reach(), collect);
    case Query::Nearest:
    case Query::NearestRTree:
        return static_cast<std::size_t>(findNearest(world.layout, p).id);
    case Query::Nearest8: {
        std::array<QuadNearest, kK> nearest{};
        return idSum(nearest, findKNearest(world.layout, p, kK, nearest.data()));
    }
    }
    return 0;
}

// The peer's query at the same point, answering as ours does.
std::size_t peer(const World& world, Query query, Vec2 p, Found& found) {
    const std::array<double, 2> at{p.x, p.y};
    switch (query) {
    case Query::Rect:
        found.entries.clear();
        world.rtree->query(bgi::intersects(World::boxOf(world.rectAround(p))),
                           std::back_inserter(found.entries));
        return found.entries.size();
    case Query::Within:
        // The kd-tree's L2 metric is the squared distance.
        return world.kdtree->radiusSearch(at.data(), world.reach() * world.reach(), found.matches,
                                          found.unsorted);
    case Query::Nearest: {
        std::size_t index = 0;
        double distance2 = 0;
        world.kdtree->knnSearch(at.data(), 1, &index, &distance2);
        return static_cast<std::size_t>(world.cloud.actors.at(index)->getID());
    }
    case Query::Nearest8: {
        std::array<std::size_t, kK> indices{};
        std::array<double, kK> distances2{};
        const std::size_t count =
            world.kdtree->knnSearch(at.data(), kK, indices.data(), distances2.data());
        std::size_t sum = 0;
        for (std::size_t i = 0; i < count; ++i) {
            sum += world.cloud.actors.at(indices[i])->getID();
        }
        return sum;
    }
    case Query::NearestRTree:
        found.entries.clear();
        world.rtree->query(bgi::nearest(Point(p.x, p.y), 1), std::back_inserter(found.entries));
        return static_cast<std::size_t>(found.entries.at(0).second->getID());
    }
    return 0;
}

// The query's row: all query points through ours, then through the peer, in turns within
// every iteration. Counters ns and peer_ns are per query, x_peer their ratio, found the actors
// a query found on average (for the nearest, one).
void WorldQuery(benchmark::State& state, Query query, Spread spread) {
    const ScopedTraceRoute quiet(TraceRoute::nowhere());
    resetEngineGlobals();
    const World world(spread, static_cast<int>(state.range(0)));
    Found found;
    double total = 0;
    for (const Vec2 p : world.points) {
        const std::size_t answer = ours(world, query, p, found);
        if (answer != peer(world, query, p, found)) {
            state.SkipWithError("ours and the peer's answers differ");
            resetEngineGlobals();
            return;
        }
        const bool counts = query == Query::Rect || query == Query::Within;
        total += static_cast<double>(counts ? answer : 1);
    }
    double oursNanos = 0;
    double peerNanos = 0;
    for (auto _ : state) {
        std::size_t sum = 0;
        const double start = cpuNanos();
        for (const Vec2 p : world.points) {
            sum += ours(world, query, p, found);
        }
        const double oursDone = cpuNanos();
        for (const Vec2 p : world.points) {
            sum += peer(world, query, p, found);
        }
        const double peerDone = cpuNanos();
        benchmark::DoNotOptimize(sum);
        oursNanos += oursDone - start;
        peerNanos += peerDone - oursDone;
        state.SetIterationTime((peerDone - start) * 1e-9);
    }
    const double queries = static_cast<double>(state.iterations()) * kQueries;
    state.counters["ns"] = oursNanos / queries;
    state.counters["peer_ns"] = peerNanos / queries;
    state.counters["x_peer"] = oursNanos / peerNanos;
    state.counters["found"] = total / kQueries;
    resetEngineGlobals();
}
BENCHMARK_CAPTURE(WorldQuery, rect_uniform, Query::Rect, Spread::Uniform)
    ->Arg(256)
    ->Arg(1023)
    ->UseManualTime();
BENCHMARK_CAPTURE(WorldQuery, rect_clusters, Query::Rect, Spread::Clusters)
    ->Arg(256)
    ->Arg(1023)
    ->UseManualTime();
BENCHMARK_CAPTURE(WorldQuery, within_uniform, Query::Within, Spread::Uniform)
    ->Arg(256)
    ->Arg(1023)
    ->UseManualTime();
BENCHMARK_CAPTURE(WorldQuery, within_clusters, Query::Within, Spread::Clusters)
    ->Arg(256)
    ->Arg(1023)
    ->UseManualTime();
BENCHMARK_CAPTURE(WorldQuery, nearest_uniform, Query::Nearest, Spread::Uniform)
    ->Arg(256)
    ->Arg(1023)
    ->UseManualTime();
BENCHMARK_CAPTURE(WorldQuery, nearest_clusters, Query::Nearest, Spread::Clusters)
    ->Arg(256)
    ->Arg(1023)
    ->UseManualTime();
BENCHMARK_CAPTURE(WorldQuery, nearest8_uniform, Query::Nearest8, Spread::Uniform)
    ->Arg(256)
    ->Arg(1023)
    ->UseManualTime();
BENCHMARK_CAPTURE(WorldQuery, nearest8_clusters, Query::Nearest8, Spread::Clusters)
    ->Arg(256)
    ->Arg(1023)
    ->UseManualTime();
BENCHMARK_CAPTURE(WorldQuery, nearest_rtree_uniform, Query::NearestRTree, Spread::Uniform)
    ->Arg(256)
    ->Arg(1023)
    ->UseManualTime();
BENCHMARK_CAPTURE(WorldQuery, nearest_rtree_clusters, Query::NearestRTree, Spread::Clusters)
    ->Arg(256)
    ->Arg(1023)
    ->UseManualTime();

} // namespace

BENCHMARK_MAIN();
