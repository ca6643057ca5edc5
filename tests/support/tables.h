// Tables of actors for the partition and query tests, each in a table of its own with holes.
#pragma once

#include <engine/actor.h>
#include <engine/quadrect.h>

#include "capture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <random>
#include <vector>

/// The square from -512 to 512 that the scenario and the demo build over.
constexpr QuadRect kTestWorld{-512, 512, -512, 512};

class TestTable {
public:
    enum class Kind {
        uniform,
        clusters,
        stacked,
        twoStacks,
        grouped,
        midlines,
        borders,
        nan,
        infinite
    };
    static constexpr std::array<Kind, 9> kKinds{Kind::uniform,   Kind::clusters, Kind::stacked,
                                                Kind::twoStacks, Kind::grouped,  Kind::midlines,
                                                Kind::borders,   Kind::nan,      Kind::infinite};

    /// count actors (at most 1024) of the kind, drawn from the seed.
    TestTable(Kind kind, std::size_t count, unsigned seed) : random_(seed) {
        for (std::size_t i = 0; i < count; ++i) {
            place(pick(kind, i));
        }
    }

    /// Puts an actor at p into a free slot chosen at random.
    void place(Vec2 p) {
        std::size_t slot =
            std::uniform_int_distribution<std::size_t>(0, kEntityTableSize - 1)(random_);
        while (slots[slot] != nullptr) {
            slot = (slot + 1) % kEntityTableSize;
        }
        placeAt(slot, p);
    }

    void placeAt(std::size_t slot, Vec2 p) {
        TraceCapture quiet;
        actors_.push_back(std::make_unique<Actor>("t"));
        actors_.back()->setPosition(p.x, p.y, 0);
        slots[slot] = actors_.back().get();
    }

    /// The actors in the order they were made, which is their identifiers' order.
    const std::vector<std::unique_ptr<Actor>>& actors() const { return actors_; }

    /// Into an empty table: the same actors in the same slots and order, coordinates times scale.
    void copyScaled(const TestTable& from, double scale) {
        for (const auto& actor : from.actors_) {
            const Vec2 p = actor->getPosition2D();
            const auto slot = std::find(std::begin(from.slots), std::end(from.slots), actor.get());
            placeAt(static_cast<std::size_t>(slot - std::begin(from.slots)),
                    {p.x * scale, p.y * scale});
        }
    }

    /// A point drawn as the kind draws them, for queries near its actors.
    Vec2 pick(Kind kind, std::size_t i) {
        constexpr double kInf = std::numeric_limits<double>::infinity();
        std::uniform_real_distribution<double> world(-512, 512);
        std::uniform_int_distribution<int> grid(-8, 8);
        switch (kind) {
        case Kind::uniform:
            return {world(random_), world(random_)};
        case Kind::clusters: {
            std::normal_distribution<double> spread(0, 12);
            const double cx = -448 + 128.0 * static_cast<double>(i % 8);
            const double cy = 300.0 * std::sin(static_cast<double>(i % 8));
            return {cx + spread(random_), cy + spread(random_)};
        }
        case Kind::stacked:
            return i % 3 == 0 ? Vec2{world(random_), world(random_)} : Vec2{0.1, 0.1};
        case Kind::twoStacks: // two stacks, each divided down to the depth bound
            return i % 2 == 0 ? Vec2{0.1, 0.1} : Vec2{300.1, 300.1};
        case Kind::grouped: // all in one quadrant, whose own midline their box reaches at 256
            return {256 - 15.0 * static_cast<double>(i % 17), 100 + static_cast<double>(i % 7)};
        case Kind::midlines:
            return {64.0 * grid(random_), i % 2 == 0 ? 64.0 * grid(random_) : world(random_)};
        case Kind::borders: {
            const double side = i % 2 == 0 ? 512.0 : -512.0;
            return i % 3 == 0 ? Vec2{side, world(random_)} : Vec2{world(random_) * 1.1, side};
        }
        case Kind::nan:
        case Kind::infinite: {
            const double x = kind == Kind::nan ? std::nan("") : i % 8 == 0 ? kInf : -kInf;
            return i % 4 == 0 ? Vec2{x, world(random_)} : Vec2{world(random_), world(random_)};
        }
        }
        return {};
    }

    std::mt19937& random() { return random_; }

    Actor* slots[kEntityTableSize] = {};

private:
    std::mt19937 random_;
    std::vector<std::unique_ptr<Actor>> actors_;
};

/// The globals of a fresh process before and after each test over tables.
class TableTest : public ::testing::Test {
protected:
    void SetUp() override { resetEngineGlobals(); }
    void TearDown() override { resetEngineGlobals(); }
};
