// The wander picture: the circle ahead of a steering entity and the targets of successive
// real wander calls, in the entity's local coordinates (+x ahead).
#include "figures.h"
#include "svg.h"

#include <engine/steering.h>
#include <engine/vectors.h>

#include <cmath>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

constexpr double kRadius = 50;
constexpr double kDistance = 100;
constexpr double kJitter = 25;
constexpr int kCalls = 20;
/// The random index as a process starts, so that the calls are a run's first.
constexpr std::int32_t kStartIndex = 2;

/// The local plane drawn in pixels, +x to the right and +y up, the entity at the origin.
struct LocalView {
    Point origin;
    double scale;
    Point at(Vec2 v) const { return {origin.x + v.x * scale, origin.y - v.y * scale}; }
};

/// The draws the next wander call will make, read ahead and the index set back.
Vec2 nextDisplacement() {
    const std::int32_t index = pi_idx;
    const double a = TableRandom() * kJitter;
    const double b = TableRandom() * kJitter;
    pi_idx = index;
    return {b, a};
}

/// The result of every call, and the last call's target before and after its displacement.
struct WanderRun {
    std::vector<Vec2> targets;
    Vec2 before;    ///< The last call's target on entry, relative to the circle's centre.
    Vec2 displaced; ///< The same, displaced by the last call's draws.
};

WanderRun runWander() {
    pi_idx = kStartIndex;
    WanderBehaviour wanderer;
    wanderer.m_dRadius = kRadius;
    wanderer.m_dDistance = kDistance;
    wanderer.m_dJitter = kJitter;
    WanderRun run;
    for (int call = 0; call < kCalls; ++call) {
        run.before = wanderer.m_vWanderTarget;
        run.displaced = run.before + nextDisplacement();
        run.targets.push_back(wanderer.wander());
    }
    // The displaced point, put back on the circle, must be the last target: else the read-ahead
    // drew what wander did not.
    Vec2 check = run.displaced;
    check.normalize();
    const Vec2 expected = check * kRadius + Vec2(kDistance, 0);
    if (std::abs(expected.x - run.targets.back().x) > 1e-9 ||
        std::abs(expected.y - run.targets.back().y) > 1e-9) {
        throw std::runtime_error("the last wander call is not the displacement drawn for it");
    }
    return run;
}

/// A number label placed just outside the circle, on the ray through the target.
Point outside(const LocalView& view, Vec2 target, double pixels) {
    Vec2 ray = target + Vec2(-kDistance, 0);
    ray.normalize();
    const Point on = view.at(target);
    return {on.x + ray.x * pixels, on.y - ray.y * pixels + 4};
}

/// Every target in the order of the calls, numbered at the first call and every fifth.
void drawTargets(Svg& svg, const LocalView& view, const WanderRun& run) {
    std::vector<Point> path;
    for (const Vec2& target : run.targets) {
        path.push_back(view.at(target));
    }
    svg.polyline(path, "path");
    for (std::size_t i = 0; i + 1 < run.targets.size(); ++i) {
        svg.circle(view.at(run.targets[i]), 3.5, "target");
        if (i == 0 || (i + 1) % 5 == 0) {
            svg.text(outside(view, run.targets[i], 13), std::to_string(i + 1), "small mid halo");
        }
    }
    svg.circle(view.at(run.targets.back()), 5, "final");
    svg.text(outside(view, run.targets.back(), 14), std::to_string(run.targets.size()),
             "bold mid halo");
}

/// The last call's jitter square: where its two draws times the jitter can move the previous
/// target, up to the jitter on each axis.
void drawJitterSquare(Svg& svg, const LocalView& view, const WanderRun& run) {
    const Point before = view.at(run.before + Vec2(kDistance, 0));
    const double side = 2 * kJitter * view.scale;
    const Point corner{before.x - side / 2, before.y - side / 2};
    svg.rect(corner, side, side, "jitter");
    svg.text({corner.x - 4, corner.y + 10}, "jitter = " + svgNumber(kJitter), "small end");
    svg.text({corner.x - 4, corner.y + 22},
             "target " + std::to_string(kCalls - 1) + " \u00b1 " + svgNumber(kJitter), "small end");
    svg.text({corner.x - 4, corner.y + 34}, "on each axis", "small end");
}

/// The last call: its previous target (ringed), the displaced point and the ray from the
/// centre that puts it back on the circle.
void drawLastCall(Svg& svg, const LocalView& view, const WanderRun& run) {
    const Vec2 ahead(kDistance, 0);
    svg.line(view.at(ahead), view.at(run.displaced + ahead), "guide");
    svg.circle(view.at(run.before + ahead), 7, "ring");
    svg.circle(view.at(run.displaced + ahead), 3.5, "final");
}

void drawFrame(Svg& svg, const LocalView& view) {
    const Vec2 ahead(kDistance, 0);
    const Point entity = view.at({0, 0});
    const Point centre = view.at(ahead);
    svg.line(entity, view.at({kDistance + kRadius + 20, 0}), "guide");
    svg.circle(centre, kRadius * view.scale, "circle");
    svg.circle(centre, 2.5, "target");
    svg.arrow(entity, view.at({22, 0}), "dark", "dark");
    svg.circle(entity, 7, "entity");
    svg.text({entity.x - 8, entity.y + 22}, "entity, heading +x", "small");

    const Point rim = view.at(ahead + Vec2(0, -kRadius));
    svg.line(centre, rim, "blue");
    svg.text({centre.x + 5, (centre.y + rim.y) / 2 + 14}, "radius = " + svgNumber(kRadius),
             "small");

    const double below = rim.y + 22;
    svg.line({entity.x, below - 5}, {entity.x, below + 5}, "dark");
    svg.line({centre.x, below - 5}, {centre.x, below + 5}, "dark");
    svg.line({entity.x, below}, {centre.x, below}, "dark");
    svg.text({(entity.x + centre.x) / 2, below - 5}, "distance = " + svgNumber(kDistance),
             "small mid");
}

} // namespace

Figure wanderFigure() {
    const WanderRun run = runWander();
    Svg svg(520, 430, "The wander circle", kFigureMark);
    svg.text({10, 22}, "Wander: " + std::to_string(kCalls) + " wander() calls from a run's start",
             "title");
    const LocalView view{{50, 200}, 2.2};
    drawJitterSquare(svg, view, run);
    drawFrame(svg, view);
    drawTargets(svg, view, run);
    drawLastCall(svg, view, run);
    const Vec2 last = run.targets.back();
    svg.arrow(view.at({0, 0}), view.at(last), "red", "red");
    svg.text({10, 370},
             "Red arrow: the last call's result (" + svgNumber(last.x) + ", " + svgNumber(last.y) +
                 "), the steering target ahead.",
             "");
    svg.text({10, 388},
             "Blue dots: the targets of calls 1 to " + std::to_string(kCalls - 1) +
                 ". The last call displaces target " + std::to_string(kCalls - 1) + " (ringed)",
             "");
    svg.text({10, 406},
             "by its two draws times the jitter, to the small red dot, which goes back onto the",
             "");
    svg.text({10, 424}, "circle along the dashed ray from the centre.", "");
    return {"wander.svg", svg.finish()};
}
