// The one kind of entity: a named object with a place, a motion and its own message handler.
#pragma once

#include "baseentity.h"
#include "mhandler.h"
#include "vectors.h"

#include <cstdint>
#include <string>

class Message;

class Actor : public BaseEntity {
public:
    std::string name;
    Vec3 position;
    Vec3 velocity;
    /// Set through setScalar; nothing in the engine reads it.
    double scalar = 0.0;
    /// Always default-constructed, so its holder is 1 for every actor.
    MHandler handler;

    /// Prints the handler's trace, then the actor's own.
    Actor();
    /// Prints only the handler's trace. A failed name check is reported on standard output
    /// ("\nBullshit: " and the reason) and construction still completes.
    explicit Actor(std::string cName);
    ~Actor() override = default;

    void setPosition(double x, double y, double z) { position.set(x, y, z); }
    void setVelocity(double x, double y, double z) { velocity.set(x, y, z); }
    void setScalar(double v) { scalar = v; }

    /// Handles at most one queued message.
    void update() { handler.process(); }
    /// Queues a message from this actor's handler; false when its queue is full.
    bool sendMessage(std::uint32_t receiver, std::uint8_t content, std::int32_t ival) {
        return handler.send(receiver, content, ival);
    }
    void receiveMessage(Message* message) { handler.receive(message); }

    /// The planar position (x, y) in which the quad tree partitions; z is ignored. Inline, as
    /// the tree builder reads it for every entity of the table at every node.
    Vec2 getPosition2D() const { return {position.x, position.y}; }
};
