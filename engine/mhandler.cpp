// Message handler: sending, processing, delivery and reception. The holder check stays active
// in every build.
#include "mhandler.h"

#include "actor.h"
#include "check.h"
#include "message.h"
#include "trace.h"

#include <algorithm>
#include <memory>

namespace {

// Handlings under way, one inside another's hook. One count for the process, not one a thread:
// the engine runs on one thread at a time, like the trace's route, and a plain global costs
// nothing on any target.
int nesting = 0;

// Handlers alive, so that a fresh start can refuse while any message could still be handled.
std::size_t handlersAlive = 0;

// One more handling under way for its own life, however that ends.
class Nesting {
public:
    Nesting() noexcept { ++nesting; }
    ~Nesting() { --nesting; }
    Nesting(const Nesting&) = delete;
    Nesting& operator=(const Nesting&) = delete;
};

} // namespace

MHandler::MHandler() : queue{}, holder(0), count(0), entityTable(nullptr) {
    ++handlersAlive;
    initialize(1);
    traceConstruction(this);
}

MHandler::MHandler(std::uint32_t holder) : queue{}, holder(0), count(0), entityTable(nullptr) {
    ++handlersAlive;
    traceConstruction(this);
    initialize(holder);
    traceConstruction(this);
}

// Releases every slot's message, not only those below count: a count a caller wrote must not
// hide a message.
MHandler::~MHandler() {
    if (hooks.dropsAtDestruction) {
        tellDestruction();
    }
    for (Message* message : queue) {
        delete message;
    }
    --handlersAlive;
}

std::size_t MHandler::alive() noexcept {
    return handlersAlive;
}

void MHandler::initialize(std::uint32_t holder) {
    ENGINE_ASSERT(holder && "<MHandler::initialize>: invalid ID");
    this->holder = holder;
    count = 0;
}

void MHandler::setEntityTable(Actor** table) {
    entityTable = table;
    if (table == nullptr || table[1] == nullptr) {
        return;
    }
    TraceText().decimal(table[1]->getID()).print();
}

bool MHandler::send(std::uint32_t receiver, std::uint8_t content, std::int32_t ival) {
    return sendWithReal(receiver, content, ival, 0.0);
}

// The value-taking constructor leaves dval at 0.0, so send, which passes 0.0, builds its message
// as that constructor alone would.
bool MHandler::sendWithReal(std::uint32_t receiver, std::uint8_t content, std::int32_t ival,
                            double dval) {
    return queueMessage(receiver, 0, content, ival, dval);
}

bool MHandler::sendToLife(EntityLife receiver, std::uint8_t content, std::int32_t ival,
                          double dval) {
    if (receiver.generation == 0) {
        return false;
    }
    return queueMessage(receiver.id, receiver.generation, content, ival, dval);
}

void MHandler::sendAs(std::uint32_t sender) noexcept {
    ownSender_ = sender;
}

std::uint32_t MHandler::sendsAs() const noexcept {
    return ownSender_.value_or(holder);
}

bool MHandler::queueMessage(std::uint32_t receiver, std::uint32_t receiverLife,
                            std::uint8_t content, std::int32_t ival, double dval) {
    if (count < 0) {
        count = 0;
    }
    if (count >= kCapacity || closed_) {
        return false;
    }
    auto* message = new Message(sendsAs(), receiver, content, ival);
    message->dval = dval;
    message->receiverLife = receiverLife;
    // The slot is empty unless a caller lowered count; the message it still holds would be lost.
    delete queue[count];
    queue[count] = message;
    ++count;
    return true;
}

void MHandler::process() {
    handleHead();
}

int MHandler::drain() {
    int handled = 0;
    for (std::int32_t left = queued(); left > 0 && handleHead(); --left) {
        ++handled;
    }
    return handled;
}

bool MHandler::handleHead() {
    // Past the bound the head stays queued, so that hooks that answer from inside for ever
    // cannot run the stack out.
    if (queued() <= 0 || nesting >= kMaxNesting) {
        return false;
    }
    // Released however the handling ends, a hook's exception included.
    const std::unique_ptr<Message> head(takeHead());
    if (head == nullptr) {
        return true;
    }
    const Nesting level;
    if (head->getReceiver() == sendsAs()) {
        drop(*head, DropReason::toHolder);
        return true;
    }
    deliver(head.get());
    return true;
}

// The head leaves the queue before it is handled: a receiver that sends or updates from inside
// its call then finds the queue as it stands, and never this message again.
Message* MHandler::takeHead() {
    Message* const head = queue[0];
    std::copy(queue + 1, queue + kCapacity, queue);
    queue[kCapacity - 1] = nullptr;
    count = queued() - 1;
    return head;
}

// NOLINTNEXTLINE(readability-make-member-function-const): delivery may reach this very handler.
void MHandler::deliver(Message* message) {
    if (message == nullptr) {
        return;
    }
    if (entityTable == nullptr) {
        drop(*message, DropReason::noTable);
        return;
    }
    // Widened so that the largest identifier cannot wrap round to slot 0.
    const std::uint64_t slot = std::uint64_t{message->getReceiver()} + 1;
    if (slot >= kEntityTableSize) {
        drop(*message, DropReason::pastTable);
        return;
    }
    Actor* const receiver = entityTable[slot];
    if (receiver == nullptr) {
        drop(*message, DropReason::emptySlot);
        return;
    }
    if (message->receiverLife != 0 && message->receiverLife != receiver->life().generation) {
        if (hooks.dropsOtherLife) {
            drop(*message, kDropOtherLife);
        }
        return;
    }
    receiver->receiveMessage(message);
}

// Not const, though it writes no member: a reception is the handler's own event, on which the
// game's hook may act, and a const member would say it changes nothing.
void MHandler::receive(Message* message) { // NOLINT(readability-make-member-function-const)
    if (message == nullptr) {
        return;
    }
    TraceText()
        .text("Message received... asshole.\nReceiver:")
        .decimal(message->getReceiver())
        .text("\nMessage:")
        .character(static_cast<char>(message->getContent()))
        .print();
    if (hooks.received != nullptr) {
        hooks.received(hooks.context, *message);
    }
}

// Each message leaves the queue before it is told, as in process(), so that a hook that sends or
// updates finds the queue as it stands. No more are told than were queued: a hook that sends to
// this handler cannot keep its destruction going, and what it queued is released untold.
void MHandler::tellDestruction() noexcept {
    for (std::int32_t left = queued(); left > 0 && queued() > 0; --left) {
        const std::unique_ptr<Message> head(takeHead());
        if (head == nullptr) {
            continue;
        }
        try {
            drop(*head, DropReason::handlerDestroyed);
        } catch (...) {
            // Nothing may leave a destructor; the messages after this one are still told.
        }
    }
}

std::int32_t MHandler::queued() const {
    return std::clamp(count, std::int32_t{0}, kCapacity);
}

void MHandler::drop(const Message& message, DropReason reason) const {
    if (hooks.dropped != nullptr) {
        hooks.dropped(hooks.context, message, reason);
    }
}
