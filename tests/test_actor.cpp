#include "actor.h"

#include "capture.h"
#include "message.h"

#include <gtest/gtest.h>

TEST(Actor, NamedActorsTakeIdentifiersInOrderAndHolderOne) {
    resetEngineGlobals();
    CoutCapture quiet;
    Actor quella("Quella");
    Actor varn("Varn");
    EXPECT_EQ(quella.getID(), 0u);
    EXPECT_EQ(varn.getID(), 1u);
    EXPECT_EQ(quella.name, "Quella");
    EXPECT_EQ(varn.name, "Varn");
    EXPECT_EQ(quella.handler.holder, 1u);
    EXPECT_EQ(varn.handler.holder, 1u);
}

TEST(Actor, NameConstructionPrintsOnlyTheHandlerTrace) {
    CoutCapture capture;
    Actor quella("Quella");
    EXPECT_EQ(capture.text(), "\n" + addressText(&quella.handler));
}

TEST(Actor, EmptyNameIsReportedAndConstructionCompletes) {
    CoutCapture capture;
    Actor nameless("");
    EXPECT_EQ(capture.text(), "\n" + addressText(&nameless.handler) + "\nBullshit: cName is NULL!");
    EXPECT_TRUE(nameless.name.empty());
    EXPECT_EQ(nameless.handler.holder, 1u);
}

TEST(Actor, DefaultConstructionTracesHandlerThenActor) {
    CoutCapture capture;
    Actor actor;
    EXPECT_EQ(capture.text(), "\n" + addressText(&actor.handler) + "\n" + addressText(&actor));
    EXPECT_EQ(actor.position.x + actor.position.y + actor.position.z, 0.0);
    EXPECT_EQ(actor.velocity.x + actor.velocity.y + actor.velocity.z, 0.0);
}

TEST(Actor, SettersAndPlanarPosition) {
    CoutCapture quiet;
    Actor actor("a");
    actor.setPosition(-1, 0, 7);
    actor.setVelocity(1, 2, 3);
    actor.setScalar(0.5);
    const Vec2 planar = actor.getPosition2D();
    EXPECT_EQ(planar.x, -1.0);
    EXPECT_EQ(planar.y, 0.0);
    EXPECT_EQ(actor.velocity.z, 3.0);
    EXPECT_EQ(actor.scalar, 0.5);
}

TEST(Actor, SendQueuesInItsOwnHandlerAndUpdateOnEmptyQueueDoesNothing) {
    CoutCapture capture;
    Actor actor("a");
    const std::string construction = capture.text();
    actor.update();
    EXPECT_EQ(capture.text(), construction);

    EXPECT_TRUE(actor.sendMessage(0, 'p', 0));
    ASSERT_EQ(actor.handler.count, 1);
    const Message* queued = actor.handler.queue[0];
    EXPECT_EQ(queued->sender, 1u);
    EXPECT_EQ(queued->getReceiver(), 0u);
    EXPECT_EQ(queued->getContent(), 'p');
    EXPECT_EQ(queued->ival, 0);
}

TEST(Actor, ReceiveMessageReachesItsHandler) {
    CoutCapture capture;
    Actor actor("a");
    Message message(1, 3, 'q', 0);
    const std::string construction = capture.text();
    actor.receiveMessage(&message);
    EXPECT_EQ(capture.text(), construction + "Message received... asshole.\nReceiver:3\nMessage:q");
    EXPECT_EQ(actor.handler.count, 0);
}
