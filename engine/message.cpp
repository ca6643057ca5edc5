// Message construction. Each value-taking overload keeps its own identifier counter, so an
// identifier is unique only among the messages of one overload. The checks stay active in
// every build.
#include "message.h"

#include "check.h"

std::uint32_t Message::initialize(std::uint32_t& mval) {
    ENGINE_ASSERT((mval <= mval + 1) && "<Message::initialize>: invalid ID");
    return mval++;
}

Message::Message(std::uint32_t sender, std::uint32_t receiver, std::uint8_t content,
                 std::int32_t ival)
    : sender(sender), receiver(receiver), content(content), ival(ival) {
    static std::uint32_t mval = 0;
    id = initialize(mval);
}

Message::Message(std::uint32_t sender, std::uint32_t receiver, std::uint8_t content)
    : sender(sender), receiver(receiver), content(content) {
    static std::uint32_t mval = 0;
    id = initialize(mval);
}

Message::Message(std::uint32_t sender, std::uint32_t receiver, std::uint8_t content, double dval,
                 std::int32_t ival)
    : sender(sender), receiver(receiver), content(content), ival(ival), dval(dval) {
    static std::uint32_t mval = 0;
    id = initialize(mval);
}

Message::Message(std::uint32_t sender, std::uint32_t receiver, std::uint8_t content, double dval) {
    static std::uint32_t mval = 0;
    id = initialize(mval);
    ENGINE_ASSERT(sender && "Message::Message Error: Invalid sender ID");
    this->sender = sender;
    ENGINE_ASSERT(receiver && "Message::Message Error: Invalid Receiver ID");
    this->receiver = receiver;
    this->content = content;
    this->dval = dval;
}
