// Actor construction and its name check.
#include "actor.h"

#include "trace.h"

Actor::~Actor() {
    removeFromEntityTable(*this);
}

Actor::Actor() {
    position.set(0, 0, 0);
    velocity.set(0, 0, 0);
    traceConstruction(this);
}

// The name is taken as a copy of its own, which the name check compares against.
// cppcheck-suppress passedByValue
Actor::Actor(std::string cName) { // NOLINT(performance-unnecessary-value-param)
    try {
        if (cName.empty()) {
            throw std::string("cName is NULL!");
        }
        name = cName;
        if (name != cName) {
            throw std::string("still not equal");
        }
    } catch (const std::string& e) {
        TraceText().text("\nBullshit: ").text(e).print();
    }
}

bool Actor::endLife() {
    // A closed handler on a living actor is a life already ending, from inside a hook.
    if (!alive_ || handler.closed_) {
        return false;
    }
    // Closed while it drains, so that a hook cannot queue a message into the life that ends.
    handler.closed_ = true;
    try {
        handler.drain();
    } catch (...) {
        handler.closed_ = false;
        throw;
    }
    if (handler.queued() > 0) {
        // Inside the nesting bound nothing could be handled: the life goes on as it was.
        handler.closed_ = false;
        return false;
    }
    removeFromEntityTable(*this);
    alive_ = false;
    generation_ = nextGeneration(generation_);
    return true;
}

bool Actor::beginLife() {
    if (alive_ || !addToEntityTable(*this)) {
        return false;
    }
    alive_ = true;
    handler.closed_ = false;
    return true;
}

int drainEntityTable(Actor* const* table) {
    if (table == nullptr) {
        return 0;
    }
    int handled = 0;
    for (std::size_t slot = 0; slot < kEntityTableSize; ++slot) {
        if (table[slot] != nullptr) {
            handled += table[slot]->drain();
        }
    }
    return handled;
}
