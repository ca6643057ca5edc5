// The quad-tree pictures: trees built by QuadTreeBuilder over actors in the entity table,
// walked and drawn as they are, and a game's partition with the actors its queries find.
#include "figures.h"
#include "svg.h"

#include <engine/actor.h>
#include <engine/baseentity.h>
#include <engine/cell2d.h>
#include <engine/quadlayout.h>
#include <engine/quadnode.h>
#include <engine/quadquery.h>
#include <engine/quadtreecheck.h>
#include <engine/trace.h>

#include <demo/world.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

// The engine traces as actors are made and trees built; the tool's output is its pictures, so
// the trace goes nowhere meanwhile.

/// The quadrants in the order the builder adds them as children.
constexpr std::array<const char*, 4> kQuadrantNames = {"south-west", "north-west", "south-east",
                                                       "north-east"};

/// Actors at the given places, put into the entity table as a game puts them; each takes its
/// slot with it when it is released at the end.
class PlacedActors {
public:
    explicit PlacedActors(const std::vector<Point>& places) {
        const ScopedTraceRoute quiet(TraceRoute::nowhere());
        for (const Point& place : places) {
            auto actor = std::make_unique<Actor>();
            actor->setPosition(place.x, place.y, 0);
            if (!addToEntityTable(*actor)) {
                throw std::runtime_error("no table slot for a figure's actor");
            }
            actors_.push_back(std::move(actor));
        }
    }

    const std::vector<std::unique_ptr<Actor>>& actors() const { return actors_; }

private:
    std::vector<std::unique_ptr<Actor>> actors_;
};

/// What the walk finds at one node.
struct NodeView {
    const QuadNode* node;
    QuadRect rect;
    int depth;
    int entities;       ///< Actors of the table strictly inside the rectangle.
    const char* slot;   ///< The cell slot that holds a cell, or null.
    const Cell2d* cell; ///< The cell in that slot, or null.
    int leafOrder;      ///< 1 for the build's first leaf cell, and so on; 0 for other nodes.
    bool divided() const { return !node->children.empty(); }
};

int insideCount(const QuadRect& r) {
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
void walk(const QuadNode* node, const QuadRect& r, int depth, int& leaves,
          std::vector<NodeView>& out) {
    NodeView view{node, r, depth, insideCount(r), nullptr, nullptr, 0};
    findCell(view);
    if (!view.divided() && view.entities > 0) {
        view.leafOrder = ++leaves;
    }
    out.push_back(view);
    const auto parts = r.quadrants();
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
        const ScopedTraceRoute quiet(TraceRoute::nowhere());
        cellSlotCounter = 0;
        root_ = QuadTreeBuilder(kWorldSquare.minX, kWorldSquare.maxX, kWorldSquare.minY,
                                kWorldSquare.maxY, EntityTable);
        const QuadTreeCheck check =
            checkQuadTree(root_, kWorldSquare.minX, kWorldSquare.maxX, kWorldSquare.minY,
                          kWorldSquare.maxY, EntityTable);
        if (!check.problem.empty()) {
            releaseQuadTree(root_);
            throw std::runtime_error("the built tree fails its check: " + check.problem);
        }
        int leaves = 0;
        walk(root_, kWorldSquare, 0, leaves, nodes_);
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
        const double scale = size / (kWorldSquare.maxX - kWorldSquare.minX);
        return {left + (x - kWorldSquare.minX) * scale, top + (kWorldSquare.maxY - y) * scale};
    }
    Point topLeft(const QuadRect& r) const { return at(r.minX, r.maxY); }
    double width(const QuadRect& r) const {
        return size * (r.maxX - r.minX) / (kWorldSquare.maxX - kWorldSquare.minX);
    }
    double height(const QuadRect& r) const {
        return size * (r.maxY - r.minY) / (kWorldSquare.maxY - kWorldSquare.minY);
    }
};

std::string coordinates(const Actor& actor) {
    const Vec2 p = actor.getPosition2D();
    return "(" + svgNumber(p.x) + ", " + svgNumber(p.y) + ")";
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
        lines.emplace_back("divided");
    } else {
        lines.emplace_back("empty: no cell, no children");
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
                 i == 0 ? (west ? "bold" : "bold end") : (west ? "" : "end"));
    }
}

/// Every entity as a dot with its identifier and place; west of the centre the label goes on
/// the dot's west side, clear of the midline.
void labelledEntities(Svg& svg, const MapView& map, const PlacedActors& placed) {
    for (const auto& actor : placed.actors()) {
        const Vec2 p = actor->getPosition2D();
        const Point at = map.at(p.x, p.y);
        svg.circle(at, 5, "entity");
        const bool west = p.x < 0;
        const double x = west ? at.x - 9 : at.x + 9;
        svg.text({x, at.y + 4}, "id " + std::to_string(actor->getID()),
                 west ? "bold halo end" : "bold halo");
        svg.text({x, at.y + 16}, coordinates(*actor), west ? "small halo end" : "small halo");
    }
}

const char* leafStyle(const NodeView& node) {
    if (node.cell != nullptr) {
        return "stored";
    }
    return node.entities > 0 ? "unstored" : "empty";
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
        svg.rect(map.topLeft(node.rect), map.width(node.rect), map.height(node.rect),
                 leafStyle(node));
        quadrantText(svg, map, node, index++);
    }
    const Point centre = map.at(root.rect.midX(), root.rect.midY());
    svg.line(map.at(root.rect.midX(), kWorldSquare.maxY),
             map.at(root.rect.midX(), kWorldSquare.minY), "midline");
    svg.line(map.at(kWorldSquare.minX, root.rect.midY()),
             map.at(kWorldSquare.maxX, root.rect.midY()), "midline");
    svg.rect(map.topLeft(kWorldSquare), map.size, map.size, "frame");
    labelledEntities(svg, map, placed);

    svg.text({centre.x, map.top - 6}, "midX = " + svgNumber(root.rect.midX()), "small mid");
    svg.text({map.left + map.size + 4, centre.y + 4}, "midY", "small");
    svg.text({map.left + map.size + 4, centre.y + 16}, "= " + svgNumber(root.rect.midY()), "small");
    svg.text({map.left - 4, map.top + 10}, svgNumber(kWorldSquare.maxY), "small end");
    svg.text({map.left - 4, map.top + map.size}, svgNumber(kWorldSquare.minY), "small end");
    svg.text({map.left, map.top + map.size + 14}, svgNumber(kWorldSquare.minX), "small mid");
    svg.text({map.left + map.size, map.top + map.size + 14}, svgNumber(kWorldSquare.maxX),
             "small mid");

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

constexpr double kGraphBoxWidth = 119;
constexpr double kGraphBoxGap = 8;
constexpr double kGraphLine = 15;

std::string rectText(double low, double high) {
    return svgNumber(low) + " to " + svgNumber(high);
}

/// A child node's box: what it is, and its four cell slots in declaration order; returns the
/// point from which an arrow leads to its cell, if it holds one.
Point childBox(Svg& svg, const NodeView& child, std::size_t index, double left, double top) {
    svg.rect({left, top}, kGraphBoxWidth, 126, child.cell != nullptr ? "stored" : "empty");
    svg.text({left + 6, top + 16}, "children[" + std::to_string(index) + "]", "bold");
    svg.text({left + 6, top + 16 + kGraphLine}, kQuadrantNames.at(index), "");
    svg.text({left + 6, top + 16 + 2 * kGraphLine},
             child.cell != nullptr ? "leaf, " + std::to_string(child.entities) + " entities"
                                   : "empty",
             "");
    Point cellArrow{left + kGraphBoxWidth / 2, top + 126};
    double y = top + 16 + 3.4 * kGraphLine;
    for (const char* slot : {"nwCell", "neCell", "swCell", "seCell"}) {
        const bool holds = child.slot != nullptr && std::string(slot) == child.slot;
        svg.text({left + 10, y}, std::string(slot) + (holds ? " \u2192 cell" : "   null"),
                 holds ? "code bold" : "code");
        y += kGraphLine;
    }
    return cellArrow;
}

void cellBox(Svg& svg, const NodeView& child, Point from, double left, double top) {
    const Cell2d& cell = *child.cell;
    const double height = 12 + kGraphLine * (4 + cell.count);
    svg.arrow(from, {from.x, top - 2}, "green", "green");
    svg.rect({left, top}, kGraphBoxWidth, height, "box");
    svg.text({left + 6, top + 16}, "Cell2d", "bold");
    svg.text({left + 6, top + 16 + kGraphLine}, "x " + rectText(cell.minX, cell.maxX), "small");
    svg.text({left + 6, top + 16 + 2 * kGraphLine}, "y " + rectText(cell.minY, cell.maxY), "small");
    svg.text({left + 6, top + 16 + 3 * kGraphLine}, "count " + std::to_string(cell.count), "code");
    for (std::int32_t i = 0; i < cell.count; ++i) {
        svg.text({left + 6, top + 16 + kGraphLine * (4 + i)},
                 "[" + std::to_string(i) + "]: id " + std::to_string(cell.entities[i]->getID()),
                 "code");
    }
}

std::string fiveTreeGraph(const BuiltTree& tree) {
    Svg svg(520, 480, "The five-entity tree as nodes", kFigureMark);
    svg.text({10, 22}, "The five-entity tree as nodes and cells", "title");
    const NodeView& root = tree.nodes().front();
    const Point rootTop{150, 40};
    svg.rect(rootTop, 220, 64, "box");
    svg.text({rootTop.x + 8, rootTop.y + 18}, "root: QuadNode, depth 0", "bold");
    svg.text({rootTop.x + 8, rootTop.y + 18 + kGraphLine},
             std::to_string(root.entities) + " entities inside: divided", "");
    svg.text({rootTop.x + 8, rootTop.y + 18 + 2 * kGraphLine}, "all four cell slots null", "");
    std::size_t index = 0;
    for (const NodeView& child : tree.nodes()) {
        if (child.depth != 1) {
            continue;
        }
        const double left = 10 + static_cast<double>(index) * (kGraphBoxWidth + kGraphBoxGap);
        const double top = 150;
        svg.arrow({260, rootTop.y + 64}, {left + kGraphBoxWidth / 2, top - 2}, "dark", "dark");
        const Point from = childBox(svg, child, index, left, top);
        if (child.cell != nullptr) {
            cellBox(svg, child, from, left, top + 156);
        }
        ++index;
    }
    svg.text({10, 440}, "The slot comes from one count for the whole run, not from the node's", "");
    svg.text({10, 456},
             "place: the 1st cell goes to swCell, the 2nd to nwCell, then seCell, neCell.", "");
    svg.text({10, 472}, "A cell holds its entities highest table slot first.", "");
    return svg.finish();
}

/// Thirty entities in two clusters and a scatter, so that the tree divides several levels deep.
const std::vector<Point> kCrowd = {
    {300, 300},   {330, 450},   {350, 290},   {400, 330},   {290, 400},   {340, 370},
    {450, 360},   {280, 470},   {470, 280},   {430, 440},   {370, 480},   {150, 400},
    {200, 180},   {100, 300},   {-300, -300}, {-260, -340}, {-340, -250}, {-380, -330},
    {-220, -280}, {-300, -380}, {-410, -400}, {-250, -220}, {-350, -180}, {-300, 300},
    {-150, 420},  {-420, 150},  {-100, 100},  {200, -300},  {400, -150},  {100, -420}};

constexpr int kDepthStyles = 5;

std::string depthStyle(int depth) {
    return "depth" + std::to_string(depth < kDepthStyles ? depth : kDepthStyles - 1);
}

/// Leaves filled by kind, then the midlines of every divided node, deepest first so that the
/// shallower lines stay on top.
void drawNodes(Svg& svg, const MapView& map, const BuiltTree& tree, int deepest) {
    for (const NodeView& node : tree.nodes()) {
        if (!node.divided()) {
            svg.rect(map.topLeft(node.rect), map.width(node.rect), map.height(node.rect),
                     leafStyle(node));
        }
    }
    for (int depth = deepest; depth >= 0; --depth) {
        for (const NodeView& node : tree.nodes()) {
            if (node.depth != depth || !node.divided()) {
                continue;
            }
            const QuadRect& r = node.rect;
            svg.line(map.at(r.midX(), r.maxY), map.at(r.midX(), r.minY), depthStyle(depth));
            svg.line(map.at(r.minX, r.midY()), map.at(r.maxX, r.midY()), depthStyle(depth));
        }
    }
    svg.rect(map.topLeft(kWorldSquare), map.size, map.size, "frame");
}

void leafLabels(Svg& svg, const MapView& map, const BuiltTree& tree) {
    for (const NodeView& node : tree.nodes()) {
        if (node.leafOrder == 0) {
            continue;
        }
        const Point corner = map.topLeft(node.rect);
        svg.text({corner.x + 3, corner.y + 12}, std::to_string(node.entities), "bold halo");
        if (node.cell != nullptr) {
            svg.text({corner.x + 3, corner.y + 24}, node.slot, "small halo");
        }
    }
}

void depthKey(Svg& svg, double top, int deepest) {
    svg.text({10, top + 4}, "midlines of a node at depth", "small");
    for (int depth = 0; depth <= deepest; ++depth) {
        const double x = 160 + 60 * depth;
        svg.line({x, top}, {x + 24, top}, depthStyle(depth));
        svg.text({x + 28, top + 4}, std::to_string(depth), "small");
    }
}

void kindKey(Svg& svg, double top) {
    const std::array<std::pair<const char*, const char*>, 3> kinds = {{
        {"stored", "leaf, cell in a slot"},
        {"unstored", "leaf, cell in no slot"},
        {"empty", "empty node"},
    }};
    double x = 10;
    for (const auto& [style, words] : kinds) {
        svg.rect({x, top - 9}, 14, 12, style);
        svg.text({x + 19, top + 1}, words, "small");
        x += 150;
    }
}

std::string crowdMap(const BuiltTree& tree) {
    int deepest = 0;
    int leaves = 0;
    int stored = 0;
    int empty = 0;
    for (const NodeView& node : tree.nodes()) {
        deepest = node.depth > deepest ? node.depth : deepest;
        leaves += node.leafOrder > 0 ? 1 : 0;
        stored += node.cell != nullptr ? 1 : 0;
        empty += !node.divided() && node.entities == 0 ? 1 : 0;
    }
    Svg svg(520, 596, "A bigger quad tree and its cell slots", kFigureMark);
    svg.text({10, 22},
             std::to_string(kCrowd.size()) + " entities: a run's first build over -512..512",
             "title");
    const MapView map{50, 40, 420};
    drawNodes(svg, map, tree, deepest);
    for (const Point& place : kCrowd) {
        svg.circle(map.at(place.x, place.y), 3, "entity");
    }
    leafLabels(svg, map, tree);

    const double foot = map.top + map.size + 22;
    kindKey(svg, foot);
    depthKey(svg, foot + 20, deepest);
    svg.text({10, foot + 44},
             std::to_string(tree.nodes().size()) + " nodes, down to depth " +
                 std::to_string(deepest) + ": " + std::to_string(leaves) +
                 " leaves (number: its entities) and " + std::to_string(empty) + " empty nodes.",
             "");
    svg.text({10, foot + 62},
             "Only the build's first " + std::to_string(stored) +
                 " leaf cells, depth first (SW, NW, SE, NE), are stored:",
             "");
    svg.text({10, foot + 80},
             "in swCell, nwCell, seCell, neCell of their own leaf. The other " +
                 std::to_string(leaves - stored) + " are in no slot.",
             "");
    return svg.finish();
}

/// Eighteen entities: two quadrants divided, one on the root's midline, one on a midline of
/// the south-west quadrant, one on the world's west border; the manual's query example uses the
/// same places, rectangle and circle.
const std::vector<Point> kQueried = {
    {-300, -300}, {-250, -350}, {-350, -200}, {-200, -300}, {-400, -420}, {-256, -100},
    {100, 100},   {200, 300},   {300, 200},   {0, 250},     {-512, 300},  {150, -200},
    {-150, 200},  {400, -400},  {250, 250},   {350, 400},   {-400, 100},  {-300, 350}};
constexpr QuadRect kQueryRect{-260, 150, -200, 250};
constexpr Point kQueryCentre{-400, 250};
constexpr double kQueryDistance = 150;

/// Which query found an entity, if any.
enum class Found { none, inRect, within };

/// A game's partition of the table and the two visits over it, as a game runs them. Entities
/// are numbered in the order they were made, from 0: the identifiers the manual's example, a
/// program of its own, gives them.
class QueriedTree {
public:
    explicit QueriedTree(const PlacedActors& placed)
        : firstId_(placed.actors().front()->getID()), found_(placed.actors().size(), Found::none) {
        partitionQuadTree(kWorldSquare, EntityTable, layout_);
        inRect_ =
            visitInRect(layout_, kQueryRect, [this](Actor* actor) { mark(*actor, Found::inRect); });
        within_ = visitWithin(layout_, Vec2(kQueryCentre.x, kQueryCentre.y), kQueryDistance,
                              [this](Actor* actor) { mark(*actor, Found::within); });
    }

    const QuadTreeLayout& layout() const { return layout_; }
    std::size_t inRect() const { return inRect_; }
    std::size_t within() const { return within_; }
    std::size_t number(const Actor& actor) const { return actor.getID() - firstId_; }
    Found of(const Actor& actor) const { return found_.at(number(actor)); }

private:
    void mark(const Actor& actor, Found how) { found_.at(number(actor)) = how; }

    std::uint32_t firstId_;
    std::vector<Found> found_; ///< By number.
    QuadTreeLayout layout_;
    std::size_t inRect_ = 0;
    std::size_t within_ = 0;
};

/// Leaves grey or white by whether they hold entities, then each divided node's midlines.
void drawLayout(Svg& svg, const MapView& map, const QuadTreeLayout& layout) {
    for (const QuadLeaf& leaf : layout.leaves) {
        svg.rect(map.topLeft(leaf.rect), map.width(leaf.rect), map.height(leaf.rect),
                 leaf.count > 0 ? "box" : "empty");
    }
    for (auto node = layout.divided.rbegin(); node != layout.divided.rend(); ++node) {
        const QuadRect& r = node->rect;
        svg.line(map.at(r.midX(), r.maxY), map.at(r.midX(), r.minY), depthStyle(node->depth));
        svg.line(map.at(r.minX, r.midY()), map.at(r.maxX, r.midY()), depthStyle(node->depth));
    }
    svg.rect(map.topLeft(kWorldSquare), map.size, map.size, "frame");
}

const char* foundStyle(Found how) {
    switch (how) {
    case Found::inRect:
        return "final";
    case Found::within:
        return "target";
    case Found::none:
        break;
    }
    return "entity";
}

/// Every entity as a dot coloured by the query that found it, labelled with its identifier.
void queriedEntities(Svg& svg, const MapView& map, const PlacedActors& placed,
                     const QueriedTree& tree) {
    for (const auto& actor : placed.actors()) {
        const Vec2 p = actor->getPosition2D();
        const Point at = map.at(p.x, p.y);
        const Found how = tree.of(*actor);
        if (how != Found::none) {
            svg.circle(at, 8, "ring");
        }
        svg.circle(at, 4, foundStyle(how));
        svg.text({at.x + 9, at.y + 4}, std::to_string(tree.number(*actor)), "bold halo");
    }
}

std::string numberList(const std::vector<Actor*>& actors, const QueriedTree& tree) {
    std::string numbers;
    for (const Actor* actor : actors) {
        numbers += (numbers.empty() ? "" : ", ") + std::to_string(tree.number(*actor));
    }
    return numbers;
}

void queryKey(Svg& svg, double top, const QueriedTree& tree) {
    svg.rect({10, top - 9}, 14, 12, "red");
    svg.text({29, top + 1},
             "visitInRect [" + svgNumber(kQueryRect.minX) + ", " + svgNumber(kQueryRect.maxX) +
                 "] x [" + svgNumber(kQueryRect.minY) + ", " + svgNumber(kQueryRect.maxY) +
                 "]: " + std::to_string(tree.inRect()) + " found, red",
             "small");
    svg.circle({17, top + 15}, 6, "circle");
    svg.text({29, top + 19},
             "visitWithin (" + svgNumber(kQueryCentre.x) + ", " + svgNumber(kQueryCentre.y) +
                 "), " + svgNumber(kQueryDistance) + ": " + std::to_string(tree.within()) +
                 " found, blue",
             "small");
    svg.text({10, top + 42},
             "On a midline, in no leaf: " + numberList(tree.layout().midline, tree) +
                 ". On the border, in no node: " + numberList(tree.layout().outside, tree) + ".",
             "");
    svg.text({10, top + 60}, "Both are in the layout, and a query finds them as it finds the rest;",
             "");
    svg.text({10, top + 78}, "an actor on the rectangle's side or the circle counts as inside.",
             "");
}

std::string queryMap(const PlacedActors& placed) {
    const QueriedTree tree(placed);
    Svg svg(520, 600, "A rectangle and a circle over a game's tree", kFigureMark);
    svg.text({10, 22},
             std::to_string(kQueried.size()) + " entities, partitionQuadTree over -512..512",
             "title");
    const MapView map{50, 40, 420};
    drawLayout(svg, map, tree.layout());
    svg.rect(map.topLeft(kQueryRect), map.width(kQueryRect), map.height(kQueryRect), "red");
    svg.circle(map.at(kQueryCentre.x, kQueryCentre.y),
               map.size * kQueryDistance / (kWorldSquare.maxX - kWorldSquare.minX), "circle");
    queriedEntities(svg, map, placed, tree);
    queryKey(svg, map.top + map.size + 22, tree);
    return svg.finish();
}

} // namespace

std::vector<Figure> treeFigures() {
    std::vector<Figure> figures;
    {
        const PlacedActors placed({{-100, -100}, {-200, -300}, {100, 100}, {200, 300}, {300, 200}});
        const BuiltTree tree;
        figures.push_back({"quadtree-five.svg", fiveTreeMap(tree, placed)});
        figures.push_back({"quadtree-graph.svg", fiveTreeGraph(tree)});
    }
    {
        // Held for the build only: the actors stand in the table while it lasts.
        // cppcheck-suppress unreadVariable
        const PlacedActors placed(kCrowd);
        const BuiltTree tree;
        figures.push_back({"quadtree-cells.svg", crowdMap(tree)});
    }
    {
        const PlacedActors placed(kQueried);
        figures.push_back({"quadtree-query.svg", queryMap(placed)});
    }
    return figures;
}
