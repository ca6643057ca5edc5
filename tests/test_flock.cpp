#include <engine/flock.h>

#include <engine/actor.h>
#include <engine/baseentity.h>
#include <engine/quadquery.h>

#include "capture.h"
#include "near.h"
#include "tables.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <cstring>
#include <memory>
#include <vector>

namespace {

using FlockTest = TableTest;

struct Flock {
    Actor& add(Vec2 position, Vec2 velocity) {
        TraceCapture quiet;
        actors.push_back(std::make_unique<Actor>("f"));
        Actor& actor = *actors.back();
        actor.setPosition(position.x, position.y, 0);
        actor.setVelocity(velocity.x, velocity.y, 0);
        table[actors.size()] = &actor;
        return actor;
    }

    SteeringBody body(const Actor& actor) const {
        return {actor.getPosition2D(), {actor.velocity.x, actor.velocity.y}, 1, 10};
    }

    FlockForces forces(const Actor& actor, const FlockRules& rules) {
        partitionQuadTree(kTestWorld, table, layout);
        return flockForces(layout, actor, body(actor), rules);
    }

    Actor* table[kEntityTableSize] = {};
    QuadTreeLayout layout;
    std::vector<std::unique_ptr<Actor>> actors;
};

/// The forces as capLength, normalized and seek make them, summed in the query's order.
FlockForces reference(const QuadTreeLayout& layout, const Actor& actor, const SteeringBody& body,
                      const FlockRules& rules) {
    Vec2 push, velocity, offset;
    std::size_t count = 0;
    visitWithin(layout, body.position, rules.radius, [&](Actor* other, Vec2 at) {
        if (other == &actor) {
            return;
        }
        const Vec2 away = body.position - at;
        const double squared = lengthSquared(away);
        if (squared > 0) {
            push += Vec2(away.x / squared, away.y / squared);
        }
        velocity += Vec2(other->velocity.x, other->velocity.y);
        offset -= away;
        ++count;
    });
    FlockForces f;
    f.neighbours = count;
    if (count == 0) {
        return f;
    }
    const double speed = body.maxSpeed > 0 ? body.maxSpeed : 0.0;
    f.separation = capLength(push, body.maxForce);
    if (velocity.x != 0 || velocity.y != 0) {
        f.alignment = capLength(normalized(velocity) * speed - body.velocity, body.maxForce);
    }
    f.cohesion = seek(body, body.position + offset * (1.0 / static_cast<double>(count)));
    f.total = capLength(f.separation * rules.separation + f.alignment * rules.alignment +
                            f.cohesion * rules.cohesion,
                        body.maxForce);
    return f;
}

::testing::AssertionResult sameBits(const FlockForces& got, const FlockForces& want) {
    const Vec2 g[] = {got.separation, got.alignment, got.cohesion, got.total};
    const Vec2 w[] = {want.separation, want.alignment, want.cohesion, want.total};
    for (int i = 0; i < 4; ++i) {
        if (std::memcmp(&g[i], &w[i], sizeof(Vec2)) != 0) {
            return ::testing::AssertionFailure()
                   << "force " << i << ": " << near(g[i], w[i], 0).message();
        }
    }
    return got.neighbours == want.neighbours ? ::testing::AssertionSuccess()
                                             : ::testing::AssertionFailure()
                                                   << got.neighbours << " neighbours, not "
                                                   << want.neighbours;
}

} // namespace

TEST_F(FlockTest, TheForcesAreTheSteeringFunctionsOwnToTheLastBit) {
    // Caps that bind, round above, equal the push or leave the normal doubles.
    Flock flock;
    RandomSource random(7);
    for (int i = 0; i < 150; ++i) {
        const Vec2 place{random.symmetric() * 40, random.symmetric() * 40}; // drawn in order
        flock.add(place, {random.symmetric(), random.symmetric()});
    }
    partitionQuadTree(kTestWorld, flock.table, flock.layout);
    const FlockRules rules{20, 1.5, 1, 0.5};
    for (const auto& actor : flock.actors) {
        SteeringBody body = flock.body(*actor);
        body.maxForce = INFINITY;
        const double push = reference(flock.layout, *actor, body, rules).separation.length();
        const Vec2 own = body.velocity;
        for (const double maxForce :
             {0.05, 0.3, push, 1e-160, 1e160, static_cast<double>(INFINITY), 0.0, -1.0}) {
            for (const Vec2 velocity : {own, Vec2{NAN, 0}, Vec2{0, INFINITY}}) {
                for (const double maxSpeed : {2.0, 0.0, -1.0, 1e-160}) {
                    const SteeringBody b{body.position, velocity, maxSpeed, maxForce};
                    ASSERT_TRUE(sameBits(flockForces(flock.layout, *actor, b, rules),
                                         reference(flock.layout, *actor, b, rules)))
                        << "maximum force " << maxForce << ", speed " << maxSpeed;
                }
            }
        }
    }
    // Stacks, borders, NaN and infinite places: the actor left out, none counted twice.
    for (const TestTable::Kind kind : TestTable::kKinds) {
        TestTable table(kind, 300, 17);
        partitionQuadTree(kTestWorld, table.slots, flock.layout);
        for (const auto& actor : table.actors()) {
            const SteeringBody body{actor->getPosition2D(), {0.5, 0}, 1e9, 1e9};
            for (const FlockRules& within :
                 {FlockRules{40, 1, 1, 1}, FlockRules{INFINITY, 1, 1, 1}}) {
                ASSERT_TRUE(sameBits(flockForces(flock.layout, *actor, body, within),
                                     reference(flock.layout, *actor, body, within)))
                    << "kind " << static_cast<int>(kind) << ", radius " << within.radius;
            }
        }
    }
}

TEST_F(FlockTest, ThreeForcesFromTheNeighboursWithinTheRadiusWeightedAndSummed) {
    Flock flock;
    const Actor& self = flock.add({0, 0}, {0, 0});
    flock.add({3, 0}, {1, 0});
    flock.add({0, 4}, {0, 1});
    flock.add({100, 0}, {5, 5});
    const FlockForces f = flock.forces(self, {5, 1.5, 1, 1});
    ASSERT_EQ(f.neighbours, 2U);
    // Pushed by (-3, 0) / 9 + (0, -4) / 16; along the mean heading; towards (1.5, 2).
    const double half = std::sqrt(0.5);
    EXPECT_TRUE(near(f.separation, {-1.0 / 3, -0.25}) && near(f.alignment, {half, half}) &&
                near(f.cohesion, {0.6, 0.8}) && near(f.total, {0.1 + half, 0.425 + half}));
}

TEST_F(FlockTest, AloneStackedOrWithoutARadiusTheForcesAreDefined) {
    Flock flock;
    const Actor& self = flock.add({10, 10}, {0, 1});
    for (const double radius : {5.0, -1.0, static_cast<double>(NAN)}) {
        EXPECT_TRUE(sameBits(flock.forces(self, {radius, 1, 1, 1}), FlockForces{})) << radius;
    }
    // A neighbour on the actor pushes nowhere, yet counts for the centre and the velocity.
    flock.add({10, 10}, {1, 1});
    const FlockForces stacked = flock.forces(self, {5, 1, 1, 1});
    EXPECT_EQ(stacked.neighbours, 1U);
    EXPECT_TRUE(near(stacked.separation, {0, 0}, 0) && near(stacked.cohesion, {0, -1}) &&
                near(stacked.alignment, Vec2{std::sqrt(0.5), std::sqrt(0.5) - 1}));
}
