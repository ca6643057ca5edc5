// For the demo's world and picture tests: fresh globals, the builder's tree, the receptions.
#pragma once

#include <demo/world.h>

#include <engine/actor.h>

#include "capture.h"

#include <gtest/gtest.h>

/// Every world starts from the globals of a fresh process, as the demo does.
class DemoWorldTest : public ::testing::Test {
protected:
    void SetUp() override {
        resetEngineGlobals();
        pi_idx = 2;
    }
    void TearDown() override { resetEngineGlobals(); }
};

/// The tree QuadTreeBuilder makes of the table as it stands: what a world's frame must show.
inline std::unique_ptr<QuadNode, void (*)(QuadNode*)> builderTree() {
    const ScopedTraceRoute quiet(TraceRoute::nowhere());
    return {QuadTreeBuilder(kWorldSquare.minX, kWorldSquare.maxX, kWorldSquare.minY,
                            kWorldSquare.maxY, EntityTable),
            releaseQuadTree};
}

/// Calls visit(node, rect) for every node, children in the order of the rectangle's quadrants.
template <typename Visit>
void forEachNode(const QuadNode* node, const QuadRect& r, const Visit& visit) {
    visit(*node, r);
    for (std::size_t i = 0; node->children.size() == 4 && i < 4; ++i) {
        forEachNode(node->children[i], r.quadrants()[i], visit);
    }
}

/// Every actor sharing a leaf hears this frame, but 1, every handler's holder, whose it drops.
inline void noteReceptions(const World& world, std::vector<int>& lastHeard) {
    for (const auto& leaf : world.leaves()) {
        for (const std::size_t i : leaf) {
            if (leaf.size() >= 2 && world.actor(i).getID() != 1) {
                lastHeard[i] = world.frame();
            }
        }
    }
}

/// Red in the frame of the reception and the seven after it.
inline bool flashes(int frame, int lastHeard) {
    return lastHeard >= 0 && frame - lastHeard < 8;
}
