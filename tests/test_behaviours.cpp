#include <engine/behaviours.h>

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

namespace {

::testing::AssertionResult near(Vec2 got, Vec2 want, double tolerance = 1e-12) {
    if (std::fabs(got.x - want.x) <= tolerance && std::fabs(got.y - want.y) <= tolerance) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure()
           << "(" << got.x << ", " << got.y << ") instead of (" << want.x << ", " << want.y << ")";
}

SteeringBody body(Vec2 position, Vec2 velocity, double maxSpeed, double maxForce) {
    return {position, velocity, maxSpeed, maxForce};
}

/// Every behaviour of the body towards or away from the point, by name.
std::vector<std::pair<std::string, Vec2>> everyForce(const SteeringBody& b, Vec2 point,
                                                     double radius, RandomSource& random) {
    Wander w{1, 2, radius, {1, 0}}; // jitter: the radius
    return {{"seek", seek(b, point)},
            {"flee", flee(b, point)},
            {"arrive", arrive(b, point, radius)},
            {"pursuit", pursuit(b, point, point - b.position)},
            {"evade", evade(b, point, b.velocity)},
            {"wander", wander(b, w, random)}};
}

} // namespace

TEST(Behaviours, SeekHeadsForTheTargetAndFleeAwayFromItAtFullSpeed) {
    const SteeringBody still = body({0, 0}, {0, 0}, 2, 5);
    EXPECT_TRUE(near(seek(still, {10, 0}), {2, 0}));
    EXPECT_TRUE(near(flee(still, {10, 0}), {-2, 0}));
    // The force is what turns the present velocity into the wanted one.
    const SteeringBody rising = body({5, 5}, {0, 1}, 2, 5);
    EXPECT_TRUE(near(seek(rising, {5, -5}), {0, -3}));
    EXPECT_TRUE(near(seek(rising, {15, 5}), {2, -1}));
    EXPECT_TRUE(near(flee(rising, {15, 5}), {-2, -1}));
    // Capped at the maximum force, along the same line.
    const SteeringBody weak = body({5, 5}, {0, 1}, 2, 1);
    EXPECT_TRUE(near(seek(weak, {15, 5}), Vec2{2, -1} * (1 / std::sqrt(5.0))));
    EXPECT_TRUE(near(flee(weak, {15, 5}), Vec2{-2, -1} * (1 / std::sqrt(5.0))));
}

TEST(Behaviours, PursuitAndEvadeAimAtWhereTheMoverWillBe) {
    // 10 away at speed 2: five units of time, in which the quarry moves to (10, 5).
    const SteeringBody hunter = body({0, 0}, {0, 0}, 2, 5);
    EXPECT_TRUE(near(pursuit(hunter, {10, 0}, {0, 1}), seek(hunter, {10, 5})));
    EXPECT_TRUE(near(evade(hunter, {10, 0}, {0, 1}), flee(hunter, {10, 5})));
    // A hunter that cannot move, or a quarry whose motion is not finite: sought where it is.
    const SteeringBody stuck = body({0, 0}, {0, 0}, 0, 5);
    EXPECT_TRUE(near(pursuit(stuck, {10, 0}, {0, 1}), seek(stuck, {10, 0})));
    EXPECT_TRUE(near(pursuit(hunter, {10, 0}, {NAN, 1}), seek(hunter, {10, 0})));
    EXPECT_TRUE(near(evade(hunter, {10, 0}, {INFINITY, 0}), flee(hunter, {10, 0})));
    // A quarry nearer than one step still has its motion taken into account.
    EXPECT_TRUE(near(pursuit(hunter, {1, 0}, {0, 4}), seek(hunter, {1, 2})));
    // Pursuit reaches a crossing quarry sooner than seek, which trails it.
    const auto stepsToReach = [](bool predict) {
        SteeringBody hunter = body({0, 0}, {0, 0}, 2, 0.5);
        Vec2 quarry{40, -40};
        const Vec2 quarryVelocity{0, 1.6};
        for (int t = 0; t < 200; ++t) {
            const Vec2 force =
                predict ? pursuit(hunter, quarry, quarryVelocity) : seek(hunter, quarry);
            applyForce(hunter, force, 1);
            quarry += quarryVelocity;
            if (distance(hunter.position, quarry) < 2) {
                return t;
            }
        }
        return 200;
    };
    EXPECT_LT(stepsToReach(true) + 5, stepsToReach(false));
}

TEST(Behaviours, ArriveSlowsWithinItsRadiusAndComesToRestOnTheTargetWithoutPassingIt) {
    const SteeringBody still = body({0, 0}, {0, 0}, 4, 10);
    EXPECT_TRUE(near(arrive(still, {10, 0}, 20), {2, 0}));
    EXPECT_TRUE(near(arrive(still, {0, -30}, 20), seek(still, {0, -30})));
    for (const Vec2 start : {Vec2{-100, 0}, Vec2{70, 70}, Vec2{0.5, -300}}) {
        SteeringBody b = body(start, {0, 0}, 4, 10);
        const Vec2 target{3, 1};
        const Vec2 approach = normalized(target - start);
        for (int t = 0; t < 400; ++t) {
            applyForce(b, arrive(b, target, 20), 1);
            ASSERT_GE(dot(target - b.position, approach), 0) << "passed the target at step " << t;
        }
        EXPECT_LT(distance(b.position, target), 1e-9);
        EXPECT_LT(b.velocity.length(), 1e-9);
    }
    // Without a usable radius it is seek, all the way in.
    for (const double radius : {0.0, -5.0, static_cast<double>(NAN)}) {
        EXPECT_TRUE(near(arrive(still, {3, 4}, radius), seek(still, {3, 4}))) << radius;
    }
    // A target whose distance overflows lies beyond any radius, an infinite one included.
    const Vec2 far{DBL_MAX, DBL_MAX};
    EXPECT_TRUE(near(arrive(still, far, INFINITY), seek(still, far)));
    EXPECT_GT(seek(still, far).length(), 1);
}

TEST(Behaviours, WanderDrawsTwiceFromItsOwnSourceTurnsWithTheBodyAndRecoversACollapsedTarget) {
    // With no jitter the point ahead is the target plus the distance, turned by the heading.
    RandomSource source(5);
    Wander steady;
    steady.jitter = 0;
    EXPECT_TRUE(near(wander(body({9, 9}, {0, 0}, 1, 10), steady, source), {3, 0}));
    steady.target = {0, 1};
    EXPECT_TRUE(near(wander(body({9, 9}, {0, 5}, 1, 10), steady, source), {-1, 2}));
    EXPECT_TRUE(
        near(wander(body({9, 9}, {0, 5}, 1, 0.5), steady, source), {-0.2 / 0.9, 0.4 / 0.9}, 0.3));

    // The target moves by (first draw, second draw) times the jitter, back onto the circle.
    RandomSource a(11);
    RandomSource expected = a;
    Wander w{3, 2, 0.5, {1, 0}}; // radius 3, jitter 0.5
    wander(body({0, 0}, {1, 0}, 1, 100), w, a);
    const double dx = expected.symmetric() * 0.5;
    const double dy = expected.symmetric() * 0.5;
    EXPECT_TRUE(near(w.target, normalized(Vec2{1 + dx, dy}) * 3));
    EXPECT_EQ(a.state, expected.state);

    // A collapsed target starts again straight ahead.
    for (const Vec2 lost : {Vec2{0, 0}, Vec2{NAN, 1}, Vec2{INFINITY, 0}}) {
        Wander reset{2, 2, 0, lost}; // radius 2, no jitter
        EXPECT_TRUE(near(wander(body({0, 0}, {0, 0}, 1, 10), reset, source), {4, 0}));
        EXPECT_TRUE(near(reset.target, {2, 0}));
    }
}

TEST(Behaviours, ApplyForceCapsTheForceAndTheSpeedAndMovesByTheVelocity) {
    SteeringBody b = body({0, 0}, {0, 0}, 2, 1);
    const Vec2 push{10, 0};
    for (const double x : {1.0, 3.0, 5.0}) {
        applyForce(b, push, 1);
        EXPECT_TRUE(near(b.position, {x, 0}));
    }
    EXPECT_TRUE(near(b.velocity, {2, 0}));
    applyForce(b, {0, -1}, 0.5);
    EXPECT_TRUE(near(b.velocity, capLength({2, -0.5}, 2)));
    // No time, or no finite time: nothing moves. No finite force: the body coasts.
    // A body faster than its maximum keeps its speed too: no step, no cap.
    SteeringBody fast = body({1, 2}, {10, 0}, 2, 1);
    for (const double dt :
         {0.0, -0.0, -1.0, static_cast<double>(NAN), static_cast<double>(INFINITY)}) {
        for (const SteeringBody& start : {b, fast}) {
            SteeringBody same = start;
            applyForce(same, push, dt);
            EXPECT_TRUE(near(same.position, start.position, 0) &&
                        near(same.velocity, start.velocity, 0))
                << dt;
        }
    }
    SteeringBody coasting = b;
    applyForce(coasting, {NAN, 1}, 1);
    EXPECT_TRUE(near(coasting.velocity, b.velocity, 0));
    EXPECT_TRUE(near(coasting.position, b.position + b.velocity, 0));
}

TEST(Behaviours, AtTheTargetOrWithoutAMaximumEveryForceIsDefined) {
    // On the target: seek and arrive brake, flee runs on the way it goes; standing still there,
    // nothing. A target that is nowhere is treated as on the body.
    const SteeringBody moving = body({1, 1}, {0, 3}, 2, 0.5);
    EXPECT_TRUE(near(seek(moving, {1, 1}), {0, -0.5}));
    EXPECT_TRUE(near(arrive(moving, {1, 1}, 10), {0, -0.5}));
    EXPECT_TRUE(near(flee(moving, {1, 1}), {0, -0.5}));
    EXPECT_TRUE(near(flee(body({1, 1}, {0, 1}, 2, 5), {1, 1}), {0, 1}));
    EXPECT_TRUE(near(seek(moving, {NAN, 0}), {0, -0.5}));
    const SteeringBody still = body({1, 1}, {0, 0}, 2, 5);
    for (const Vec2 f : {seek(still, {1, 1}), flee(still, {1, 1}), arrive(still, {1, 1}, 3)}) {
        EXPECT_TRUE(near(f, {0, 0}, 0));
    }
    // A body that is nowhere, or whose motion is not finite, is steered by nothing.
    RandomSource draws;
    for (const SteeringBody& lost : {body({NAN, 1}, {0, 3}, 2, 5), body({1, 1}, {0, NAN}, 2, 5),
                                     body({1, -INFINITY}, {0, 3}, 2, 5)}) {
        for (const auto& [name, f] : everyForce(lost, {7, 9}, 4, draws)) {
            EXPECT_TRUE(near(f, {0, 0}, 0)) << name;
        }
    }
    // No maximum force: no force at all. No maximum speed: every wanted velocity is zero.
    RandomSource random;
    for (const double maxForce : {0.0, -1.0, static_cast<double>(NAN)}) {
        for (const auto& [name, f] :
             everyForce(body({1, 1}, {0, 3}, 2, maxForce), {7, 9}, 4, random)) {
            EXPECT_TRUE(near(f, {0, 0}, 0)) << name << ", maxForce " << maxForce;
        }
    }
    for (const double maxSpeed : {0.0, -1.0, static_cast<double>(NAN)}) {
        const SteeringBody cannot = body({1, 1}, {0, 3}, maxSpeed, 5);
        EXPECT_TRUE(near(seek(cannot, {7, 9}), {0, -3})) << maxSpeed;
        EXPECT_TRUE(near(evade(cannot, {7, 9}, {1, 1}), {0, -3})) << maxSpeed;
        SteeringBody stays = cannot;
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
                const SteeringBody bodies[] = {body({a, 1}, {b, -2}, c, 1.5),
                                               body({2, b}, {a, 0}, 2, c),
                                               body({a, b}, {1, 1}, c, c)};
                for (const SteeringBody& s : bodies) {
                    for (const auto& [name, f] : everyForce(s, {b, a}, c, random)) {
                        ASSERT_TRUE(std::isfinite(f.x) && std::isfinite(f.y)) << name;
                        ASSERT_LE(f.length(), s.maxForce > 0 ? s.maxForce : 0) << name;
                    }
                }
            }
        }
    }
    // Ordinary bodies and targets, drawn: the force reaches its maximum but never passes it.
    for (int i = 0; i < 3000; ++i) {
        const double maxForce = 0.01 + random.unit() * 3;
        // Drawn in order: the order in which a call's arguments are taken is not fixed.
        const Vec2 position{random.symmetric() * 500, random.symmetric() * 500};
        const Vec2 velocity{random.symmetric() * 9, random.symmetric() * 9};
        const double maxSpeed = 0.1 + random.unit() * 10;
        const SteeringBody s = body(position, velocity, maxSpeed, maxForce);
        const Vec2 point{random.symmetric() * 500, random.symmetric() * 500};
        for (const auto& [name, f] : everyForce(s, point, random.unit() * 50, random)) {
            ASSERT_LE(f.length(), maxForce) << name << " at draw " << i;
        }
    }
}
