// Shared by the tests of the demo's world and picture: a fresh process's globals, the tree's
// nodes with the rectangles the builder gave them, and the receptions the messaging rule gives.
#pragma once

#include <demo/world.h>

#include <engine/actor.h>
#include <engine/quadnode.h>
#include <engine/quadrect.h>
#include <engine/steering.h>

#include "capture.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <vector>

/// Every world starts from the globals of a fresh process, as the demo does.
class DemoWorldTest : public ::testing::Test {
protected:
    void SetUp() override {
        resetEngineGlobals();
        pi_idx = 2;
    }
    void TearDown() override { resetEngineGlobals(); }
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
