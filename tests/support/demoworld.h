// Shared by the tests of the demo's world and picture: a fresh process's globals, the tree that
// QuadTreeBuilder builds over the world's actors with the rectangles it gave its nodes, and the
// receptions the messaging rule gives.
#pragma once

#include <demo/world.h>

#include <engine/actor.h>
#include <engine/quadlayout.h>
#include <engine/quadnode.h>
#include <engine/quadrect.h>
#include <engine/steering.h>
#include <engine/trace.h>

#include "capture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <string>
#include <vector>

/// Every world starts from the globals of a fresh process, as the demo does.
class DemoWorldTest : public ::testing::Test {
protected:
    void SetUp() override { startFresh(); }
    void TearDown() override { resetEngineGlobals(); }

    /// A fresh process's globals, for a test that runs a second world after its first.
    static void startFresh() {
        resetEngineGlobals();
        pi_idx = 2;
    }
};

/// What the system's own builder makes of the table as it stands: the tree a world's frame must
/// show, whichever way the world built it.
class BuilderTree {
public:
    BuilderTree() {
        const ScopedTraceRoute quiet(TraceRoute::nowhere());
        root = QuadTreeBuilder(kWorldSquare.minX, kWorldSquare.maxX, kWorldSquare.minY,
                               kWorldSquare.maxY, EntityTable, layout);
    }
    ~BuilderTree() { releaseQuadTree(root); }
    BuilderTree(const BuilderTree&) = delete;
    BuilderTree& operator=(const BuilderTree&) = delete;

    QuadNode* root = nullptr;
    QuadTreeLayout layout;
};

/// Calls visit(node, rect) for every node, halving each divided node's rectangle into its
/// children south-west, north-west, south-east, north-east.
template <typename Visit>
void forEachNode(const QuadNode* node, const QuadRect& r, const Visit& visit) {
    visit(*node, r);
    if (node->children.size() == 4) {
        const auto quadrants = r.quadrants();
        for (std::size_t i = 0; i < quadrants.size(); ++i) {
            forEachNode(node->children[i], quadrants[i], visit);
        }
    }
}

/// Notes this frame's receptions: every actor of a leaf it shares hears from its predecessor
/// there, but the one with identifier 1, since every handler's holder is 1 and the engine drops
/// a message to it untraced.
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
