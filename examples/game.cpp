// A game's first contact with the engine: two actors exchange a message through the entity
// table, then a quad tree partitions the world around them.
#include <engine/actor.h>
#include <engine/baseentity.h>
#include <engine/quadnode.h>

#include <cstdlib>
#include <memory>

int main() {
    auto scout = std::make_unique<Actor>("Scout");
    auto base = std::make_unique<Actor>("Base");
    scout->setPosition(-100, 50, 0);
    base->setPosition(200, -75, 0);

    // Entity n stands in slot n + 1; identifier 1023 and later find no slot.
    if (!addToEntityTable(*scout) || !addToEntityTable(*base)) {
        return EXIT_FAILURE;
    }
    scout->handler.setEntityTable(EntityTable);
    base->handler.setEntityTable(EntityTable);

    if (!base->sendMessage(scout->getID(), 'g', 1)) {
        return EXIT_FAILURE;
    }
    base->update();

    QuadNode* root = QuadTreeBuilder(-512, 512, -512, 512, EntityTable);
    releaseQuadTree(root);
    return EXIT_SUCCESS;
}
