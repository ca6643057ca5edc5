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
