// The demo's world: actors wandering over the square from -512 to 512, a quad tree built over
// them every frame, and messages between the actors that share a leaf. Built only on the
// engine's public API; the frames are the same on every target (no clock, no sin or cos).
#pragma once

#include <engine/behaviours.h>
#include <engine/flock.h>
#include <engine/quadlayout.h>
#include <engine/quadrect.h>
#include <engine/randomsource.h>
#include <engine/steering.h>
#include <engine/vectors.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

class Actor;
class Message;
class QuadNode;

/// The world square, from -kWorldHalf to kWorldHalf on both axes.
constexpr double kWorldHalf = 512.0;
constexpr QuadRect kWorldSquare{-kWorldHalf, kWorldHalf, -kWorldHalf, kWorldHalf};

/// How long an actor that received a message is drawn in the flash colour: the frame in which
/// the message arrived and the seven after it.
constexpr int kFlashFrames = 8;

class World {
public:
    static constexpr int kMinActors = 1;
    static constexpr int kMaxActors = 1000;
    static constexpr int kDefaultActors = 256;

    /// How the world builds each frame's tree. Both find the same partition, so the same
    /// frames; they differ only in what a build costs.
    enum class Build {
        /// partitionQuadTree: each node divides its parent's actors. What the demo runs.
        partition,
        /// QuadTreeBuilder with its layout, every node scanning the whole table as the system's
        /// own tree does: kept to time the demo's frame against it.
        builder,
    };

    /// How the actors move.
    enum class Motion {
        /// Each by its own WanderBehaviour: the demo's default.
        wander,
        /// As a flock: separation, alignment and cohesion over the neighbours that a query of
        /// the frame's layout finds, and a little wander from a random source of each actor's
        /// own.
        flock,
    };

    /// Creates the actors at their fixed starting places and puts them into EntityTable,
    /// attaching the table and the world's receiver to their handlers. Throws
    /// std::invalid_argument for a count outside kMinActors to kMaxActors and std::runtime_error
    /// when an identifier's slot lies past the table. Builds frame 0's tree over the starting
    /// places. The world sends the engine's trace nowhere while it works.
    explicit World(int actors, Build build = Build::partition, Motion motion = Motion::wander);
    /// Releases the builder's tree, if any, and the actors, and empties their table slots.
    ~World();
    World(const World&) = delete;
    World& operator=(const World&) = delete;

    /// One frame: simulate, buildTree, findNeighbours, exchangeMessages.
    void step();
    /// Starts the next frame: moves every actor by one step of its steering, wrapping at the
    /// square's sides. A flock takes every actor's forces from the last frame's layout, which
    /// stands where the actors stand, before it moves any.
    void simulate();
    /// Builds this frame's tree over the world square, into the layout; the builder releases
    /// the last frame's tree first.
    void buildTree();
    /// Takes every actor's leaf (none for one on a midline) from the layout.
    void findNeighbours();
    /// Each actor sharing its leaf sends 'p' to the next actor of that leaf; every actor is
    /// updated once; each actor that receives a message starts to flash.
    void exchangeMessages();

    /// Frames stepped so far; 0 before the first step.
    int frame() const { return frame_; }
    Motion motion() const { return motion_; }
    std::size_t actorCount() const { return walkers_.size(); }
    const Actor& actor(std::size_t index) const { return *walkers_[index].actor; }
    Vec2 position(std::size_t index) const;
    /// Drawn in the flash colour this frame.
    bool flashing(std::size_t index) const { return frame_ <= walkers_[index].flashUntil; }
    /// The frame in which the actor last received a message; -1 if never.
    int lastReception(std::size_t index) const { return walkers_[index].lastReception; }

    /// This frame's tree as its build laid it out: the leaves, the divided nodes (parents
    /// before their children) and the actors, with the positions the build read. Its node
    /// pointers are null but with Build::builder, where they hold until the next build.
    const QuadTreeLayout& layout() const { return layout_; }
    /// The actors of every leaf holding any, by index in table order; leaves in the order of
    /// their first actor.
    const std::vector<std::vector<std::size_t>>& leaves() const { return leaves_; }
    int nodeCount() const { return nodes_; }
    /// Messages delivered since the world was made.
    std::uint64_t delivered() const { return delivered_; }
    /// What the last tree build took, in seconds of the steady clock (for the title only: the
    /// world never steps by the clock).
    double lastBuildSeconds() const { return buildSeconds_; }

private:
    struct Walker {
        std::unique_ptr<Actor> actor;
        WanderBehaviour wander;
        Vec2 heading;
        /// The flock's wander and its source, seeded with the actor's index.
        Wander flockWander;
        RandomSource random;
        int flashUntil = -1;
        int lastReception = -1;
    };

    void place(std::size_t index);
    static void move(Walker& walker);
    /// The flock's force on the walker from this frame's layout.
    Vec2 flockForce(Walker& walker) const;
    /// One step of the walker under the force, capped as a flock member is.
    static void steer(const Walker& walker, Vec2 force);
    /// The receiver of every actor of the world: the one that received starts to flash.
    static void received(void* world, const Message& message);
    /// Index of the actor in the world, from its identifier.
    std::size_t indexOf(std::uint32_t id) const { return id - firstId_; }

    std::vector<Walker> walkers_;
    /// Identifiers are drawn in order, so the world's actors hold firstId_ onwards.
    std::uint32_t firstId_ = 0;
    Build build_;
    Motion motion_;
    /// The flock's forces of this frame, one per actor, taken before any moves.
    std::vector<Vec2> forces_;
    /// The builder's tree of this frame; null with Build::partition.
    QuadNode* tree_ = nullptr;
    QuadTreeLayout layout_;
    std::vector<std::vector<std::size_t>> leaves_;
    std::uint64_t delivered_ = 0;
    int nodes_ = 0;
    int frame_ = 0;
    double buildSeconds_ = 0.0;
};
