#include <engine/flock.h>

#include <engine/actor.h>
#include <engine/baseentity.h>
#include <engine/quadquery.h>

#include "capture.h"
#include "tables.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <utility>
#include <vector>

namespace {

using FlockTest = TableTest;

::testing::AssertionResult near(Vec2 got, Vec2 want, double tolerance = 1e-12) {
    if (std::fabs(got.x - want.x) <= tolerance && std::fabs(got.y - want.y) <= tolerance) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure()
           << "(" << got.x << ", " << got.y << ") instead of (" << want.x << ", " << want.y << ")";
}

/// Actors in a table of their own, with the bodies the flock steers.
class Flock {
public:
    Actor& add(Vec2 position, Vec2 velocity) {
        TraceCapture quiet;
        actors_.push_back(std::make_unique<Actor>("f"));
        Actor& actor = *actors_.back();
        actor.setPosition(position.x, position.y, 0);
        actor.setVelocity(velocity.x, velocity.y, 0);
        table[actors_.size()] = &actor;
        return actor;
    }

    SteeringBody body(const Actor& actor) const {
        return {actor.getPosition2D(), {actor.velocity.x, actor.velocity.y}, maxSpeed, maxForce};
    }

    FlockForces forces(const Actor& actor, const FlockRules& rules) {
        partitionQuadTree(kTestWorld, table, layout);
        return flockForces(layout, actor, body(actor), rules);
    }

    /// count actors drawn from the seed, placed within extent and moving at most 1 each way.
    void scatter(int count, std::uint64_t seed, double extent) {
        RandomSource random(seed);
        for (int i = 0; i < count; ++i) {
            // Drawn in order: the order in which a call's arguments are taken is not fixed.
            const Vec2 place{random.symmetric() * extent, random.symmetric() * extent};
            const Vec2 velocity{random.symmetric(), random.symmetric()};
            add(place, velocity);
        }
    }

    /// One frame: every force from one partition, then every move.
    void step(const FlockRules& rules) {
        partitionQuadTree(kTestWorld, table, layout);
        std::vector<Vec2> total;
        for (const auto& actor : actors_) {
            total.push_back(flockForces(layout, *actor, body(*actor), rules).total);
        }
        for (std::size_t i = 0; i < actors_.size(); ++i) {
            SteeringBody b = body(*actors_[i]);
            applyForce(b, total[i], 1);
            actors_[i]->setPosition(b.position.x, b.position.y, 0);
            actors_[i]->setVelocity(b.velocity.x, b.velocity.y, 0);
        }
    }

    /// How alike neighbours head (the length of the mean unit velocity of each actor and the
    /// others within the distance, 1 when all head alike) and the distance to the nearest
    /// other, each averaged over the actors.
    std::pair<double, double> orderAndSpacing(double within) {
        partitionQuadTree(kTestWorld, table, layout);
        double order = 0;
        double spacing = 0;
        for (const auto& actor : actors_) {
            Vec2 headings;
            const std::size_t found =
                visitWithin(layout, actor->getPosition2D(), within, [&](Actor* other) {
                    headings += normalized(Vec2{other->velocity.x, other->velocity.y});
                });
            order += headings.length() / static_cast<double>(found);
            spacing += findNearest(layout, actor->getPosition2D(), actor.get()).distance;
        }
        const double n = static_cast<double>(actors_.size());
        return {order / n, spacing / n};
    }

    const std::vector<std::unique_ptr<Actor>>& actors() const { return actors_; }

    Actor* table[kEntityTableSize] = {};
    QuadTreeLayout layout;
    double maxSpeed = 1;
    double maxForce = 10;

private:
    std::vector<std::unique_ptr<Actor>> actors_;
};

/// The forces as the steering functions make them: the sums in the order the query hands the
/// neighbours, then capLength, normalized and seek themselves.
FlockForces reference(const QuadTreeLayout& layout, const Actor& actor, const SteeringBody& body,
                      const FlockRules& rules) {
    Vec2 push;
    Vec2 velocity;
    Vec2 offset;
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
    if (got.neighbours != want.neighbours) {
        return ::testing::AssertionFailure()
               << got.neighbours << " neighbours, not " << want.neighbours;
    }
    const Vec2 pairs[4][2] = {{got.separation, want.separation},
                              {got.alignment, want.alignment},
                              {got.cohesion, want.cohesion},
                              {got.total, want.total}};
    for (const auto& pair : pairs) {
        if (std::memcmp(&pair[0], &pair[1], sizeof(Vec2)) != 0) {
            return ::testing::AssertionFailure() << near(pair[0], pair[1], 0).message();
        }
    }
    return ::testing::AssertionSuccess();
}

} // namespace

TEST_F(FlockTest, TheForcesAreTheSteeringFunctionsOwnToTheLastBit) {
    // The flock takes the common cases of normalized, capLength and seek itself, and a flock is
    // in the determinism hash: its forces must be theirs bit for bit. Caps that bind, that would
    // round above the maximum, equal to the push's length, with squares beyond the normal
    // doubles, no maximum; speeds and velocities that are not usable.
    Flock flock;
    flock.scatter(150, 7, 40);
    partitionQuadTree(kTestWorld, flock.table, flock.layout);
    const FlockRules rules{20, 1.5, 1, 0.5};
    for (const auto& actor : flock.actors()) {
        SteeringBody body = flock.body(*actor);
        const Vec2 own = body.velocity;
        body.maxForce = INFINITY;
        const double push = reference(flock.layout, *actor, body, rules).separation.length();
        for (const double maxForce :
             {0.05, 0.3, push, 1e-160, 1e160, static_cast<double>(INFINITY), 0.0, -1.0}) {
            for (const Vec2 velocity : {own, Vec2{NAN, 0}, Vec2{0, INFINITY}}) {
                for (const double maxSpeed : {2.0, 0.0, 1e-160}) {
                    body.maxForce = maxForce;
                    body.velocity = velocity;
                    body.maxSpeed = maxSpeed;
                    ASSERT_TRUE(sameBits(flockForces(flock.layout, *actor, body, rules),
                                         reference(flock.layout, *actor, body, rules)))
                        << "maximum force " << maxForce << ", speed " << maxSpeed;
                }
            }
        }
    }
    // A body that is nowhere finds its neighbours only within an infinite radius; it steers
    // towards none of them.
    SteeringBody nowhere = flock.body(*flock.actors()[0]);
    nowhere.position = {INFINITY, 0};
    const FlockRules everywhere{INFINITY, 1, 1, 1};
    const FlockForces lost = flockForces(flock.layout, *flock.actors()[0], nowhere, everywhere);
    EXPECT_GT(lost.neighbours, 0U);
    EXPECT_TRUE(sameBits(lost, reference(flock.layout, *flock.actors()[0], nowhere, everywhere)));
    // Every kind of table (stacks, midlines, borders, NaN and infinite places): the actor itself
    // left out, no neighbour taken twice.
    for (const TestTable::Kind kind : TestTable::kKinds) {
        TestTable table(kind, 300, 17);
        partitionQuadTree(kTestWorld, table.slots, flock.layout);
        for (const auto& actor : table.actors()) {
            const SteeringBody body{actor->getPosition2D(), {}, 1e9, 1e9};
            ASSERT_TRUE(sameBits(flockForces(flock.layout, *actor, body, {40, 1, 1, 1}),
                                 reference(flock.layout, *actor, body, {40, 1, 1, 1})))
                << "kind " << static_cast<int>(kind);
        }
    }
}

TEST_F(FlockTest, ThreeForcesFromTheNeighboursWithinTheRadiusWeightedAndSummed) {
    // Neighbours at (3, 0) and (0, 4); one beyond the radius and the actor itself left out.
    Flock flock;
    const Actor& self = flock.add({0, 0}, {0, 0});
    flock.add({3, 0}, {1, 0});
    flock.add({0, 4}, {0, 1});
    flock.add({100, 0}, {5, 5});
    const FlockForces f = flock.forces(self, {5, 1.5, 1, 1});
    EXPECT_EQ(f.neighbours, 2U);
    // Pushed by (-3, 0) / 9 + (0, -4) / 16; along the mean heading; towards the centre (1.5, 2).
    const double half = std::sqrt(0.5);
    EXPECT_TRUE(near(f.separation, {-1.0 / 3, -0.25}));
    EXPECT_TRUE(near(f.alignment, {half, half}));
    EXPECT_TRUE(near(f.cohesion, {0.6, 0.8}));
    EXPECT_TRUE(near(f.total, {0.1 + half, 0.425 + half}));
    // Each force capped along its own line; heavy weights make a sum that is capped too.
    flock.maxForce = 0.25;
    const FlockForces weak = flock.forces(self, {5, 10, 10, 10});
    EXPECT_TRUE(near(weak.separation, {-0.2, -0.15}));
    EXPECT_TRUE(near(weak.cohesion, {0.15, 0.2}));
    EXPECT_TRUE(
        near(weak.total, normalized(weak.separation + weak.alignment + weak.cohesion) * 0.25));
}

TEST_F(FlockTest, AloneStackedOrWithoutARadiusTheForcesAreDefined) {
    Flock flock;
    const Actor& self = flock.add({10, 10}, {0, 1});
    for (const double radius : {5.0, -1.0, static_cast<double>(NAN)}) {
        EXPECT_TRUE(sameBits(flock.forces(self, {radius, 1, 1, 1}), FlockForces{})) << radius;
    }
    // A neighbour on the actor pushes nowhere, yet counts for the centre (the actor's own
    // place: the force brakes) and the velocity.
    flock.add({10, 10}, {1, 1});
    const FlockForces stacked = flock.forces(self, {5, 1, 1, 1});
    EXPECT_EQ(stacked.neighbours, 1U);
    EXPECT_TRUE(near(stacked.separation, {0, 0}, 0));
    EXPECT_TRUE(near(stacked.cohesion, {0, -1}));
    EXPECT_TRUE(near(stacked.alignment, Vec2{std::sqrt(0.5), std::sqrt(0.5) - 1}));
}

TEST_F(FlockTest, AFlockLinesUpAndSeparationKeepsItsMembersApart) {
    // The same start twice, with and without separation: both line up, and the one that
    // separates keeps its members further apart.
    double spacing[2] = {};
    for (const int separation : {0, 1}) {
        Flock flock;
        flock.scatter(200, 2024, 60);
        flock.maxForce = 0.1;
        EXPECT_LT(flock.orderAndSpacing(25).first, 0.4);
        for (int frame = 0; frame < 150; ++frame) {
            flock.step({25, static_cast<double>(separation), 1, 1});
        }
        const auto [order, apart] = flock.orderAndSpacing(25);
        EXPECT_GT(order, 0.95) << "separation " << separation;
        spacing[separation] = apart;
    }
    EXPECT_GT(spacing[1], 2 * spacing[0]);
}
