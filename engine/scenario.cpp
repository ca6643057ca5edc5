// The fixed scenario: messaging from end to end, then spatial partitioning.
#include "scenario.h"

#include "actor.h"
#include "baseentity.h"
#include "quadnode.h"
#include "trace.h"

#include <vector>

int runScenario() {
    TraceText().text("\n").print();
    std::vector<Actor*> Cast;

    auto* Quella = new Actor("Quella");
    Cast.push_back(Quella);
    Cast.at(0)->setPosition(0, 0, 0);
    Cast.at(0)->setVelocity(-1, 0, 0);
    EntityTable[1] = Cast.at(0);
    Cast.at(0)->handler.setEntityTable(&EntityTable[0]);
    Cast.at(0)->setScalar(0.5);

    auto* Varn = new Actor("Varn");
    Cast.push_back(Varn);
    Cast.at(1)->setPosition(-1, 0, 0);
    Cast.at(1)->setVelocity(1, 0, 0);
    EntityTable[2] = Cast.at(1);
    Cast.at(1)->handler.setEntityTable(&EntityTable[0]);

    Cast.at(1)->sendMessage(0, 'p', 0);
    DebugPrint("Updating...");
    Cast.at(1)->update();
    Cast.at(0)->update();

    auto* ownNode = new QuadNode();
    QuadNode* root = QuadTreeBuilder(-512, 512, -512, 512, EntityTable);
    releaseQuadTree(root);

    delete Cast.at(0);
    delete Cast.at(1);
    delete ownNode;
    return 0;
}
