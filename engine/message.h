// One message from one entity to another: sender, receiver, its own identifier, a one-character
// content code and two payloads.
#pragma once

#include <cstdint>

class Message {
public:
    std::uint32_t sender = 0;
    std::uint32_t id = 0;
    std::uint32_t receiver = 0;
    std::uint8_t content = 0;
    std::int32_t ival = 0;
    double dval = 0.0;

    /// Sets no field of its own (all stay zero) and draws no identifier.
    Message() = default;
    Message(std::uint32_t sender, std::uint32_t receiver, std::uint8_t content, std::int32_t ival);
    Message(std::uint32_t sender, std::uint32_t receiver, std::uint8_t content);
    Message(std::uint32_t sender, std::uint32_t receiver, std::uint8_t content, double dval,
            std::int32_t ival);
    /// The one overload that refuses a zero sender or receiver.
    Message(std::uint32_t sender, std::uint32_t receiver, std::uint8_t content, double dval);
    virtual ~Message() = default;

    std::uint32_t getID() const { return id; }
    std::uint32_t getReceiver() const { return receiver; }
    std::uint8_t getContent() const { return content; }

    /// The identifier step shared by the value-taking overloads: returns the counter's value
    /// and advances it; fails the assertion when the counter can no longer advance.
    static std::uint32_t initialize(std::uint32_t& mval);
};
