/// @file
/// The one kind of entity: a named object with a place, a motion and its own message handler.
#pragma once

#include "baseentity.h"
#include "mhandler.h"
#include "vectors.h"

#include <cstdint>
#include <string>

class Message;

/// An entity with a name, a place and a motion in 3-D space, which sends and receives messages
/// through the handler it holds. Registered in the entity table, it is what delivery hands
/// messages to and what the quad-tree builder partitions. Created on the free store by its
/// owner and destroyed through the virtual destructor, which empties its table slot.
class Actor : public BaseEntity {
public:
    /// Given at name construction; empty after default construction or an empty name.
    std::string name;
    /// Place in world units; x and y are the plane in which the quad tree partitions.
    Vec3 position;
    /// Set through setVelocity; the engine keeps it for the game and moves nothing by it.
    Vec3 velocity;
    /// A value of the game's own, set through setScalar; nothing in the engine reads it.
    double scalar = 0.0;
    /// Always default-constructed, so its holder is 1 for every actor. Open to the actor's
    /// users, who attach the entity table to it directly.
    MHandler handler;

    /// Prints the handler's trace, then the actor's own.
    Actor();
    /// Prints only the handler's trace. A failed name check is reported on standard output
    /// ("\nBullshit: " and the reason) and construction still completes.
    explicit Actor(std::string cName);
    /// Empties its EntityTable slot where that slot still points at it, so that a message to a
    /// destroyed actor is dropped; its handler then tells (where its hooks ask) and releases the
    /// messages still queued; prints nothing.
    ~Actor() override;

    /// Places the actor; the quad tree reads x and y at its next build.
    void setPosition(double x, double y, double z) { position.set(x, y, z); }
    /// Stores the motion; nothing in the engine applies it.
    void setVelocity(double x, double y, double z) { velocity.set(x, y, z); }
    /// Stores a value of the game's own; the engine never reads it back.
    void setScalar(double v) { scalar = v; }

    /// Handles at most one queued message.
    void update() { handler.process(); }
    /// Handles every message queued in the handler, as MHandler::drain does; returns how many.
    int drain() { return handler.drain(); }
    /// Queues a message from this actor's handler; false when its queue is full.
    bool sendMessage(std::uint32_t receiver, std::uint8_t content, std::int32_t ival) {
        return handler.send(receiver, content, ival);
    }
    /// As sendMessage, with the real payload `dval` as well, which the receiver reads in dval.
    bool sendMessageWithReal(std::uint32_t receiver, std::uint8_t content, std::int32_t ival,
                             double dval) {
        return handler.sendWithReal(receiver, content, ival, dval);
    }
    /// As sendMessageWithReal, addressed to one life of the receiver (MHandler::sendToLife).
    bool sendMessageToLife(EntityLife receiver, std::uint8_t content, std::int32_t ival,
                           double dval = 0.0) {
        return handler.sendToLife(receiver, content, ival, dval);
    }
    /// Makes the actor's messages carry its own identifier as their sender, so that a receiver
    /// knows who wrote and a message to identifier 1 is delivered; a message to its own
    /// identifier is then the one dropped as addressed to itself.
    void sendAsItself() noexcept { handler.sendAs(ID); }

    /// The life the actor is in now, or the next one to begin while it is between lives.
    EntityLife life() const noexcept { return {ID, generation_}; }
    /// True from construction until endLife, and from beginLife until the next endLife.
    bool isAlive() const noexcept { return alive_; }
    /// Ends the actor's life: delivers every message it has queued, as drain does, then takes
    /// it out of the entity table and moves it on to its next life, in which no message
    /// addressed to the ended one reaches it. Between lives it sends nothing. Returns false and
    /// changes nothing when it is not alive, or when it has messages queued and is called
    /// inside MHandler::kMaxNesting handlings, where they could not be delivered. A hook's
    /// exception leaves it with the life not ended, the message handled released.
    bool endLife();
    /// Begins the next life: puts the actor into the entity table and lets it send again. Returns
    /// false and changes nothing when it is alive, or when the table has no slot for its
    /// identifier (1023 or later).
    bool beginLife();

    /// Where delivery hands this actor a message: passes it to the handler, which prints the
    /// reception trace. The caller keeps the message.
    void receiveMessage(Message* message) { handler.receive(message); }

    /// The planar position (x, y) in which the quad tree partitions; z is ignored. Inline, as
    /// the tree builder reads it for every entity of the table at every node.
    Vec2 getPosition2D() const { return {position.x, position.y}; }

private:
    std::uint32_t generation_ = 1;
    bool alive_ = true;
};

/// Drains the handler of every actor in the table's 1024 slots, in slot order, and returns how
/// many messages they handled in all. Each slot is read as the drain reaches it, so an actor
/// that a hook took out or put in meanwhile is left out or drained. A null table drains none.
int drainEntityTable(Actor* const* table);
