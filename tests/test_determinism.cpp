// Fixed runs of the arithmetic, a partition with queries and a flock hash alike on every target.
#include <engine/actor.h>
#include <engine/flock.h>
#include <engine/quadquery.h>
#include <engine/steering.h>
#include <engine/trace.h>

#include "digest.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

static void addAll(Digest& digest, std::initializer_list<double> values) {
    for (const double value : values) {
        digest.add(value);
    }
}

// Table draws, wander steps and sums carrying rounding on: any extended precision shows.
static std::uint64_t hashFixedRun() {
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
static std::uint64_t hashFixedWorld() {
    const ScopedTraceRoute quiet(TraceRoute::nowhere());
    const std::uint32_t first = be_val;
    pi_idx = 2;
    WanderBehaviour behaviour{2.5, 7.0 / 9.0, 1.0 / 3.0, {0.1, 0.3}};
    std::vector<std::unique_ptr<Actor>> actors;
    Actor* table[kEntityTableSize] = {};
    for (std::size_t i = 0; i < 1000; ++i) {
        const double wanderX = behaviour.wander().x; // drawn before the table's number
        const double x = TableRandom() * 512 + wanderX;
        Vec2 p{i % 11 == 0 ? 64.0 * static_cast<double>(i % 9) - 256 : x,
               static_cast<double>(i % 97) / 0.37 - 131};
        p = i % 13 == 0 ? Vec2{1.0 / 3.0, 1.0 / 3.0} : p;
        p.y = i % 17 == 0 ? 512 + static_cast<double>(i % 3) : p.y;
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
            addAll(digest, {at[i].x, at[i].y});
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
        addId(findNearest(layout, p).actor);
        digest.add(findNearest(layout, p).distance);
        digest.add(std::uint64_t{visitWithin(layout, p, 40.0 / 3.0, addId)});
        const QuadRect box{p.x - 20, p.x + 1.0 / 7.0, p.y - 2.5, p.y + 30};
        digest.add(std::uint64_t{visitInRect(layout, box, addId)});
    }
    return digest.hash;
}

// 1000 actors with random sources of their own flocking and wandering for 20 frames.
static std::uint64_t hashFixedFlock() {
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
        table[i + 1] = m.actor.get();
        m.body.position = {places.symmetric() * 300, places.symmetric() * 300};
        m.body.velocity = {places.symmetric() * 2, places.symmetric() * 2};
        m.body.maxSpeed = 2.0 + static_cast<double>(i % 3) / 3.0;
        m.body.maxForce = 0.125 + static_cast<double>(i % 7) / 70.0;
        m.random = RandomSource(i);
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
            SteeringBody& b = flock[i].body;
            applyForce(b, forces[i], 1.0);
            addAll(digest, {b.position.x, b.position.y, b.velocity.x, b.velocity.y});
        }
    }
    return digest.hash;
}

TEST(Determinism, ARunAPartitionWithQueriesAndAFlockHashToTheirGoldenValuesOnEveryTarget) {
    for (const auto& [run, golden] :
         {std::pair<std::uint64_t (*)(), std::uint64_t>{hashFixedRun, 0xc5afbc148e68e7e4u},
          {hashFixedWorld, 0xa6e78fbfaebdd166u},
          {hashFixedFlock, 0x62f1ebdf19aed19eu}}) {
        const std::uint64_t first = run(); // and a second alike: nothing left steers it
        EXPECT_EQ(first, run());
        EXPECT_EQ(first, golden) << std::hex << "hash 0x" << first;
    }
}
