// The demo's world, one frame after another.
#include "world.h"

#include <engine/actor.h>
#include <engine/baseentity.h>
#include <engine/quadnode.h>

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

/// The quadrant of a divided node, in the order of its children (south-west, north-west,
/// south-east, north-east), holding the point strictly inside; -1 on a midline.
int quadrantOf(Vec2 p, const WorldRect& r, WorldRect& quadrant) {
    const double midX = r.midX();
    const double midY = r.midY();
    if (p.x == midX || p.y == midY || std::isnan(p.x) || std::isnan(p.y)) {
        return -1;
    }
    const bool east = p.x > midX;
    const bool north = p.y > midY;
    quadrant = {east ? midX : r.minX, east ? r.maxX : midX, north ? midY : r.minY,
                north ? r.maxY : midY};
    return (east ? 2 : 0) + (north ? 1 : 0);
}

} // namespace

World::World(int actors) : indexOfSlot_(kEntityTableSize, -1) {
    if (actors < kMinActors || actors > kMaxActors) {
        throw std::invalid_argument("the number of actors must be from 1 to 1000");
    }
    CoutTo quiet(&tally_);
    walkers_.resize(static_cast<std::size_t>(actors));
    for (std::size_t i = 0; i < walkers_.size(); ++i) {
        walkers_[i].actor = std::make_unique<Actor>("actor " + std::to_string(i));
        const std::uint32_t slot = walkers_[i].actor->getID() + 1;
        if (slot >= kEntityTableSize || EntityTable[slot] != nullptr) {
            for (std::size_t j = 0; j < i; ++j) {
                EntityTable[walkers_[j].actor->getID() + 1] = nullptr;
            }
            throw std::runtime_error("the entity table has no free slot for actor " +
                                     std::to_string(walkers_[i].actor->getID()));
        }
        EntityTable[slot] = walkers_[i].actor.get();
        indexOfSlot_[slot] = static_cast<int>(i);
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
    for (const Walker& walker : walkers_) {
        EntityTable[walker.actor->getID() + 1] = nullptr;
    }
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

void World::step() {
    simulate();
    buildTree();
    findNeighbours();
    exchangeMessages();
}

void World::simulate() {
    CoutTo quiet(&tally_);
    ++frame_;
    for (Walker& walker : walkers_) {
        move(walker);
    }
}

void World::buildTree() {
    const auto start = std::chrono::steady_clock::now();
    CoutTo quiet(&tally_);
    releaseQuadTree(tree_);
    tree_ = QuadTreeBuilder(kWorldSquare.minX, kWorldSquare.maxX, kWorldSquare.minY,
                            kWorldSquare.maxY, EntityTable);
    buildSeconds_ = secondsSince(start);
}

const QuadNode* World::leafOf(Vec2 point) const {
    const WorldRect& w = kWorldSquare;
    if (!(w.minX < point.x && point.x < w.maxX && w.minY < point.y && point.y < w.maxY)) {
        return nullptr;
    }
    const QuadNode* node = tree_;
    WorldRect rect = w;
    while (node != nullptr && node->children.size() == 4) {
        WorldRect quadrant{};
        const int q = quadrantOf(point, rect, quadrant);
        if (q < 0) {
            return nullptr;
        }
        node = node->children[static_cast<std::size_t>(q)];
        rect = quadrant;
    }
    return node;
}

void World::findNeighbours() {
    divided_.clear();
    nodes_ = 0;
    std::vector<std::pair<const QuadNode*, WorldRect>> pending;
    if (tree_ != nullptr) {
        pending.emplace_back(tree_, kWorldSquare);
    }
    while (!pending.empty()) {
        const auto [node, rect] = pending.back();
        pending.pop_back();
        ++nodes_;
        if (node->children.size() != 4) {
            continue;
        }
        divided_.push_back(rect);
        const std::array<WorldRect, 4> quadrants = rect.quadrants();
        // Pushed in reverse, so the south-west child comes off first.
        for (std::size_t i = quadrants.size(); i-- > 0;) {
            pending.emplace_back(node->children[i], quadrants[i]);
        }
    }

    for (auto& leaf : leaves_) {
        leaf.clear();
    }
    std::size_t used = 0;
    leafIndex_.clear();
    for (std::size_t i = 0; i < walkers_.size(); ++i) {
        const QuadNode* leaf = leafOf(position(i));
        if (leaf == nullptr) {
            continue;
        }
        const auto [found, added] = leafIndex_.emplace(leaf, used);
        if (added) {
            if (used == leaves_.size()) {
                leaves_.emplace_back();
            }
            ++used;
        }
        leaves_[found->second].push_back(i);
    }
    leaves_.resize(used);
}

void World::exchangeMessages() {
    CoutTo quiet(&tally_);
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
    for (const std::uint32_t receiver : tally_.takeReceivers()) {
        const std::uint64_t slot = std::uint64_t{receiver} + 1;
        if (slot < indexOfSlot_.size() && indexOfSlot_[slot] >= 0) {
            Walker& walker = walkers_[static_cast<std::size_t>(indexOfSlot_[slot])];
            walker.flashUntil = frame_ + kFlashFrames - 1;
            walker.lastReception = frame_;
        }
    }
}
