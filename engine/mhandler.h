/// @file
/// The message handler of one entity: a fixed queue of messages it has sent, delivered one per
/// process() through the entity table to the receiving entity's handler.
#pragma once

#include "baseentity.h"

#include <cstddef>
#include <cstdint>
#include <optional>

class Actor;
class Message;

/// Why a message left a queue without being delivered.
enum class DropReason {
    toHolder,  ///< addressed to the handler's own holder (1 for every actor)
    noTable,   ///< no entity table attached to the sending handler
    pastTable, ///< the receiver's slot, identifier + 1, lies past the table's 1024
    emptySlot, ///< nothing stands in the receiver's slot
    /// still queued when the sending handler was destroyed; told only where the hooks ask for
    /// it (MessageHooks::dropsAtDestruction)
    handlerDestroyed,
};

/// The reason for a message addressed to one life of its receiver (MHandler::sendToLife) when
/// another life stands in the receiver's slot: a later one, or one that never was. Told only
/// where the hooks ask for it (MessageHooks::dropsOtherLife). A value of DropReason beside its
/// enumerators, not one of them, so that a game's switch over the five, written without a
/// default, still builds without a warning.
constexpr DropReason kDropOtherLife = static_cast<DropReason>(5);

/// What a game hears of its messages. Either function may be null; each is called with
/// `context` as given. Called from inside update(), they may send and update any actor: the
/// message has left its queue first, so nothing is delivered or released twice, and past
/// MHandler::kMaxNesting handlings one inside another an update leaves its head queued for a
/// later one. Either may throw: the exception leaves update(), the message it was handed is
/// released and every queue stays as it stood.
struct MessageHooks {
    /// Passed to both functions unchanged.
    void* context = nullptr;
    /// On the receiving handler, after the reception trace. The message is valid for the call;
    /// a copy of it may be kept.
    void (*received)(void* context, const Message& message) = nullptr;
    /// On the sending handler, when a message leaves its queue undelivered.
    void (*dropped)(void* context, const Message& message, DropReason reason) = nullptr;
    /// Also tells `dropped` of each message still queued when the handler is destroyed, with
    /// DropReason::handlerDestroyed. Off unless set, so that a game written for the first four
    /// reasons never meets a fifth. An exception from `dropped` there is swallowed, as none may
    /// leave a destructor, and the messages after it are still told.
    bool dropsAtDestruction = false;
    /// Also tells `dropped` of each message addressed to a life that is not the one found in its
    /// receiver's slot, with kDropOtherLife. Off unless set, for the same reason as
    /// dropsAtDestruction; such a message is then released untold.
    bool dropsOtherLife = false;
};

/// The message handler an entity holds: it queues the messages its entity sends, with the
/// holder as their sender, and delivers the oldest on each process() through the entity table
/// to the receiving entity, whose handler prints the reception trace. Owns the messages in its
/// queue.
class MHandler {
public:
    /// Messages the queue can hold; send refuses the next one.
    static constexpr std::int32_t kCapacity = 64;
    /// Handlings that may run one inside another, through hooks that update from inside; a
    /// process() inside that many leaves its head queued.
    static constexpr int kMaxNesting = 16;

    /// Slot 0 is the oldest message; slots 0 to count - 1 hold the queue, the others are null.
    Message* queue[kCapacity];
    /// The identifier of the entity that holds the handler; never 0.
    std::uint32_t holder;
    /// Messages waiting in the queue. A value a caller wrote outside 0 to 64 is never used to
    /// index: a negative count is taken as 0 and one past the capacity as full. Whatever a caller
    /// writes, no message leaks: send releases one it overwrites, the destructor every slot's.
    std::int32_t count;
    /// Slot 0 of the entity table that delivery looks receivers up in; null until attached.
    Actor** entityTable;
    /// The game's receiver and drop report; none until the game sets them.
    MessageHooks hooks;

    /// Holder 1, whatever entity holds the handler. Prints one construction trace.
    MHandler();
    /// Prints the construction trace before and after taking the holder.
    explicit MHandler(std::uint32_t holder);
    /// Tells hooks.dropped of each queued message where hooks.dropsAtDestruction asks for it,
    /// then releases every message its slots hold.
    virtual ~MHandler();

    /// Handlers alive in the process now, those inside actors included.
    static std::size_t alive() noexcept;

    /// Not copyable: a copy would share the queued messages and release them twice.
    MHandler(const MHandler&) = delete;
    MHandler& operator=(const MHandler&) = delete;

    /// Attaches the table and prints the identifier of the entity in its slot 1; prints
    /// nothing when the table or that slot is empty.
    void setEntityTable(Actor** table);
    /// Queues a message from the holder (or the identifier sendAs gave) to the receiver. On a
    /// full queue, and while its actor is between lives or ending one, it creates nothing,
    /// leaves the queue as it is and returns false.
    bool send(std::uint32_t receiver, std::uint8_t content, std::int32_t ival);
    /// As send, with the real payload `dval` as well. The message is built as send builds it and
    /// draws its identifier from the same counter, so no two messages sent either way share one.
    bool sendWithReal(std::uint32_t receiver, std::uint8_t content, std::int32_t ival, double dval);
    /// As sendWithReal, addressed to one life of the receiver: delivered only while that life
    /// stands in the receiver's slot, dropped otherwise (kDropOtherLife). Refuses a life
    /// that never was, generation 0, as a full queue: creates nothing and returns false.
    bool sendToLife(EntityLife receiver, std::uint8_t content, std::int32_t ival,
                    double dval = 0.0);
    /// Makes every message sent from now on carry `sender` in place of the holder, and drops a
    /// message to `sender`, not to the holder, as addressed to itself (DropReason::toHolder).
    /// Any identifier, 0 included; the holder stays as it is.
    void sendAs(std::uint32_t sender) noexcept;
    /// The identifier the handler's messages carry as their sender: the holder, unless sendAs
    /// gave another.
    std::uint32_t sendsAs() const noexcept;
    /// Handles the head message, if any: it leaves the queue, is dropped when addressed to the
    /// identifier the handler sends as (sendsAs, the holder unless sendAs gave another) and
    /// delivered otherwise, and is then released, also when a hook throws. Inside
    /// kMaxNesting handlings already under way it does nothing, and the head waits.
    void process();
    /// Handles every message queued, in order, as as many process() calls would, and returns
    /// how many it handled: no more than were queued as it began, so that a hook that keeps
    /// sending cannot keep it going. Inside kMaxNesting handlings it handles none, and what
    /// waits still waits.
    int drain();
    /// Hands the message to the receiver's handler through slot receiver + 1. Drops it, telling
    /// hooks.dropped why, when no table is attached, the slot is past the table or it is empty,
    /// and (told only where hooks.dropsOtherLife asks) when it is addressed to another life than
    /// the one found there.
    void deliver(Message* message);
    /// Prints the reception trace, then calls hooks.received. The queue and count of this
    /// handler stay as they are.
    void receive(Message* message);

private:
    /// Ends and begins the actor's lives, during which its handler refuses to send.
    friend class Actor;

    /// Handles the head message as process() does; false when the queue is empty or the nesting
    /// bound leaves the head waiting.
    bool handleHead();
    /// Builds a message from sendsAs() and queues it, unless the queue is full or closed.
    bool queueMessage(std::uint32_t receiver, std::uint32_t receiverLife, std::uint8_t content,
                      std::int32_t ival, double dval);
    /// Takes the holder, which must not be 0, and empties the count. Private: on a handler
    /// with queued messages, emptying the count would lose them.
    void initialize(std::uint32_t holder);
    /// The number of queue slots that hold messages, whatever a caller wrote into count.
    std::int32_t queued() const;
    /// Takes the head out of a queue that is not empty and closes the queue up behind it.
    Message* takeHead();
    /// Tells hooks.dropped of each message queued now, as the handler is destroyed.
    void tellDestruction() noexcept;
    /// Tells hooks.dropped, if set.
    void drop(const Message& message, DropReason reason) const;

    /// The sender that sendAs set, if it was called.
    std::optional<std::uint32_t> ownSender_;
    /// Set between an actor's lives and while one ends: send creates nothing.
    bool closed_ = false;
};
