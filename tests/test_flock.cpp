#include <engine/flock.h>

#include <engine/actor.h>
#include <engine/baseentity.h>
#include <engine/quadquery.h>

#include "capture.h"
#include "tables.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <cstring>
#include <memory>
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

    /// How much neighbours head one way: for each actor, the length of the mean unit velocity
    /// of it and the others within the distance (1 when all head alike), averaged.
    double localOrder(double within) {
        partitionQuadTree(kTestWorld, table, layout);
        double sum = 0;
        for (const auto& actor : actors_) {
            Vec2 headings;
            const std::size_t found =
                visitWithin(layout, actor->getPosition2D(), within, [&](Actor* other) {
                    headings += normalized(Vec2{other->velocity.x, other->velocity.y});
                });
            sum += headings.length() / static_cast<double>(found);
        }
        return sum / static_cast<double>(actors_.size());
    }

    /// The mean distance from each actor to its nearest other.
    double spacing() {
        partitionQuadTree(kTestWorld, table, layout);
        double sum = 0;
        for (const auto& actor : actors_) {
            sum += findNearest(layout, actor->getPosition2D(), actor.get()).distance;
        }
        return sum / static_cast<double>(actors_.size());
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
    // The flock takes the common cases of normalized, capLength and seek itself, and a run of a
    // flock is in the determinism hash: its forces must be theirs bit for bit. Caps that bind,
    // that would round above the maximum, a maximum that is the push's own length (where the
    // squares alone cannot tell), maxima whose squares leave the normal doubles, no maximum,
    // and velocities that are not finite.
    Flock flock;
    RandomSource random(7);
    for (int i = 0; i < 150; ++i) {
        const Vec2 place{random.symmetric() * 40, random.symmetric() * 40};
        const Vec2 velocity{random.symmetric(), random.symmetric()};
        flock.add(place, velocity);
    }
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
}

TEST_F(FlockTest, ThreeForcesFromTheNeighboursWithinTheRadiusWeightedAndSummed) {
    // Neighbours at (3, 0) and (0, 4); one beyond the radius and the actor itself left out.
    Flock flock;
    const Actor& self = flock.add({0, 0}, {0, 0});
    flock.add({3, 0}, {1, 0});
    flock.add({0, 4}, {0, 1});
    flock.add({100, 0}, {5, 5});
    const FlockRules rules{5, 1.5, 1, 1};
    const FlockForces f = flock.forces(self, rules);
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

TEST_F(FlockTest, EachNeighbourCountsOnceAsAScanOfTheTableFindsIt) {
    // Every kind of table (stacks, midlines, borders, NaN and infinite places): the count and
    // the centre are a scan's, so no neighbour is missed or taken twice.
    for (const TestTable::Kind kind : TestTable::kKinds) {
        TestTable table(kind, 300, 17);
        QuadTreeLayout layout;
        partitionQuadTree(kTestWorld, table.slots, layout);
        const FlockRules rules{40, 1, 1, 1};
        for (const Actor* actor : table.slots) {
            if (actor == nullptr) {
                continue;
            }
            const SteeringBody body{actor->getPosition2D(), {}, 1e9, 1e9};
            std::size_t count = 0;
            Vec2 offsets;
            for (const Actor* other : table.slots) {
                const Vec2 offset =
                    other == nullptr ? Vec2{} : other->getPosition2D() - body.position;
                if (other != nullptr && other != actor && lengthSquared(offset) <= 40 * 40) {
                    ++count;
                    offsets += offset;
                }
            }
            const FlockForces f = flockForces(layout, *actor, body, rules);
            ASSERT_EQ(f.neighbours, count) << "kind " << static_cast<int>(kind);
            if (count > 0 && lengthSquared(offsets) > 1e-12) {
                const Vec2 centre = offsets * (1.0 / static_cast<double>(count));
                ASSERT_TRUE(near(f.cohesion, normalized(centre) * 1e9, 1e-3))
                    << "kind " << static_cast<int>(kind);
            }
        }
    }
}

TEST_F(FlockTest, AloneStackedOrWithoutARadiusTheForcesAreDefined) {
    Flock flock;
    const Actor& self = flock.add({10, 10}, {0, 1});
    const FlockRules rules{5, 1, 1, 1};
    for (const double radius : {5.0, -1.0, static_cast<double>(NAN)}) {
        const FlockForces alone = flock.forces(self, {radius, 1, 1, 1});
        EXPECT_EQ(alone.neighbours, 0U);
        for (const Vec2 f : {alone.separation, alone.alignment, alone.cohesion, alone.total}) {
            EXPECT_TRUE(near(f, {0, 0}, 0)) << radius;
        }
    }
    // A neighbour on the actor pushes nowhere, yet counts for the centre (the actor's own
    // place: the force brakes) and the velocity; one exactly on the circle counts too.
    flock.add({10, 10}, {1, 1});
    const FlockForces stacked = flock.forces(self, rules);
    EXPECT_EQ(stacked.neighbours, 1U);
    EXPECT_TRUE(near(stacked.separation, {0, 0}, 0));
    EXPECT_TRUE(near(stacked.cohesion, {0, -1}));
    EXPECT_TRUE(near(stacked.alignment, Vec2{std::sqrt(0.5), std::sqrt(0.5) - 1}));
    // With another neighbour beside it, the pushes are that one's alone: 5 away, 1/5.
    flock.add({15, 10}, {1, 1});
    const FlockForces beside = flock.forces(self, rules);
    EXPECT_EQ(beside.neighbours, 2U);
    EXPECT_TRUE(near(beside.separation, {-0.2, 0}));
    // No force allowed: the neighbours are still counted, every force is zero.
    flock.maxForce = 0;
    const FlockForces none = flock.forces(self, rules);
    EXPECT_EQ(none.neighbours, 2U);
    EXPECT_TRUE(near(none.total, {0, 0}, 0) && near(none.separation, {0, 0}, 0));
}

TEST_F(FlockTest, AFlockLinesUpAndSeparationKeepsItsMembersApart) {
    // The same start twice, with and without separation: both line up, and the one that
    // separates keeps its members further apart. Nothing leaves the speed limit or turns NaN.
    double spacing[2] = {};
    for (const double separation : {0.0, 1.0}) {
        Flock flock;
        RandomSource random(2024);
        for (int i = 0; i < 200; ++i) {
            // Drawn in order: the order in which a call's arguments are taken is not fixed.
            const Vec2 place{random.symmetric() * 60, random.symmetric() * 60};
            const Vec2 velocity{random.symmetric(), random.symmetric()};
            flock.add(place, velocity);
        }
        flock.maxForce = 0.1;
        const double before = flock.localOrder(25);
        for (int frame = 0; frame < 150; ++frame) {
            flock.step({25, separation, 1, 1});
        }
        EXPECT_LT(before, 0.4);
        EXPECT_GT(flock.localOrder(25), 0.95) << "separation " << separation;

        for (const auto& actor : flock.actors()) {
            const SteeringBody b = flock.body(*actor);
            ASSERT_TRUE(std::isfinite(b.position.x) && std::isfinite(b.position.y));
            ASSERT_LE(b.velocity.length(), flock.maxSpeed);
        }
        spacing[separation > 0 ? 1 : 0] = flock.spacing();
    }
    EXPECT_GT(spacing[1], 2 * spacing[0]);
}
