// Decodes an input into a sequence of engine operations and checks, after every step, what
// must always hold: queue bounds and order, one delivery and one reception trace per message,
// cell contents, the shape of every quad tree built, the game's partition equal to the
// builder's and its queries equal to a scan, table draws and the wander circle, and
// (through LeakSanitizer, once the input is done) nothing left allocated. Operations that end
// the program by design are steered around: identifiers are never drawn from an exhausted
// counter.
#include <engine/actor.h>
#include <engine/baseentity.h>
#include <engine/cell2d.h>
#include <engine/message.h>
#include <engine/quadlayout.h>
#include <engine/quadnode.h>
#include <engine/quadquery.h>
#include <engine/quadtreecheck.h>
#include <engine/steering.h>

#include "capture.h"
#include "layoutscan.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <limits>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr std::size_t kMaxActors = 48;
constexpr std::size_t kMaxTrees = 4;
// Every node of a build scans the whole table, and so does its check: a few builds per input
// keep the fuzzer fast enough to explore everything else.
constexpr int kMaxBuilds = 8;
constexpr std::size_t kMaxCells = 4;
constexpr int kMaxSteps = 256;
constexpr std::uint32_t kU32Max = std::numeric_limits<std::uint32_t>::max();

// Messages built by the handler's send, process-wide: its identifier counter is never reset.
std::uint64_t sentInProcess = 0;

[[noreturn]] void fail(const std::string& what) {
    std::fprintf(stderr, "invariant broken: %s\n", what.c_str());
    std::abort();
}

// Takes plain text: the check runs for every slot of every step, and must not allocate.
void require(bool holds, const char* what) {
    if (!holds) {
        fail(what);
    }
}

bool sameDouble(double a, double b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// Whether squared distances from c, and d squared, order as the exact distances do (0, infinite,
// NaN or normal): the scans compare squares, the unit tests check the other scales.
bool squaresOrderExactly(Actor* const* table, Vec2 c, double d) {
    const auto exact = [](double dx, double dy, bool infinite) {
        const double d2 = dx * dx + dy * dy;
        return infinite || std::isnan(d2) || (dx == 0 && dy == 0) ||
               (d2 >= 0x1p-960 && d2 <= std::numeric_limits<double>::max());
    };
    const auto inexact = [c, &exact](Vec2 p) {
        const bool infinite = std::isinf(p.x) || std::isinf(p.y);
        return !exact(p.x - c.x, p.y - c.y, infinite && std::isfinite(c.x) && std::isfinite(c.y));
    };
    return exact(d, 0, std::isinf(d)) && layoutscan::scan(table, inexact).empty();
}

struct Sent {
    std::uint32_t receiver;
    std::uint8_t content;
    std::int32_t ival;
    std::uint32_t id;
};

struct TrackedActor {
    std::unique_ptr<Actor> actor;
    std::deque<Sent> queue; ///< what the handler must hold, oldest first
};

struct TrackedCell {
    std::unique_ptr<Cell2d> cell;
    std::vector<BaseEntity*> entities;
};

class Session {
public:
    explicit Session(FuzzedDataProvider& in) : in_(in) {}
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    void step();

private:
    FuzzedDataProvider& in_;
    std::vector<TrackedActor> actors_;
    std::vector<QuadNode*> trees_;
    std::vector<TrackedCell> cells_;
    WanderBehaviour wanderer_;
    QuadTreeLayout built_;
    QuadTreeLayout partition_;
    int builds_ = 0;

    double coordinate();
    std::uint32_t identifier();
    TrackedActor* pickActor();
    TrackedCell* pickCell();
    std::string run(std::uint8_t op);

    std::string createActor();
    std::string destroyActor();
    std::string registerActor();
    std::string clearSlot();
    std::string moveActor();
    std::string sendMessage();
    std::string fillQueue();
    std::string update();
    std::string attachTable();
    std::string buildTree();
    std::string releaseTree();
    std::string createCell();
    std::string addToCell(bool untilFull);
    std::string clearCell();
    std::string setCounters();
    std::string drawRandom();
    std::string wander();

    void checkPartition(const QuadRect& world, Actor** table);
    bool sendOne(TrackedActor& t, std::uint32_t receiver, std::uint8_t content, std::int32_t ival);
    void checkActor(const TrackedActor& t) const;
    void checkCell(const TrackedCell& t) const;
};

double Session::coordinate() {
    static const double special[] = {0.0,
                                     -0.0,
                                     std::numeric_limits<double>::quiet_NaN(),
                                     std::numeric_limits<double>::infinity(),
                                     -std::numeric_limits<double>::infinity(),
                                     std::numeric_limits<double>::max(),
                                     -std::numeric_limits<double>::max(),
                                     std::numeric_limits<double>::min(),
                                     std::numeric_limits<double>::denorm_min(),
                                     -std::numeric_limits<double>::denorm_min(),
                                     1e-300,
                                     512.0,
                                     -512.0,
                                     256.0,
                                     1.0};
    switch (in_.ConsumeIntegralInRange<int>(0, 3)) {
    case 0:
        return in_.PickValueInArray(special);
    case 1: {
        const auto bits = in_.ConsumeIntegral<std::uint64_t>();
        double raw = 0;
        std::memcpy(&raw, &bits, sizeof raw);
        return raw;
    }
    case 2: {
        // Coincident with an actor already placed.
        const TrackedActor* t = pickActor();
        return t == nullptr ? 0.0
                            : (in_.ConsumeBool() ? t->actor->position.x : t->actor->position.y);
    }
    default:
        return in_.ConsumeIntegralInRange<int>(-600, 600) / 4.0;
    }
}

std::uint32_t Session::identifier() {
    switch (in_.ConsumeIntegralInRange<int>(0, 3)) {
    case 0:
        return in_.ConsumeIntegralInRange<std::uint32_t>(0, 8);
    case 1:
        return in_.PickValueInArray({1021u, 1022u, 1023u, 1024u, kU32Max - 1, kU32Max});
    case 2: {
        const TrackedActor* t = pickActor();
        return t == nullptr ? 0 : t->actor->getID();
    }
    default:
        return in_.ConsumeIntegral<std::uint32_t>();
    }
}

TrackedActor* Session::pickActor() {
    if (actors_.empty()) {
        return nullptr;
    }
    return &actors_[in_.ConsumeIntegralInRange<std::size_t>(0, actors_.size() - 1)];
}

TrackedCell* Session::pickCell() {
    if (cells_.empty()) {
        return nullptr;
    }
    return &cells_[in_.ConsumeIntegralInRange<std::size_t>(0, cells_.size() - 1)];
}

std::string Session::createActor() {
    // Steered around: a creation with be_val at its largest value ends the program by design.
    if (actors_.size() >= kMaxActors || be_val == kU32Max) {
        return {};
    }
    const std::uint32_t expectedId = be_val;
    const bool named = in_.ConsumeBool();
    const std::string name = named ? in_.ConsumeRandomLengthString(12) : std::string();
    TrackedActor t;
    t.actor = named ? std::make_unique<Actor>(name) : std::make_unique<Actor>();
    const Actor& a = *t.actor;
    require(a.getID() == expectedId && be_val == expectedId + 1, "identifiers out of order");
    require(a.name == name && a.handler.holder == 1, "actor constructed wrongly");
    std::string expected = "\n" + addressText(&a.handler);
    if (!named) {
        expected += "\n" + addressText(&a);
    } else if (name.empty()) {
        expected += "\nBullshit: cName is NULL!";
    }
    actors_.push_back(std::move(t));
    return expected;
}

std::string Session::destroyActor() {
    if (actors_.empty()) {
        return {};
    }
    const std::size_t i = in_.ConsumeIntegralInRange<std::size_t>(0, actors_.size() - 1);
    // The table owns nothing: its owner clears the slots before the actor goes.
    std::replace(EntityTable, EntityTable + kEntityTableSize, actors_[i].actor.get(),
                 static_cast<Actor*>(nullptr));
    actors_.erase(actors_.begin() + static_cast<std::ptrdiff_t>(i));
    return {};
}

std::string Session::registerActor() {
    TrackedActor* t = pickActor();
    if (t != nullptr) {
        EntityTable[in_.ConsumeIntegralInRange<std::size_t>(0, kEntityTableSize - 1)] =
            t->actor.get();
    }
    return {};
}

std::string Session::clearSlot() {
    EntityTable[in_.ConsumeIntegralInRange<std::size_t>(0, kEntityTableSize - 1)] = nullptr;
    return {};
}

std::string Session::moveActor() {
    TrackedActor* t = pickActor();
    if (t == nullptr) {
        return {};
    }
    const double x = coordinate();
    const double y = coordinate();
    const double z = coordinate();
    t->actor->setPosition(x, y, z);
    const Vec2 p = t->actor->getPosition2D();
    require(sameDouble(p.x, x) && sameDouble(p.y, y), "planar position differs from the one set");
    return {};
}

bool Session::sendOne(TrackedActor& t, std::uint32_t receiver, std::uint8_t content,
                      std::int32_t ival) {
    // Steered around: the message identifier counter must never reach its largest value.
    if (sentInProcess >= kU32Max) {
        return false;
    }
    const bool room = t.queue.size() < static_cast<std::size_t>(MHandler::kCapacity);
    const bool sent = t.actor->sendMessage(receiver, content, ival);
    require(sent == room, "send on a queue with room refused, or on a full queue accepted");
    if (sent) {
        t.queue.push_back({receiver, content, ival, static_cast<std::uint32_t>(sentInProcess++)});
    }
    return sent;
}

std::string Session::sendMessage() {
    TrackedActor* t = pickActor();
    if (t != nullptr) {
        const std::uint32_t receiver = identifier();
        sendOne(*t, receiver, in_.ConsumeIntegral<std::uint8_t>(),
                in_.ConsumeIntegral<std::int32_t>());
    }
    return {};
}

std::string Session::fillQueue() {
    TrackedActor* t = pickActor();
    if (t == nullptr) {
        return {};
    }
    const std::uint32_t receiver = identifier();
    const auto content = in_.ConsumeIntegral<std::uint8_t>();
    while (sendOne(*t, receiver, content, static_cast<std::int32_t>(t->queue.size()))) {
    }
    return {};
}

std::string Session::update() {
    TrackedActor* t = pickActor();
    if (t == nullptr) {
        return {};
    }
    if (t->queue.empty()) {
        t->actor->update();
        return {};
    }
    const Sent head = t->queue.front();
    t->queue.pop_front();
    std::string expected;
    Actor** table = t->actor->handler.entityTable;
    const std::uint64_t slot = std::uint64_t{head.receiver} + 1;
    if (head.receiver != t->actor->handler.holder && table != nullptr && slot < kEntityTableSize &&
        table[slot] != nullptr) {
        expected = "Message received... asshole.\nReceiver:" + std::to_string(head.receiver) +
                   "\nMessage:" + std::string(1, static_cast<char>(head.content));
    }
    t->actor->update();
    return expected;
}

std::string Session::attachTable() {
    TrackedActor* t = pickActor();
    if (t == nullptr) {
        return {};
    }
    Actor** table = in_.ConsumeBool() ? EntityTable : nullptr;
    t->actor->handler.setEntityTable(table);
    require(t->actor->handler.entityTable == table, "table not attached");
    if (table == nullptr || table[1] == nullptr) {
        return {};
    }
    return std::to_string(table[1]->getID());
}

std::string traceOf(const QuadNode* node) {
    std::string text = "\n" + addressText(node);
    for (const QuadNode* child : node->children) {
        text += traceOf(child);
    }
    return text + "\nFinished a quad tree iteration.";
}

std::string Session::buildTree() {
    if (trees_.size() >= kMaxTrees || builds_ >= kMaxBuilds) {
        return {};
    }
    const double minX = coordinate();
    const double maxX = coordinate();
    const double minY = coordinate();
    const double maxY = coordinate();
    Actor** table = in_.ConsumeProbability<double>() < 0.9 ? EntityTable : nullptr;
    ++builds_;
    QuadNode* root = QuadTreeBuilder(minX, maxX, minY, maxY, table, built_);
    trees_.push_back(root);
    const QuadTreeCheck check = checkQuadTree(root, minX, maxX, minY, maxY, table);
    if (!check.problem.empty()) {
        fail("quad tree: " + check.problem);
    }
    checkPartition({minX, maxX, minY, maxY}, table);
    return traceOf(root);
}

// The game's partition is the builder's layout, and a query of each kind, at coordinates of the
// input's choosing, finds what a scan of the table finds.
void Session::checkPartition(const QuadRect& world, Actor** table) {
    // The builder gives every actor every kind, so the partition it must equal does too; the
    // filtered queries then run on a partition that gives each actor its own.
    partitionQuadTree(world, table, partition_);
    const std::string difference = layoutscan::differenceBetween(partition_, built_);
    if (!difference.empty()) {
        fail("partition differs from the builder's layout: " + difference);
    }
    partitionQuadTree(world, table, partition_, layoutscan::kindsById);
    require(layoutscan::holdsEveryActorOnce(partition_, table), "an actor lost or doubled");
    const QuadRect r{coordinate(), coordinate(), coordinate(), coordinate()};
    require(layoutscan::queryInRect(partition_, r) == layoutscan::scanInRect(table, r),
            "rectangle query differs from a scan");
    const Vec2 c{coordinate(), coordinate()};
    const double d = coordinate();
    const TrackedActor* self = pickActor();
    const Actor* leaveOut = self == nullptr ? nullptr : self->actor.get();
    const QuadFilter filter{in_.ConsumeIntegralInRange<QuadKinds>(0, 7), leaveOut};
    require(layoutscan::queryInRect(partition_, r, filter) ==
                layoutscan::filtered(layoutscan::scanInRect(table, r), filter),
            "filtered rectangle query differs from a scan");
    const std::size_t k = in_.ConsumeIntegralInRange<std::size_t>(0, 12);
    if (!squaresOrderExactly(table, c, d)) {
        return;
    }
    require(layoutscan::queryWithin(partition_, c, d) == layoutscan::scanWithin(table, c, d),
            "distance query differs from a scan");
    require(findNearest(partition_, c, leaveOut).actor ==
                layoutscan::scanNearest(table, c, leaveOut),
            "nearest differs from a scan");
    require(layoutscan::queryWithin(partition_, c, d, filter) ==
                layoutscan::filtered(layoutscan::scanWithin(table, c, d), filter),
            "filtered distance query differs from a scan");
    require(layoutscan::queryKNearest(partition_, c, k, filter) ==
                layoutscan::scanKNearest(table, c, k, filter),
            "k nearest differs from a scan");
}

std::string Session::releaseTree() {
    if (!trees_.empty()) {
        const std::size_t i = in_.ConsumeIntegralInRange<std::size_t>(0, trees_.size() - 1);
        releaseQuadTree(trees_[i]);
        trees_.erase(trees_.begin() + static_cast<std::ptrdiff_t>(i));
    }
    return {};
}

std::string Session::createCell() {
    if (cells_.size() >= kMaxCells) {
        return {};
    }
    const double minX = coordinate();
    const double minY = coordinate();
    const double maxX = coordinate();
    const double maxY = coordinate();
    TrackedCell t;
    t.cell = std::make_unique<Cell2d>(minX, minY, maxX, maxY);
    const Cell2d& c = *t.cell;
    require(sameDouble(c.minX, minX) && sameDouble(c.minY, minY) && sameDouble(c.maxX, maxX) &&
                sameDouble(c.maxY, maxY),
            "cell rectangle not stored unchanged");
    cells_.push_back(std::move(t));
    return {};
}

std::string Session::addToCell(bool untilFull) {
    TrackedCell* t = pickCell();
    if (t == nullptr) {
        return {};
    }
    TrackedActor* a = pickActor();
    BaseEntity* entity = a == nullptr || in_.ConsumeBool() ? nullptr : a->actor.get();
    bool stored = true;
    while (stored) {
        const bool room = t->entities.size() < static_cast<std::size_t>(Cell2d::kCapacity);
        stored = t->cell->add(entity);
        require(stored == room, "add on a cell with room refused, or on a full cell accepted");
        if (stored) {
            t->entities.push_back(entity);
        }
        stored = stored && untilFull;
    }
    return {};
}

std::string Session::clearCell() {
    TrackedCell* t = pickCell();
    if (t != nullptr) {
        t->cell->clear();
        t->entities.clear();
    }
    return {};
}

std::string Session::setCounters() {
    if (in_.ConsumeBool()) {
        cellSlotCounter = in_.PickValueInArray(
            {-1, 0, 1, 2, 3, 4, 5, std::numeric_limits<std::int32_t>::max() - 1,
             std::numeric_limits<std::int32_t>::max(), std::numeric_limits<std::int32_t>::min()});
        return {};
    }
    be_val = in_.PickValueInArray({0u, 2u, 1022u, 1023u, kU32Max - 2, kU32Max - 1, kU32Max});
    return {};
}

// Any index a caller may have written is accepted; the draw lands in the table all the same.
std::string Session::drawRandom() {
    if (in_.ConsumeBool()) {
        pi_idx = in_.ConsumeBool() ? in_.ConsumeIntegral<std::int32_t>()
                                   : in_.PickValueInArray({0, 2, 60, 61, 99, 100, 101, -1, -101});
    }
    for (int draws = in_.ConsumeIntegralInRange(1, 8); draws > 0; --draws) {
        const std::int64_t stepped = (std::int64_t{pi_idx} + 3) * 3;
        const std::int64_t plain = stepped > 100 ? stepped - 101 : stepped;
        const double v = TableRandom();
        require(pi_idx >= 0 && pi_idx < kPiTableSize, "pi_idx left the table");
        require(plain < 0 || plain >= kPiTableSize || pi_idx == plain,
                "an in-table step was not taken as it stands");
        const double entry = n_pi[pi_idx];
        require(sameDouble(v, pi_idx > 60 ? entry * -1.0 : entry), "draw differs from its entry");
    }
    return {};
}

std::string Session::wander() {
    if (in_.ConsumeBool()) {
        wanderer_.m_dRadius = coordinate();
        wanderer_.m_dDistance = coordinate();
        wanderer_.m_dJitter = coordinate();
    }
    if (in_.ConsumeBool()) {
        wanderer_.m_vWanderTarget = Vec2(coordinate(), coordinate());
    }
    const std::int32_t before = pi_idx;
    const Vec2 result = wanderer_.wander();
    const std::int32_t after = pi_idx;
    pi_idx = before;
    TableRandom();
    TableRandom();
    require(pi_idx == after, "wander did not draw exactly twice");
    const double radius = std::fabs(wanderer_.m_dRadius);
    const double distance = wanderer_.m_dDistance;
    const double dx = result.x - distance;
    if (!std::isfinite(dx) || !std::isfinite(result.y) || !std::isfinite(radius)) {
        return {};
    }
    // Measured in units of the largest magnitude involved, so that neither overflow nor the
    // subnormals skew the distance; rounding is allowed for the radius and the offset.
    const double scale = std::max({radius, std::fabs(dx), std::fabs(result.y)});
    if (scale == 0) {
        return {};
    }
    const double off = std::fabs(std::hypot(dx / scale, result.y / scale) - radius / scale);
    const double tolerance = 1e-12 * (radius / scale + std::fabs(distance) / scale) +
                             8 * std::numeric_limits<double>::denorm_min() / scale;
    require(off <= tolerance, "wander left the circle around (m_dDistance, 0)");
    return {};
}

std::string Session::run(std::uint8_t op) {
    switch (op) {
    case 0:
        return createActor();
    case 1:
        return destroyActor();
    case 2:
        return registerActor();
    case 3:
        return clearSlot();
    case 4:
        return moveActor();
    case 5:
        return sendMessage();
    case 6:
        return fillQueue();
    case 7:
        return update();
    case 8:
        return attachTable();
    case 9:
        return buildTree();
    case 10:
        return releaseTree();
    case 11:
        return createCell();
    case 12:
        return addToCell(false);
    case 13:
        return addToCell(true);
    case 14:
        return clearCell();
    case 15:
        return setCounters();
    case 16:
        return drawRandom();
    default:
        return wander();
    }
}

void Session::checkActor(const TrackedActor& t) const {
    const MHandler& h = t.actor->handler;
    require(h.count >= 0 && h.count <= MHandler::kCapacity, "count outside 0 to 64");
    require(static_cast<std::size_t>(h.count) == t.queue.size(), "count differs from sends");
    for (std::int32_t i = 0; i < MHandler::kCapacity; ++i) {
        const Message* m = h.queue[i];
        if (i >= h.count) {
            require(m == nullptr, "a queue slot past count holds a message");
            continue;
        }
        const Sent& s = t.queue[static_cast<std::size_t>(i)];
        if (m == nullptr || m->sender != h.holder || m->getReceiver() != s.receiver ||
            m->getContent() != s.content || m->ival != s.ival || m->getID() != s.id) {
            fail("queue out of the order of sending at slot " + std::to_string(i));
        }
    }
}

void Session::checkCell(const TrackedCell& t) const {
    const Cell2d& c = *t.cell;
    require(c.count >= 0 && static_cast<std::size_t>(c.count) == t.entities.size(),
            "cell count differs from the adds");
    for (std::int32_t i = 0; i < Cell2d::kCapacity; ++i) {
        const auto index = static_cast<std::size_t>(i);
        const BaseEntity* expected = index < t.entities.size() ? t.entities[index] : nullptr;
        if (c.entities[i] != expected) {
            fail("cell slot " + std::to_string(i) + " wrong");
        }
    }
}

void Session::step() {
    const auto op = in_.ConsumeIntegral<std::uint8_t>();
    std::string expected;
    std::string printed;
    {
        TraceCapture capture;
        expected = run(op % 18);
        printed = capture.text();
    }
    if (printed != expected) {
        fail("printed \"" + printed + "\", expected \"" + expected + "\"");
    }
    for (const TrackedActor& t : actors_) {
        checkActor(t);
    }
    for (const TrackedCell& t : cells_) {
        checkCell(t);
    }
}

Session::~Session() {
    TraceCapture capture;
    for (QuadNode* root : trees_) {
        releaseQuadTree(root);
    }
    actors_.clear();
    cells_.clear();
    resetEngineGlobals();
    require(capture.text().empty(), "releasing printed something");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    resetEngineGlobals();
    // The process's starting index, so that an input replays the same draws on its own.
    pi_idx = 2;
    FuzzedDataProvider in(data, size);
    Session session(in);
    for (int steps = 0; steps < kMaxSteps && in.remaining_bytes() > 0; ++steps) {
        session.step();
    }
    return 0;
}
