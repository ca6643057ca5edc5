// The flock picture: a small flock after a run of the engine's flock on its partition, each
// member with its heading, and one member's neighbours and three forces.
#include "figures.h"
#include "svg.h"

#include <engine/actor.h>
#include <engine/baseentity.h>
#include <engine/behaviours.h>
#include <engine/flock.h>
#include <engine/quadlayout.h>
#include <engine/quadquery.h>
#include <engine/randomsource.h>
#include <engine/trace.h>

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr std::size_t kMembers = 60;
constexpr int kFrames = 120;
constexpr FlockRules kRules{40.0, 1.0, 1.0, 1.0};
constexpr double kMaxSpeed = 2.0;
constexpr double kMaxForce = 0.1;
/// The world square the flock is partitioned in, and the part of it drawn.
constexpr QuadRect kSquare{-512, 512, -512, 512};
/// Pixels per world unit; the drawn part is centred on the flock's mean position.
constexpr double kScale = 2.0;

struct Member {
    std::unique_ptr<Actor> actor;
    SteeringBody body;
};

/// A flock in a table of its own, started from a seeded source, after its frames.
class FlockRun {
public:
    FlockRun() {
        const ScopedTraceRoute quiet(TraceRoute::nowhere());
        RandomSource random(7);
        members_.resize(kMembers);
        for (std::size_t i = 0; i < kMembers; ++i) {
            Member& m = members_[i];
            m.actor = std::make_unique<Actor>("member");
            m.body.position = {random.symmetric() * 120, random.symmetric() * 120};
            m.body.velocity = {random.symmetric(), random.symmetric()};
            m.body.maxSpeed = kMaxSpeed;
            m.body.maxForce = kMaxForce;
            table_[i + 1] = m.actor.get();
        }
        for (int frame = 0; frame < kFrames; ++frame) {
            step();
        }
        partition();
    }

    const std::vector<Member>& members() const { return members_; }
    const QuadTreeLayout& layout() const { return layout_; }

private:
    void partition() {
        for (Member& m : members_) {
            m.actor->setPosition(m.body.position.x, m.body.position.y, 0);
            m.actor->setVelocity(m.body.velocity.x, m.body.velocity.y, 0);
        }
        partitionQuadTree(kSquare, table_, layout_);
    }

    void step() {
        partition();
        std::vector<Vec2> forces;
        for (const Member& m : members_) {
            forces.push_back(flockForces(layout_, *m.actor, m.body, kRules).total);
        }
        for (std::size_t i = 0; i < members_.size(); ++i) {
            applyForce(members_[i].body, forces[i], 1.0);
        }
    }

    std::vector<Member> members_;
    Actor* table_[kEntityTableSize] = {};
    QuadTreeLayout layout_;
};

/// The world drawn in pixels around the flock's centre, +y up.
struct View {
    Vec2 centre;
    Point origin;
    Point at(Vec2 v) const {
        return {origin.x + (v.x - centre.x) * kScale, origin.y - (v.y - centre.y) * kScale};
    }
};

/// A member at the flock's edge, where the forces do not cancel: the one with the fewest
/// neighbours among those with at least five, the first of them on a tie.
std::size_t edgeMember(const FlockRun& run) {
    std::size_t best = 0;
    std::size_t fewest = kMembers;
    for (std::size_t i = 0; i < run.members().size(); ++i) {
        const Member& m = run.members()[i];
        const std::size_t n = flockForces(run.layout(), *m.actor, m.body, kRules).neighbours;
        if (n >= 5 && n < fewest) {
            best = i;
            fewest = n;
        }
    }
    return best;
}

void drawLegend(Svg& svg, std::size_t neighbours) {
    svg.text({10, 400},
             "Dots: " + std::to_string(kMembers) + " members after " + std::to_string(kFrames) +
                 " frames of flockForces and applyForce,",
             "");
    svg.text({10, 418},
             "each with its velocity. Ringed: a member at the edge, its " +
                 std::to_string(neighbours) + " neighbours within " + svgNumber(kRules.radius),
             "");
    svg.text({10, 436}, "(one visitWithin) and its forces, 300 times longer: separation (red),",
             "");
    svg.text({10, 454}, "alignment (blue), cohesion (green).", "");
}

} // namespace

Figure flockFigure() {
    const FlockRun run;
    const std::size_t chosen = edgeMember(run);
    const Member& focus = run.members()[chosen];
    const FlockForces forces = flockForces(run.layout(), *focus.actor, focus.body, kRules);
    // Centred on the members around the chosen one, so that a straggler far off pulls nothing.
    Vec2 middle;
    double around = 0;
    visitWithin(run.layout(), focus.body.position, 100, [&](Actor*, Vec2 at) {
        middle += at;
        around += 1;
    });
    const View view{middle * (1 / around), {260, 210}};

    Svg svg(520, 466, "A flock", kFigureMark);
    svg.text({10, 22}, "A flock on the game's partition", "title");
    const Point centre = view.at(focus.body.position);
    svg.circle(centre, kRules.radius * kScale, "guide");
    visitWithin(run.layout(), focus.body.position, kRules.radius, [&](const Actor* other, Vec2 at) {
        if (other != focus.actor.get()) {
            svg.line(centre, view.at(at), "path");
        }
    });
    for (const Member& m : run.members()) {
        const Point p = view.at(m.body.position);
        if (p.x < 0 || p.x > 520 || p.y < 30 || p.y > 380) {
            continue;
        }
        svg.line(p, view.at(m.body.position + m.body.velocity * 5), "dark");
        svg.circle(p, 3, "entity");
    }
    svg.circle(centre, 7, "ring");
    const double longer = 300;
    svg.arrow(centre, view.at(focus.body.position + forces.separation * longer), "red", "red");
    svg.arrow(centre, view.at(focus.body.position + forces.alignment * longer), "blue", "blue");
    svg.arrow(centre, view.at(focus.body.position + forces.cohesion * longer), "green", "green");
    drawLegend(svg, forces.neighbours);
    return {"flock.svg", svg.finish()};
}
