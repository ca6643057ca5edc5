// Actor construction and its planar position.
#include "actor.h"

#include "trace.h"

#include <iostream>

Actor::Actor() {
    position.set(0, 0, 0);
    velocity.set(0, 0, 0);
    traceConstruction(this);
}

Actor::Actor(std::string cName) {
    try {
        if (cName.empty()) {
            throw std::string("cName is NULL!");
        }
        name = cName;
        if (name != cName) {
            throw std::string("still not equal");
        }
    } catch (const std::string& e) {
        std::cout << "\nBullshit: " << e;
    }
}

Vec2 Actor::getPosition2D() const {
    Vec2 result(position.x, position.y);
    return result;
}
