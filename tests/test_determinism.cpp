// The same numbers on every target: a long fixed run of table draws, wander steps and vector
// arithmetic must hash to one golden value, bit for bit, on the native and the Windows builds;
// so must a game's partition of a fixed world and the answers of its queries.
#include <engine/actor.h>
#include <engine/baseentity.h>
#include <engine/quadlayout.h>
#include <engine/quadquery.h>
#include <engine/steering.h>
#include <engine/trace.h>
#include <engine/vectors.h>

#include "digest.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace {

constexpr int kSteps = 20000;
constexpr std::uint64_t kGoldenHash = 0xc5afbc148e68e7e4u;
constexpr std::uint64_t kGoldenWorldHash = 0xa6e78fbfaebdd166u;

/// Every result of the run goes into the hash; the sums carry rounding from step to step, so
/// one intermediate kept at extended precision anywhere changes the value.
std::uint64_t hashFixedRun() {
    pi_idx = 2;
    WanderBehaviour behaviour{2.5, 7.0 / 9.0, 1.0 / 3.0, {0.1, 0.3}};

    Digest digest;
    Vec2 drift;
    Vec3 growth{1.0, 1.0, 1.0};
    for (int step = 0; step < kSteps; ++step) {
        const double draw = TableRandom();
        const Vec2 target = behaviour.wander();
        drift = drift + target * (1.0 / 7.0);
        Vec2 heading = drift;
        heading.normalize();
        const Vec3 factor{1.0 + target.x / 1024.0, 1.0 - target.y / 1024.0, 1.0 + draw / 1024.0};
        growth = componentProduct(growth, factor);

        const Vec2 product = componentProduct(target, heading);
        for (const double value : {draw, target.x, target.y, drift.length(), heading.x, heading.y,
                                   product.x, product.y, growth.x, growth.y, growth.z}) {
            digest.add(value);
        }
    }
    return digest.hash;
}

// A world of 1000 actors from the run's own arithmetic: drawn positions, quotients that round,
// some on the midlines of the square, some stacked, some outside it.
class FixedWorld {
public:
    FixedWorld() : first_(be_val) {
        const ScopedTraceRoute quiet(TraceRoute::nowhere());
        pi_idx = 2;
        WanderBehaviour behaviour{2.5, 7.0 / 9.0, 1.0 / 3.0, {0.1, 0.3}};
        for (std::size_t i = 0; i < 1000; ++i) {
            const Vec2 step = behaviour.wander();
            Vec2 p{TableRandom() * 512 + step.x, static_cast<double>(i % 97) / 0.37 - 131};
            if (i % 11 == 0) {
                p.x = 64.0 * static_cast<double>(i % 9) - 256;
            }
            if (i % 13 == 0) {
                p = {1.0 / 3.0, 1.0 / 3.0};
            }
            if (i % 17 == 0) {
                p.y = 512 + static_cast<double>(i % 3);
            }
            actors_.push_back(std::make_unique<Actor>());
            actors_.back()->setPosition(p.x, p.y, 0);
            table[i + 1] = actors_.back().get();
        }
    }

    /// Identifiers counted from the world's first, whatever ran before it.
    std::uint64_t id(const Actor* actor) const {
        return actor == nullptr ? ~0ULL : actor->getID() - first_;
    }

    Actor* table[kEntityTableSize] = {};

private:
    std::uint32_t first_;
    std::vector<std::unique_ptr<Actor>> actors_;
};

void addRect(Digest& digest, const QuadRect& r) {
    for (const double value : {r.minX, r.maxX, r.minY, r.maxY}) {
        digest.add(value);
    }
}

void addList(Digest& digest, const FixedWorld& world, const std::vector<Actor*>& actors,
             const std::vector<Vec2>& positions) {
    for (std::size_t i = 0; i < actors.size(); ++i) {
        digest.add(world.id(actors[i]));
        digest.add(positions[i].x);
        digest.add(positions[i].y);
    }
}

std::uint64_t hashFixedWorld() {
    const FixedWorld world;
    QuadTreeLayout layout;
    partitionQuadTree({-512, 512, -512, 512}, world.table, layout);
    Digest digest;
    for (const QuadLeaf& leaf : layout.leaves) {
        addRect(digest, leaf.rect);
        digest.add(static_cast<std::uint64_t>(leaf.depth));
        digest.add(static_cast<std::uint64_t>(leaf.count));
    }
    for (const QuadDivided& node : layout.divided) {
        addRect(digest, node.rect);
        digest.add(static_cast<std::uint64_t>(node.count));
    }
    addList(digest, world, layout.entities, layout.positions);
    addList(digest, world, layout.midline, layout.midlinePositions);
    addList(digest, world, layout.outside, layout.outsidePositions);
    for (const Vec2 p : layout.positions) {
        const QuadNearest near = findNearest(layout, p);
        digest.add(world.id(near.actor));
        digest.add(near.distance);
        digest.add(static_cast<std::uint64_t>(
            visitWithin(layout, p, 40.0 / 3.0, [&](Actor* a) { digest.add(world.id(a)); })));
        const QuadRect box{p.x - 20, p.x + 1.0 / 7.0, p.y - 2.5, p.y + 30};
        digest.add(static_cast<std::uint64_t>(
            visitInRect(layout, box, [&](Actor* a) { digest.add(world.id(a)); })));
    }
    return digest.hash;
}

} // namespace

TEST(Determinism, AGamesPartitionAndQueriesHashToTheGoldenValueOnEveryTarget) {
    const std::uint64_t first = hashFixedWorld();
    EXPECT_EQ(first, hashFixedWorld());
    EXPECT_EQ(first, kGoldenWorldHash) << std::hex << "hash 0x" << first;
}

TEST(Determinism, LongRunHashesToTheGoldenValueOnEveryTarget) {
    const std::uint64_t first = hashFixedRun();
    EXPECT_EQ(first, hashFixedRun()) << "the run must not depend on state left by an earlier one";
    EXPECT_EQ(first, kGoldenHash) << std::hex << "hash 0x" << first;
}
