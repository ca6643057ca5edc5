/// @file
/// One message from one entity to another: sender, receiver, its own identifier, a one-character
/// content code and two payloads.
#pragma once

#include <cstddef>
#include <cstdint>

/// A message between two entities, addressed by their identifiers. A plain record: a handler's
/// send creates it and queues it, and the handler releases it once it has been handled. Each
/// value-taking constructor draws the message's identifier from a counter of its own. A released
/// message's block is kept for the next one made, so that steady traffic allocates nothing.
class Message {
public:
    std::uint32_t sender = 0;   ///< Identifier of the sending entity; from a handler, its holder.
    std::uint32_t id = 0;       ///< Unique among the messages of one constructor overload only.
    std::uint32_t receiver = 0; ///< Identifier of the receiving entity.
    std::uint8_t content = 0;   ///< Printed as a character when the message is received.
    std::int32_t ival = 0;      ///< Integer payload; nothing in the engine reads it.
    double dval = 0.0;          ///< Real payload; nothing in the engine reads it.
    /// The life of the receiver the message is meant for (EntityLife::generation), or 0 for
    /// whichever life stands in the receiver's slot when it is delivered.
    std::uint32_t receiverLife = 0;

    /// Sets no field of its own (all stay zero) and draws no identifier.
    Message() = default;
    /// The overload a handler's send uses; accepts any sender and receiver, 0 included.
    Message(std::uint32_t sender, std::uint32_t receiver, std::uint8_t content, std::int32_t ival);
    /// Without payloads; accepts any sender and receiver, 0 included.
    Message(std::uint32_t sender, std::uint32_t receiver, std::uint8_t content);
    /// With both payloads; accepts any sender and receiver, 0 included.
    Message(std::uint32_t sender, std::uint32_t receiver, std::uint8_t content, double dval,
            std::int32_t ival);
    /// The one overload that refuses a zero sender or receiver: either fails its assertion,
    /// after the identifier has been drawn.
    Message(std::uint32_t sender, std::uint32_t receiver, std::uint8_t content, double dval);
    /// Owns nothing; releases nothing.
    virtual ~Message() = default;

    /// The message's own identifier, from the counter of the overload that built it.
    std::uint32_t getID() const { return id; }
    /// The entity the message goes to; delivery finds it in table slot receiver + 1.
    std::uint32_t getReceiver() const { return receiver; }
    /// The code the reception trace prints as one character.
    std::uint8_t getContent() const { return content; }

    /// The identifier step shared by the value-taking overloads: returns the counter's value
    /// and advances it; fails the assertion when the counter can no longer advance.
    static std::uint32_t initialize(std::uint32_t& mval);

    /// Takes a block released by an earlier message where one is kept, and one from the free
    /// store otherwise. A class derived with another size always takes one from the free store.
    static void* operator new(std::size_t size);
    /// Keeps the block for the next message; gives it back to the free store for a class of
    /// another size and once the process has begun to exit.
    static void operator delete(void* block, std::size_t size) noexcept;
    /// Blocks that released messages left for reuse: as many as the most messages alive at once
    /// so far, less those alive now.
    static std::size_t pooled() noexcept;
    /// Gives every kept block back to the free store; messages alive are untouched, and their
    /// blocks are kept again when they are released.
    static void releasePooled() noexcept;
    /// Puts the four identifier counters back at 0, as a new process has them. For startAfresh,
    /// which first makes sure that no handler lives.
    static void restartIdentifiers() noexcept;
};
