#include <engine/steering.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <utility>

namespace {

// Read during static initialisation, before any test has drawn.
const std::int32_t indexAtStart = pi_idx;

} // namespace

TEST(Steering, EachDrawStepsTheIndexAndReadsItsEntrySignedAbove60) {
    // A process's first draws, the sign kept at 60 and turned at 61, wraps, and stray indices.
    EXPECT_EQ(indexAtStart, 2);
    const struct {
        std::int32_t from;
        double draw;
        std::int32_t to;
    } steps[] = {{2, 0.2, 15},        {15, 0.9, 54}, {54, -0.0, 70}, {17, 0.5, 60},
                 {51, -0.9, 61},      {70, 0.8, 17}, {64, 0.1, 0},   {INT32_MAX, 0.5, 7},
                 {INT32_MIN, 0.3, 8}, {-1, 0.6, 6},  {100, 0.6, 6}};
    for (const auto& step : steps) {
        pi_idx = step.from;
        const double draw = TableRandom();
        EXPECT_TRUE(draw == step.draw && std::signbit(draw) == std::signbit(step.draw)) << draw;
        EXPECT_EQ(pi_idx, step.to) << "from " << step.from;
    }
}

TEST(Steering, WanderStaysOnTheCircleAheadAndRecoversACollapsedTarget) {
    // With the huge jitter the displaced target's squares overflow; its direction must remain.
    for (WanderBehaviour w : {WanderBehaviour{-2.5, 4.0, 1.3}, WanderBehaviour{2.0, 3.0, 1e300}}) {
        pi_idx = 2;
        for (std::int32_t i = 0; i < 1000; ++i) {
            const Vec2 fromCentre = w.wander() + Vec2(-w.m_dDistance, 0.0);
            ASSERT_NEAR(fromCentre.length(), std::fabs(w.m_dRadius), 1e-12) << "call " << i;
            ASSERT_NEAR(distance(fromCentre, w.m_vWanderTarget), 0, 1e-12) << "call " << i;
        }
    }
    // (1, 0) + (0.45, 0.1) on the circle of radius 2, 3 ahead; (3, 4) on the circle of radius 10,
    // 1 ahead, and through the centre for radius -10. No jitter still draws twice.
    const std::pair<WanderBehaviour, Vec2> cases[] = {
        {{2.0, 3.0, 0.5}, {4.9952606568459663, 0.1376041832307563}},
        {{10.0, 1.0, 0.0, {3.0, 4.0}}, {7.0, 8.0}},
        {{-10.0, 1.0, 0.0, {3.0, 4.0}}, {-5.0, -8.0}}};
    for (auto [w, want] : cases) {
        pi_idx = 2;
        EXPECT_NEAR(distance(w.wander(), want), 0, 1e-15);
        EXPECT_EQ(pi_idx, 54);
    }
    // A target of zero normalises into NaN for one call; the next starts again from (1, 0).
    WanderBehaviour degenerate{10.0, 1.0, 0.0, {0.0, 0.0}};
    const Vec2 lost = degenerate.wander();
    EXPECT_TRUE(std::isnan(lost.x) && std::isnan(lost.y));
    EXPECT_EQ(distance(degenerate.wander(), {11.0, 0.0}), 0);
    // A target on an axis has not collapsed: it keeps its direction from call to call.
    WanderBehaviour upward{10.0, 1.0, 0.0, {0.0, 4.0}};
    upward.wander();
    EXPECT_EQ(distance(upward.wander(), {1.0, 10.0}), 0);
    // Radius, distance and jitter 0 collapse the target onto zero; once set, it is found again.
    WanderBehaviour idle;
    idle.wander();
    EXPECT_FALSE(std::isnan(idle.wander().x));
    idle.m_dRadius = 1.0;
    idle.m_dDistance = 2.0;
    idle.m_dJitter = 0.4;
    EXPECT_NEAR(distance(idle.wander(), {2.0, 0.0}), 1.0, 1e-12);
}
