#include <engine/actor.h>

#include <engine/message.h>

#include "capture.h"

#include <gtest/gtest.h>

TEST(Actor, NameConstructionPrintsOnlyTheHandlerTrace) {
    resetEngineGlobals();
    CoutCapture capture;
    const Actor quella("Quella");
    EXPECT_EQ(capture.text(), "\n" + addressText(&quella.handler));
    const Actor varn("Varn");
    EXPECT_EQ(varn.getID(), 1u);
    EXPECT_EQ(varn.name, "Varn");
    EXPECT_EQ(quella.handler.holder, 1u);
    EXPECT_EQ(varn.handler.holder, 1u);
}

TEST(Actor, EmptyNameIsReportedAndConstructionCompletes) {
    CoutCapture capture;
    const Actor nameless("");
    EXPECT_EQ(capture.text(), "\n" + addressText(&nameless.handler) + "\nBullshit: cName is NULL!");
    EXPECT_TRUE(nameless.name.empty());
}

TEST(Actor, DefaultConstructionTracesHandlerThenActor) {
    CoutCapture capture;
    const Actor actor;
    EXPECT_EQ(capture.text(), "\n" + addressText(&actor.handler) + "\n" + addressText(&actor));
    for (const double component : {actor.position.x, actor.position.y, actor.position.z,
                                   actor.velocity.x, actor.velocity.y, actor.velocity.z}) {
        EXPECT_EQ(component, 0.0);
    }
}

TEST(Actor, PlanarPositionIgnoresZ) {
    CoutCapture quiet;
    Actor actor("a");
    actor.setPosition(-1, 2, 7);
    const Vec2 planar = actor.getPosition2D();
    EXPECT_EQ(planar.x, -1.0);
    EXPECT_EQ(planar.y, 2.0);
}

TEST(Actor, MessagesGoThroughItsOwnHandler) {
    CoutCapture capture;
    Actor actor("a");
    const std::string construction = capture.text();
    actor.update();
    EXPECT_EQ(capture.text(), construction);

    EXPECT_TRUE(actor.sendMessage(0, 'p', 0));
    ASSERT_EQ(actor.handler.count, 1);
    EXPECT_EQ(actor.handler.queue[0]->sender, 1u);
    EXPECT_EQ(actor.handler.queue[0]->getReceiver(), 0u);

    Message message(1, 3, 'q', 0);
    actor.receiveMessage(&message);
    EXPECT_EQ(capture.text(), construction + "Message received... asshole.\nReceiver:3\nMessage:q");
    EXPECT_EQ(actor.handler.count, 1);
}
