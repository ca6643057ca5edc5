// The demo's world, one frame after another.
#include "world.h"

#include <engine/actor.h>
#include <engine/baseentity.h>
#include <engine/message.h>
#include <engine/quadnode.h>
#include <engine/trace.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <stdexcept>
#include <string>
#include <utility>

namespace {

/// Largest speed, in world units per frame: one pixel.
constexpr double kTopSpeed = 2.0;
/// Share of the wander target added to the velocity each frame.
constexpr double kSteering = 0.25;
/// One frame's time step; the world moves by frames, never by the clock.
constexpr double kStep = 1.0;
constexpr double kWanderRadius = 1.0;
constexpr double kWanderDistance = 2.0;
constexpr double kWanderJitter = 0.4;
/// The flock: neighbours within 40 units, the three forces, and a quarter of the wander force.
constexpr FlockRules kFlockRules{40.0, 0.5, 1.0, 1.0};
constexpr double kFlockForce = 0.05;
constexpr double kFlockWander = 0.25;
/// The content of every message the actors exchange.
constexpr std::uint8_t kContent = 'p';

/// Spreads the bits of a number (the finaliser of MurmurHash3): fixed starting places that
/// look scattered, from integer arithmetic alone.
std::uint32_t mix(std::uint32_t u) {
    u ^= u >> 16;
    u *= 0x85ebca6bU;
    u ^= u >> 13;
    u *= 0xc2b2ae35U;
    u ^= u >> 16;
    return u;
}

/// One of 1024 places along an axis, each in the middle of a world unit.
double coordinate(std::uint32_t bits) {
    return -kWorldHalf + static_cast<double>(bits >> 22) + 0.5;
}

/// Back into [-512, 512) on x and (-512, 512] on y: the half-open sides that a pixel covers.
double wrapX(double x) {
    if (x < -kWorldHalf) {
        return x + 2 * kWorldHalf;
    }
    return x >= kWorldHalf ? x - 2 * kWorldHalf : x;
}

double wrapY(double y) {
    if (y <= -kWorldHalf) {
        return y + 2 * kWorldHalf;
    }
    return y > kWorldHalf ? y - 2 * kWorldHalf : y;
}

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

} // namespace

World::World(int actors, Build build, Motion motion)
    : firstId_(be_val), build_(build), motion_(motion) {
    if (actors < kMinActors || actors > kMaxActors) {
        throw std::invalid_argument("the number of actors must be from 1 to 1000");
    }
    const ScopedTraceRoute quiet(TraceRoute::nowhere());
    walkers_.resize(static_cast<std::size_t>(actors));
    for (std::size_t i = 0; i < walkers_.size(); ++i) {
        walkers_[i].actor = std::make_unique<Actor>("actor " + std::to_string(i));
        // On a throw the actors made so far go with walkers_, each emptying its own slot.
        if (!addToEntityTable(*walkers_[i].actor)) {
            throw std::runtime_error("the entity table has no slot for actor " +
                                     std::to_string(walkers_[i].actor->getID()));
        }
        walkers_[i].actor->handler.hooks = {this, &World::received, nullptr};
        place(i);
    }
    for (const Walker& walker : walkers_) {
        walker.actor->handler.setEntityTable(EntityTable);
    }
    // Frame 0: the starting places with their tree, before any step or message.
    buildTree();
    findNeighbours();
}

World::~World() {
    releaseQuadTree(tree_);
}

void World::place(std::size_t index) {
    Walker& walker = walkers_[index];
    const auto seed = static_cast<std::uint32_t>(3 * index);
    walker.actor->setPosition(coordinate(mix(seed + 1)), coordinate(mix(seed + 2)), 0.0);
    // One of eight headings, a multiple of 45 degrees.
    const double diagonal = std::sqrt(0.5);
    const Vec2 headings[] = {{1, 0},  {diagonal, diagonal},   {0, 1},  {-diagonal, diagonal},
                             {-1, 0}, {-diagonal, -diagonal}, {0, -1}, {diagonal, -diagonal}};
    walker.heading = headings[mix(seed + 3) % 8];
    const Vec2 velocity = walker.heading * (kTopSpeed / 2);
    walker.actor->setVelocity(velocity.x, velocity.y, 0.0);
    walker.wander.m_dRadius = kWanderRadius;
    walker.wander.m_dDistance = kWanderDistance;
    walker.wander.m_dJitter = kWanderJitter;
    walker.random = RandomSource(index);
}

Vec2 World::position(std::size_t index) const {
    return walkers_[index].actor->getPosition2D();
}

void World::move(Walker& walker) {
    Actor& moving = *walker.actor;
    // The wander target is in the actor's own frame, +x ahead and +y to its left.
    const Vec2 local = walker.wander.wander();
    const Vec2 side(-walker.heading.y, walker.heading.x);
    const Vec2 target = walker.heading * local.x + side * local.y;
    Vec2 velocity = Vec2(moving.velocity.x, moving.velocity.y) + target * kSteering;
    const double speed = velocity.length();
    if (speed > kTopSpeed) {
        velocity = velocity * (kTopSpeed / speed);
    }
    if (speed > 0) {
        walker.heading = velocity;
        walker.heading.normalize();
    }
    const Vec2 next = moving.getPosition2D() + velocity * kStep;
    moving.setPosition(wrapX(next.x), wrapY(next.y), 0.0);
    moving.setVelocity(velocity.x, velocity.y, 0.0);
}

Vec2 World::flockForce(Walker& walker) const {
    SteeringBody body;
    body.position = walker.actor->getPosition2D();
    body.velocity = {walker.actor->velocity.x, walker.actor->velocity.y};
    body.maxSpeed = kTopSpeed;
    body.maxForce = kFlockForce;
    const Vec2 flock = flockForces(layout_, *walker.actor, body, kFlockRules).total;
    return flock + wander(body, walker.flockWander, walker.random) * kFlockWander;
}

void World::steer(const Walker& walker, Vec2 force) {
    Actor& moving = *walker.actor;
    SteeringBody body;
    body.position = moving.getPosition2D();
    body.velocity = {moving.velocity.x, moving.velocity.y};
    body.maxSpeed = kTopSpeed;
    body.maxForce = kFlockForce;
    applyForce(body, force, kStep);
    moving.setPosition(wrapX(body.position.x), wrapY(body.position.y), 0.0);
    moving.setVelocity(body.velocity.x, body.velocity.y, 0.0);
}

void World::step() {
    simulate();
    buildTree();
    findNeighbours();
    exchangeMessages();
}

void World::simulate() {
    ++frame_;
    if (motion_ == Motion::wander) {
        for (Walker& walker : walkers_) {
            move(walker);
        }
        return;
    }
    forces_.resize(walkers_.size());
    for (std::size_t i = 0; i < walkers_.size(); ++i) {
        forces_[i] = flockForce(walkers_[i]);
    }
    for (std::size_t i = 0; i < walkers_.size(); ++i) {
        steer(walkers_[i], forces_[i]);
    }
}

void World::buildTree() {
    const auto start = std::chrono::steady_clock::now();
    if (build_ == Build::partition) {
        partitionQuadTree(kWorldSquare, EntityTable, layout_);
    } else {
        const ScopedTraceRoute quiet(TraceRoute::nowhere());
        releaseQuadTree(tree_);
        tree_ = QuadTreeBuilder(kWorldSquare.minX, kWorldSquare.maxX, kWorldSquare.minY,
                                kWorldSquare.maxY, EntityTable, layout_);
    }
    buildSeconds_ = secondsSince(start);
}

void World::findNeighbours() {
    nodes_ = static_cast<int>(layout_.leaves.size() + layout_.divided.size());
    std::size_t used = 0;
    for (const QuadLeaf& leaf : layout_.leaves) {
        if (leaf.count == 0) {
            continue;
        }
        if (used == leaves_.size()) {
            leaves_.emplace_back();
        }
        std::vector<std::size_t>& actors = leaves_[used++];
        actors.clear();
        // Cell order is the highest table slot first; the world lists its actors upwards.
        for (std::size_t i = leaf.first + leaf.count; i-- > leaf.first;) {
            actors.push_back(indexOf(layout_.entities[i]->getID()));
        }
    }
    leaves_.resize(used);
    std::sort(leaves_.begin(), leaves_.end(),
              [](const auto& a, const auto& b) { return a.front() < b.front(); });
}

void World::exchangeMessages() {
    const ScopedTraceRoute quiet(TraceRoute::nowhere());
    for (const auto& leaf : leaves_) {
        if (leaf.size() < 2) {
            continue;
        }
        for (std::size_t i = 0; i < leaf.size(); ++i) {
            const Actor& next = *walkers_[leaf[(i + 1) % leaf.size()]].actor;
            walkers_[leaf[i]].actor->sendMessage(next.getID(), kContent, 0);
        }
    }
    for (Walker& walker : walkers_) {
        walker.actor->update();
    }
}

void World::received(void* world, const Message& message) {
    auto& self = *static_cast<World*>(world);
    ++self.delivered_;
    const std::size_t index = self.indexOf(message.getReceiver());
    if (index >= self.walkers_.size()) {
        return;
    }
    Walker& walker = self.walkers_[index];
    walker.flashUntil = self.frame_ + kFlashFrames - 1;
    walker.lastReception = self.frame_;
}
