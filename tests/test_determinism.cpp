// The same numbers on every target, bit for bit: fixed runs of the arithmetic, of a game's
// partition and queries, and of a flock each hash to one golden value.
#include <engine/actor.h>
#include <engine/baseentity.h>
#include <engine/behaviours.h>
#include <engine/flock.h>
#include <engine/quadlayout.h>
#include <engine/quadquery.h>
#include <engine/randomsource.h>
#include <engine/steering.h>
#include <engine/trace.h>
#include <engine/vectors.h>

#include "digest.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <vector>

namespace {

void addAll(Digest& digest, std::initializer_list<double> values) {
    for (const double value : values) {
        digest.add(value);
    }
}

// Table draws, wander steps and vector arithmetic; the sums carry rounding from step to step,
// so one intermediate kept at extended precision anywhere changes the value.
std::uint64_t hashFixedRun() {
    pi_idx = 2;
    WanderBehaviour behaviour{2.5, 7.0 / 9.0, 1.0 / 3.0, {0.1, 0.3}};

    Digest digest;
    Vec2 drift;
    Vec3 growth{1.0, 1.0, 1.0};
    for (int step = 0; step < 20000; ++step) {
        const double draw = TableRandom();
        const Vec2 target = behaviour.wander();
        drift = drift + target * (1.0 / 7.0);
        Vec2 heading = drift;
        heading.normalize();
        const Vec3 factor{1.0 + target.x / 1024.0, 1.0 - target.y / 1024.0, 1.0 + draw / 1024.0};
        growth = componentProduct(growth, factor);

        const Vec2 product = componentProduct(target, heading);
        addAll(digest, {draw, target.x, target.y, drift.length(), heading.x, heading.y, product.x,
                        product.y, growth.x, growth.y, growth.z});
    }
    return digest.hash;
}

// 1000 actors (drawn, on midlines, stacked, outside), their partition and queries at each.
std::uint64_t hashFixedWorld() {
    const ScopedTraceRoute quiet(TraceRoute::nowhere());
    const std::uint32_t first = be_val;
    pi_idx = 2;
    WanderBehaviour behaviour{2.5, 7.0 / 9.0, 1.0 / 3.0, {0.1, 0.3}};
    std::vector<std::unique_ptr<Actor>> actors;
    Actor* table[kEntityTableSize] = {};
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
        actors.push_back(std::make_unique<Actor>());
        actors.back()->setPosition(p.x, p.y, 0);
        table[i + 1] = actors.back().get();
    }
    QuadTreeLayout layout;
    partitionQuadTree({-512, 512, -512, 512}, table, layout);

    Digest digest;
    // Identifiers counted from the world's first, whatever ran before it.
    const auto addId = [&](const Actor* a) {
        digest.add(static_cast<std::uint64_t>(a == nullptr ? ~0ULL : a->getID() - first));
    };
    const auto addList = [&](const std::vector<Actor*>& list, const std::vector<Vec2>& at) {
        for (std::size_t i = 0; i < list.size(); ++i) {
            addId(list[i]);
            digest.add(at[i].x);
            digest.add(at[i].y);
        }
    };
    for (const QuadLeaf& leaf : layout.leaves) {
        addAll(digest, {leaf.rect.minX, leaf.rect.maxX, leaf.rect.minY, leaf.rect.maxY});
        digest.add(static_cast<std::uint64_t>(leaf.depth));
        digest.add(std::uint64_t{leaf.count});
    }
    for (const QuadDivided& node : layout.divided) {
        addAll(digest, {node.rect.minX, node.rect.maxX, node.rect.minY, node.rect.maxY});
        digest.add(std::uint64_t{node.count});
    }
    addList(layout.entities, layout.positions);
    addList(layout.midline, layout.midlinePositions);
    addList(layout.outside, layout.outsidePositions);
    for (const Vec2 p : layout.positions) {
        const QuadNearest near = findNearest(layout, p);
        addId(near.actor);
        digest.add(near.distance);
        digest.add(std::uint64_t{visitWithin(layout, p, 40.0 / 3.0, addId)});
        const QuadRect box{p.x - 20, p.x + 1.0 / 7.0, p.y - 2.5, p.y + 30};
        digest.add(std::uint64_t{visitInRect(layout, box, addId)});
    }
    return digest.hash;
}

// 1000 actors with random sources of their own flocking and wandering for 20 frames.
std::uint64_t hashFixedFlock() {
    const ScopedTraceRoute quiet(TraceRoute::nowhere());
    struct Member {
        std::unique_ptr<Actor> actor;
        SteeringBody body;
        Wander wander;
        RandomSource random;
    };
    std::vector<Member> flock(1000);
    Actor* table[kEntityTableSize] = {};
    RandomSource places(35);
    for (std::size_t i = 0; i < flock.size(); ++i) {
        Member& m = flock[i];
        m.actor = std::make_unique<Actor>();
        m.body.position = {places.symmetric() * 300, places.symmetric() * 300};
        m.body.velocity = {places.symmetric() * 2, places.symmetric() * 2};
        m.body.maxSpeed = 2.0 + static_cast<double>(i % 3) / 3.0;
        m.body.maxForce = 0.125 + static_cast<double>(i % 7) / 70.0;
        m.random = RandomSource(i);
        table[i + 1] = m.actor.get();
    }
    const FlockRules rules{30.0, 1.5, 1.0, 1.0 / 3.0};
    QuadTreeLayout layout;
    std::vector<Vec2> forces(flock.size());
    Digest digest;
    for (int frame = 0; frame < 20; ++frame) {
        for (Member& m : flock) {
            m.actor->setPosition(m.body.position.x, m.body.position.y, 0);
            m.actor->setVelocity(m.body.velocity.x, m.body.velocity.y, 0);
        }
        partitionQuadTree({-512, 512, -512, 512}, table, layout);
        for (std::size_t i = 0; i < flock.size(); ++i) {
            Member& m = flock[i];
            const FlockForces f = flockForces(layout, *m.actor, m.body, rules);
            forces[i] = f.total + wander(m.body, m.wander, m.random) * 0.25;
            digest.add(std::uint64_t{f.neighbours});
            addAll(digest, {f.separation.x, f.separation.y, f.alignment.x, f.alignment.y,
                            f.cohesion.x, f.cohesion.y, forces[i].x, forces[i].y});
        }
        for (std::size_t i = 0; i < flock.size(); ++i) {
            const SteeringBody& b = flock[i].body;
            applyForce(flock[i].body, forces[i], 1.0);
            addAll(digest, {b.position.x, b.position.y, b.velocity.x, b.velocity.y});
        }
    }
    return digest.hash;
}

// Two runs alike (nothing left from the first steers the second) and the golden value.
void expectGolden(std::uint64_t (*run)(), std::uint64_t golden) {
    const std::uint64_t first = run();
    EXPECT_EQ(first, run()) << "the run must not depend on state left by an earlier one";
    EXPECT_EQ(first, golden) << std::hex << "hash 0x" << first;
}

} // namespace

TEST(Determinism, ARunAPartitionWithQueriesAndAFlockHashToTheirGoldenValuesOnEveryTarget) {
    expectGolden(hashFixedRun, 0xc5afbc148e68e7e4u);
    expectGolden(hashFixedWorld, 0xa6e78fbfaebdd166u);
    expectGolden(hashFixedFlock, 0x62f1ebdf19aed19eu);
}
