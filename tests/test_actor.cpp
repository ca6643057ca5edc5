#include <engine/actor.h>

#include "capture.h"

#include <gtest/gtest.h>

#include <tuple>
#include <utility>

TEST(Actor, ConstructionTracesTheHandlerThenTheNameReportOrTheActor) {
    resetEngineGlobals();
    TraceCapture capture;
    const Actor quella("Quella");
    const Actor nameless("");
    Actor plain;
    EXPECT_EQ(capture.text(), "\n" + addressText(&quella.handler) + "\n" +
                                  addressText(&nameless.handler) + "\nBullshit: cName is NULL!\n" +
                                  addressText(&plain.handler) + "\n" + addressText(&plain));
    // Identifiers 0, 1 and 2: the holder is 1 whatever the identifier.
    EXPECT_EQ(plain.getID(), 2u);
    EXPECT_EQ(std::make_tuple(quella.handler.holder, nameless.handler.holder, plain.handler.holder),
              std::make_tuple(1u, 1u, 1u));
    for (const double component : {plain.position.x, plain.position.y, plain.position.z,
                                   plain.velocity.x, plain.velocity.y, plain.velocity.z}) {
        EXPECT_EQ(component, 0.0);
    }
    plain.setPosition(-1, 2, 7);
    EXPECT_EQ(std::make_pair(plain.getPosition2D().x, plain.getPosition2D().y),
              std::make_pair(-1.0, 2.0));
}
