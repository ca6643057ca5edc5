// The quad-tree tests' fixture: actors in table slots, the tree over the scenario's square.
#pragma once

#include <engine/actor.h>
#include <engine/quadnode.h>
#include <engine/quadtreecheck.h>

#include "capture.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <memory>
#include <vector>

class QuadTreeTest : public ::testing::Test {
protected:
    void SetUp() override { resetEngineGlobals(); }
    void TearDown() override {
        releaseQuadTree(root);
        resetEngineGlobals();
    }

    void place(std::size_t slot, double x, double y) {
        TraceCapture quiet;
        actors.push_back(std::make_unique<Actor>("a"));
        actors.back()->setPosition(x, y, 0);
        EntityTable[slot] = actors.back().get();
    }

    QuadTreeCheck rebuild() {
        releaseQuadTree(root);
        root = QuadTreeBuilder(-512, 512, -512, 512, EntityTable);
        return checkQuadTree(root, -512, 512, -512, 512, EntityTable);
    }

    std::vector<std::unique_ptr<Actor>> actors;
    QuadNode* root = nullptr;
};
