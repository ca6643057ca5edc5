#include <engine/behaviours.h>

#include "near.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <string>
#include <vector>

namespace {

/// Every behaviour towards or away from the point, by name; the radius is wander's jitter too.
std::vector<std::pair<std::string, Vec2>> everyForce(const SteeringBody& b, Vec2 point,
                                                     double radius, RandomSource& random) {
    Wander w{1, 2, radius, {1, 0}};
    return {{"seek", seek(b, point)},
            {"flee", flee(b, point)},
            {"arrive", arrive(b, point, radius)},
            {"pursuit", pursuit(b, point, point - b.position)},
            {"evade", evade(b, point, b.velocity)},
            {"wander", wander(b, w, random)}};
}

} // namespace

TEST(Behaviours, SeekFleePursuitAndEvadeSteerAtFullSpeedTowardsOrAwayFromWhereTheMoverWillBe) {
    const SteeringBody rising = SteeringBody{{5, 5}, {0, 1}, 2, 5};
    EXPECT_TRUE(near(seek(rising, {5, -5}), {0, -3}) && near(flee(rising, {15, 5}), {-2, -1}));
    const SteeringBody weak = SteeringBody{{5, 5}, {0, 1}, 2, 1};
    EXPECT_TRUE(near(seek(weak, {15, 5}), Vec2{2, -1} * (1 / std::sqrt(5.0))) &&
                near(flee(weak, {15, 5}), Vec2{-2, -1} * (1 / std::sqrt(5.0))));
    // 10 away at speed 2: five units of time, in which the quarry moves to (10, 5).
    const SteeringBody hunter = SteeringBody{{0, 0}, {0, 0}, 2, 5};
    EXPECT_TRUE(near(pursuit(hunter, {10, 0}, {0, 1}), Vec2{2, 1} * (2 / std::sqrt(5.0))) &&
                near(evade(hunter, {10, 0}, {0, 1}), Vec2{-2, -1} * (2 / std::sqrt(5.0))));
    // A quarry moving by no finite amount is sought where it is; a near one, ahead of it.
    EXPECT_TRUE(near(pursuit(hunter, {10, 0}, {NAN, 1}), {2, 0}) &&
                near(evade(hunter, {10, 0}, {INFINITY, 0}), {-2, 0}));
    EXPECT_TRUE(near(pursuit(hunter, {1, 0}, {0, 4}), seek(hunter, {1, 2})));
}

TEST(Behaviours, ArriveSlowsWithinItsRadiusAndComesToRestOnTheTargetWithoutPassingIt) {
    const SteeringBody still = SteeringBody{{0, 0}, {0, 0}, 4, 10};
    EXPECT_TRUE(near(arrive(still, {10, 0}, 20), {2, 0}) &&
                near(arrive(still, {0, -30}, 20), {0, -4}));
    for (const Vec2 start : {Vec2{-100, 0}, Vec2{70, 70}, Vec2{0.5, -300}}) {
        SteeringBody b = SteeringBody{start, {0, 0}, 4, 10};
        const Vec2 target{3, 1};
        for (int t = 0; t < 400; ++t) {
            applyForce(b, arrive(b, target, 20), 1);
            ASSERT_GE(dot(target - b.position, target - start), 0) << "passed it at step " << t;
        }
        EXPECT_LT(distance(b.position, target) + b.velocity.length(), 1e-9);
    }
    // Without a usable radius it is seek; an overflowing distance lies beyond any radius.
    for (const double radius : {0.0, -5.0, static_cast<double>(NAN)}) {
        EXPECT_TRUE(near(arrive(still, {3, 4}, radius), {2.4, 3.2})) << radius;
    }
    EXPECT_TRUE(near(arrive(still, {DBL_MAX, DBL_MAX}, INFINITY), Vec2{1, 1} * std::sqrt(8.0)));
}

TEST(Behaviours, WanderDrawsTwiceFromItsOwnSourceTurnsWithTheBodyAndRecoversACollapsedTarget) {
    // With no jitter the point ahead is the target plus the distance, turned by the heading.
    RandomSource source(5);
    Wander steady{1, 2, 0, {1, 0}};
    EXPECT_TRUE(near(wander(SteeringBody{{9, 9}, {0, 0}, 1, 10}, steady, source), {3, 0}));
    steady.target = {0, 1};
    EXPECT_TRUE(near(wander(SteeringBody{{9, 9}, {0, 5}, 1, 10}, steady, source), {-1, 2}));
    // The target moves by (first draw, second draw) times the jitter, back onto the circle.
    RandomSource a(11);
    RandomSource expected = a;
    Wander w{3, 2, 0.5, {1, 0}}; // radius 3, jitter 0.5
    wander(SteeringBody{{0, 0}, {1, 0}, 1, 100}, w, a);
    const double dx = expected.symmetric() * 0.5;
    const double dy = expected.symmetric() * 0.5;
    EXPECT_TRUE(near(w.target, normalized(Vec2{1 + dx, dy}) * 3));
    EXPECT_EQ(a.state, expected.state);
    // A collapsed target starts again straight ahead.
    for (const Vec2 lost : {Vec2{0, 0}, Vec2{NAN, 1}, Vec2{INFINITY, 0}}) {
        Wander reset{2, 2, 0, lost}; // radius 2, no jitter
        EXPECT_TRUE(near(wander(SteeringBody{{0, 0}, {0, 0}, 1, 10}, reset, source), {4, 0}));
        EXPECT_TRUE(near(reset.target, {2, 0}));
    }
}

TEST(Behaviours, ApplyForceCapsTheForceAndTheSpeedAndMovesByTheVelocity) {
    SteeringBody b = SteeringBody{{0, 0}, {0, 0}, 2, 1};
    for (const double x : {1.0, 3.0, 5.0}) {
        applyForce(b, {10, 0}, 1);
        EXPECT_TRUE(near(b.position, {x, 0}));
    }
    applyForce(b, {0, -1}, 0.5);
    const Vec2 v = capLength({2, -0.5}, 2);
    EXPECT_TRUE(near(b.velocity, v) && near(b.position, Vec2{5, 0} + 0.5 * v)) << "by dt";
    // No finite time: nothing moves, even a body over its maximum. No finite force: it coasts.
    for (const double dt : {0.0, -1.0, static_cast<double>(NAN), static_cast<double>(INFINITY)}) {
        for (const SteeringBody& start : {b, SteeringBody{{1, 2}, {10, 0}, 2, 1}}) {
            SteeringBody same = start;
            applyForce(same, {10, 0}, dt);
            EXPECT_TRUE(near(same.position, start.position, 0) &&
                        near(same.velocity, start.velocity, 0))
                << dt;
        }
    }
    SteeringBody coasting = b;
    applyForce(coasting, {NAN, 1}, 1);
    EXPECT_TRUE(near(coasting.velocity, b.velocity, 0) &&
                near(coasting.position, b.position + b.velocity, 0));
}

TEST(Behaviours, AtTheTargetOrWithoutAMaximumEveryForceIsDefined) {
    // On the target (or one that is nowhere): seek and arrive brake, flee runs on; still, nothing.
    const SteeringBody moving = SteeringBody{{1, 1}, {0, 3}, 2, 0.5};
    for (const Vec2 f : {seek(moving, {1, 1}), arrive(moving, {1, 1}, 10), flee(moving, {1, 1}),
                         seek(moving, {NAN, 0})}) {
        EXPECT_TRUE(near(f, {0, -0.5}));
    }
    EXPECT_TRUE(near(flee(SteeringBody{{1, 1}, {0, 1}, 2, 5}, {1, 1}), {0, 1}));
    const SteeringBody still = SteeringBody{{1, 1}, {0, 0}, 2, 5};
    for (const Vec2 f : {seek(still, {1, 1}), flee(still, {1, 1}), arrive(still, {1, 1}, 3)}) {
        EXPECT_TRUE(near(f, {0, 0}, 0));
    }
    // A body that is nowhere, moves by no finite amount or has no maximum force: no force.
    RandomSource random;
    const double nan = NAN;
    const SteeringBody none[] = {
        SteeringBody{{nan, 1}, {0, 3}, 2, 5},       SteeringBody{{1, 1}, {0, nan}, 2, 5},
        SteeringBody{{1, -INFINITY}, {0, 3}, 2, 5}, SteeringBody{{1, 1}, {0, 3}, 2, 0},
        SteeringBody{{1, 1}, {0, 3}, 2, -1},        SteeringBody{{1, 1}, {0, 3}, 2, nan}};
    for (const SteeringBody& b : none) {
        for (const auto& [name, f] : everyForce(b, {7, 9}, 4, random)) {
            EXPECT_TRUE(near(f, {0, 0}, 0)) << name << ", body " << &b - none;
        }
    }
    // No maximum speed: every wanted velocity is zero, and the body stays.
    for (const double maxSpeed : {0.0, -1.0, nan}) {
        SteeringBody stays = SteeringBody{{1, 1}, {0, 3}, maxSpeed, 5};
        EXPECT_TRUE(near(seek(stays, {7, 9}), {0, -3}) &&
                    near(evade(stays, {7, 9}, {1, 1}), {0, -3}));
        applyForce(stays, {1, 1}, 1);
        EXPECT_TRUE(near(stays.position, {1, 1}, 0)) << maxSpeed;
    }
}

TEST(Behaviours, EveryForceIsFiniteAndWithinItsMaximumWhateverItIsGiven) {
    const double values[] = {0.0, -0.0, 1.0, -3.5, 1e-300, 1e300, -1e300, NAN, INFINITY};
    RandomSource random(99);
    for (const double a : values) {
        for (const double b : values) {
            for (const double c : {0.25, 3.0, 1e300}) {
                const SteeringBody bodies[] = {SteeringBody{{a, 1}, {b, -2}, c, 1.5},
                                               SteeringBody{{2, b}, {a, 0}, 2, c},
                                               SteeringBody{{a, b}, {1, 1}, c, c}};
                for (const SteeringBody& s : bodies) {
                    for (const auto& [name, f] : everyForce(s, {b, a}, c, random)) {
                        ASSERT_TRUE(std::isfinite(f.x) && std::isfinite(f.y)) << name;
                        ASSERT_LE(f.length(), s.maxForce > 0 ? s.maxForce : 0) << name;
                    }
                }
            }
        }
    }
}
