// The quad-tree pictures: trees built by QuadTreeBuilder over actors in the entity table,
// walked and drawn as they are.
#include "figures.h"
#include "svg.h"

#include <engine/actor.h>
#include <engine/baseentity.h>
#include <engine/cell2d.h>
#include <engine/quadnode.h>
#include <engine/quadtreecheck.h>

#include <array>
#include <iostream>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

/// A rectangle as the builder takes it.
struct Rect {
    double minX;
    double maxX;
    double minY;
    double maxY;
    double midX() const { return minX + (maxX - minX) / 2; }
    double midY() const { return minY + (maxY - minY) / 2; }
};

constexpr Rect kWorld{-512, 512, -512, 512};

/// The quadrants in the order the builder adds them as children.
constexpr std::array<const char*, 4> kQuadrantNames = {"south-west", "north-west", "south-east",
                                                       "north-east"};

std::array<Rect, 4> quadrants(const Rect& r) {
    return {{{r.minX, r.midX(), r.minY, r.midY()},
             {r.minX, r.midX(), r.midY(), r.maxY},
             {r.midX(), r.maxX, r.minY, r.midY()},
             {r.midX(), r.maxX, r.midY(), r.maxY}}};
}

/// Sends the engine's console trace elsewhere while it lives: the tool's output is its pictures.
class QuietTrace {
public:
    QuietTrace() : previous_(std::cout.rdbuf(sink_.rdbuf())) {}
    ~QuietTrace() { std::cout.rdbuf(previous_); }
    QuietTrace(const QuietTrace&) = delete;
    QuietTrace& operator=(const QuietTrace&) = delete;

private:
    std::ostringstream sink_;
    std::streambuf* previous_;
};

/// Actors at the given places, entity n in EntityTable slot n + 1, as a game registers them;
/// taken out of the table and released at the end.
class PlacedActors {
public:
    explicit PlacedActors(const std::vector<Point>& places) {
        const QuietTrace quiet;
        for (const Point& place : places) {
            auto actor = std::make_unique<Actor>();
            actor->setPosition(place.x, place.y, 0);
            EntityTable[actor->getID() + 1] = actor.get();
            actors_.push_back(std::move(actor));
        }
    }
    ~PlacedActors() {
        for (const auto& actor : actors_) {
            EntityTable[actor->getID() + 1] = nullptr;
        }
    }
    PlacedActors(const PlacedActors&) = delete;
    PlacedActors& operator=(const PlacedActors&) = delete;

    const std::vector<std::unique_ptr<Actor>>& actors() const { return actors_; }

private:
    std::vector<std::unique_ptr<Actor>> actors_;
};

/// What the walk finds at one node.
struct NodeView {
    const QuadNode* node;
    Rect rect;
    int depth;
    int entities;       ///< Actors of the table strictly inside the rectangle.
    const char* slot;   ///< The cell slot that holds a cell, or null.
    const Cell2d* cell; ///< The cell in that slot, or null.
    int leafOrder;      ///< 1 for the build's first leaf cell, and so on; 0 for other nodes.
    bool divided() const { return !node->children.empty(); }
};

int insideCount(const Rect& r) {
    int count = 0;
    for (const Actor* actor : EntityTable) {
        if (actor == nullptr) {
            continue;
        }
        const Vec2 p = actor->getPosition2D();
        count += r.minX < p.x && p.x < r.maxX && r.minY < p.y && p.y < r.maxY ? 1 : 0;
    }
    return count;
}

void findCell(NodeView& view) {
    const std::array<std::pair<const char*, const Cell2d*>, 4> slots = {{
        {"nwCell", view.node->nwCell},
        {"neCell", view.node->neCell},
        {"swCell", view.node->swCell},
        {"seCell", view.node->seCell},
    }};
    for (const auto& [name, cell] : slots) {
        if (cell != nullptr) {
            view.slot = name;
            view.cell = cell;
        }
    }
}

/// Depth first, children in the order added: the order in which the builder made the nodes.
void walk(const QuadNode* node, const Rect& r, int depth, int& leaves, std::vector<NodeView>& out) {
    NodeView view{node, r, depth, insideCount(r), nullptr, nullptr, 0};
    findCell(view);
    if (!view.divided() && view.entities > 0) {
        view.leafOrder = ++leaves;
    }
    out.push_back(view);
    const auto parts = quadrants(r);
    for (std::size_t i = 0; i < node->children.size(); ++i) {
        walk(node->children[i], parts.at(i), depth + 1, leaves, out);
    }
}

/// A tree built over the world square by QuadTreeBuilder from the table, as a run's first build
/// (slot counter at 0), and its nodes in the order of building. The engine's own check must
/// pass, so that no picture shows a tree the engine would reject.
class BuiltTree {
public:
    BuiltTree() {
        const QuietTrace quiet;
        cellSlotCounter = 0;
        root_ = QuadTreeBuilder(kWorld.minX, kWorld.maxX, kWorld.minY, kWorld.maxY, EntityTable);
        const QuadTreeCheck check =
            checkQuadTree(root_, kWorld.minX, kWorld.maxX, kWorld.minY, kWorld.maxY, EntityTable);
        if (!check.problem.empty()) {
            releaseQuadTree(root_);
            throw std::runtime_error("the built tree fails its check: " + check.problem);
        }
        int leaves = 0;
        walk(root_, kWorld, 0, leaves, nodes_);
    }
    ~BuiltTree() { releaseQuadTree(root_); }
    BuiltTree(const BuiltTree&) = delete;
    BuiltTree& operator=(const BuiltTree&) = delete;

    const std::vector<NodeView>& nodes() const { return nodes_; }

private:
    QuadNode* root_ = nullptr;
    std::vector<NodeView> nodes_;
};

/// The world square drawn as a square of pixels, north up.
struct MapView {
    double left;
    double top;
    double size;
    Point at(double x, double y) const {
        const double scale = size / (kWorld.maxX - kWorld.minX);
        return {left + (x - kWorld.minX) * scale, top + (kWorld.maxY - y) * scale};
    }
    Point topLeft(const Rect& r) const { return at(r.minX, r.maxY); }
    double width(const Rect& r) const { return size * (r.maxX - r.minX) / 1024; }
    double height(const Rect& r) const { return size * (r.maxY - r.minY) / 1024; }
};

std::string whole(double value) {
    return svgNumber(value);
}

std::string coordinates(const Actor& actor) {
    const Vec2 p = actor.getPosition2D();
    return "(" + whole(p.x) + ", " + whole(p.y) + ")";
}

std::string cellOrder(const Cell2d& cell) {
    std::string ids;
    for (std::int32_t i = 0; i < cell.count; ++i) {
        ids += (i == 0 ? "" : ", ") + std::to_string(cell.entities[i]->getID());
    }
    return ids;
}

std::vector<std::string> quadrantLines(const NodeView& child, std::size_t index) {
    std::vector<std::string> lines = {std::string(kQuadrantNames.at(index)) + " child, children[" +
                                      std::to_string(index) + "]"};
    if (child.cell != nullptr) {
        lines.push_back("leaf, " + std::to_string(child.entities) + " entities");
        lines.push_back("its cell in its own " + std::string(child.slot));
        lines.push_back("cell holds ids " + cellOrder(*child.cell));
    } else if (child.divided()) {
        lines.push_back("divided");
    } else {
        lines.push_back("empty: no cell, no children");
    }
    return lines;
}

/// The lines of a quadrant's text in its corner away from the centre, clear of the entities.
void quadrantText(Svg& svg, const MapView& map, const NodeView& child, std::size_t index) {
    const std::vector<std::string> lines = quadrantLines(child, index);
    const bool west = index < 2;
    const bool north = index % 2 == 1;
    const double x = west ? map.at(child.rect.minX, 0).x + 8 : map.at(child.rect.maxX, 0).x - 8;
    const double lineHeight = 16;
    const double firstLine = north ? map.at(0, child.rect.maxY).y + 20
                                   : map.at(0, child.rect.minY).y - 10 -
                                         lineHeight * static_cast<double>(lines.size() - 1);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        svg.text({x, firstLine + lineHeight * static_cast<double>(i)}, lines[i],
                 std::string(i == 0 ? "bold" : "") + (west ? "" : " end"));
    }
}

void entityDots(Svg& svg, const MapView& map, const PlacedActors& placed, bool labelled) {
    for (const auto& actor : placed.actors()) {
        const Vec2 p = actor->getPosition2D();
        const Point at = map.at(p.x, p.y);
        svg.circle(at, labelled ? 5 : 3, "entity");
        if (labelled) {
            svg.text({at.x + 9, at.y + 4}, "id " + std::to_string(actor->getID()), "bold halo");
            svg.text({at.x + 9, at.y + 16}, coordinates(*actor), "small halo");
        }
    }
}

std::string fiveTreeMap(const BuiltTree& tree, const PlacedActors& placed) {
    Svg svg(520, 560, "The five-entity tree", kFigureMark);
    svg.text({10, 22}, "Five entities: a run's first build over -512..512", "title");
    const MapView map{50, 60, 420};
    const NodeView& root = tree.nodes().front();
    std::size_t index = 0;
    for (const NodeView& node : tree.nodes()) {
        if (node.depth != 1) {
            continue;
        }
        const char* fill = node.cell != nullptr ? "stored" : "empty";
        svg.rect(map.topLeft(node.rect), map.width(node.rect), map.height(node.rect), fill);
        quadrantText(svg, map, node, index++);
    }
    const Point centre = map.at(root.rect.midX(), root.rect.midY());
    svg.line(map.at(root.rect.midX(), kWorld.maxY), map.at(root.rect.midX(), kWorld.minY),
             "midline");
    svg.line(map.at(kWorld.minX, root.rect.midY()), map.at(kWorld.maxX, root.rect.midY()),
             "midline");
    svg.rect(map.topLeft(kWorld), map.size, map.size, "frame");
    entityDots(svg, map, placed, true);

    svg.text({centre.x, map.top - 6}, "midX = " + whole(root.rect.midX()), "small mid");
    svg.text({map.left + map.size + 4, centre.y + 4}, "midY", "small");
    svg.text({map.left + map.size + 4, centre.y + 16}, "= " + whole(root.rect.midY()), "small");
    svg.text({map.left - 4, map.top + 10}, whole(kWorld.maxY), "small end");
    svg.text({map.left - 4, map.top + map.size}, whole(kWorld.minY), "small end");
    svg.text({map.left, map.top + map.size + 14}, whole(kWorld.minX), "small mid");
    svg.text({map.left + map.size, map.top + map.size + 14}, whole(kWorld.maxX), "small mid");

    const double foot = map.top + map.size + 36;
    svg.text({10, foot},
             "Root: " + std::to_string(root.entities) +
                 " entities inside, so divided; children added SW, NW, SE, NE; no cell.",
             "");
    svg.text({10, foot + 18},
             "A cell holds its entities highest table slot first (entity n in slot n + 1).", "");
    svg.text({10, foot + 36}, "Green: a leaf whose cell is stored. Grey: an empty node.", "");
    return svg.finish();
}

} // namespace

std::vector<Figure> treeFigures() {
    std::vector<Figure> figures;
    {
        const PlacedActors placed({{-100, -100}, {-200, -300}, {100, 100}, {200, 300}, {300, 200}});
        const BuiltTree tree;
        figures.push_back({"quadtree-five.svg", fiveTreeMap(tree, placed)});
    }
    return figures;
}
