// Message construction. Each value-taking overload keeps its own identifier counter, so an
// identifier is unique only among the messages of one overload. The checks stay active in
// every build.
#include "message.h"

#include "check.h"

#include <new>

#if defined(__SANITIZE_ADDRESS__)
#define ENGINE_MESSAGE_POISON 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define ENGINE_MESSAGE_POISON 1
#endif
#endif
#if defined(ENGINE_MESSAGE_POISON)
#include <sanitizer/asan_interface.h>
#endif

namespace {

// One counter per value-taking overload, at namespace scope so that a fresh start can rewind
// them.
std::uint32_t mvalWithInteger = 0;
std::uint32_t mvalPlain = 0;
std::uint32_t mvalWithBoth = 0;
std::uint32_t mvalWithReal = 0;

// A kept block, linked through its own first bytes.
struct KeptBlock {
    KeptBlock* next;
};

KeptBlock* keptBlocks = nullptr;
std::size_t keptCount = 0;
// Set once static destruction has reached this file: a message released later goes straight
// back to the free store, so that nothing is left behind at exit.
bool keepingEnded = false;

// A kept block is out of bounds for everyone but the pool, so that an address sanitizer still
// reports a message used after its release.
void hideBlock(void* block) {
#if defined(ENGINE_MESSAGE_POISON)
    ASAN_POISON_MEMORY_REGION(block, sizeof(Message));
#else
    static_cast<void>(block);
#endif
}

void showBlock(void* block) {
#if defined(ENGINE_MESSAGE_POISON)
    ASAN_UNPOISON_MEMORY_REGION(block, sizeof(Message));
#else
    static_cast<void>(block);
#endif
}

// Gives the kept blocks back at exit, so that no leak checker finds them still held.
struct KeptAtExit {
    KeptAtExit() = default;
    KeptAtExit(const KeptAtExit&) = delete;
    KeptAtExit& operator=(const KeptAtExit&) = delete;
    ~KeptAtExit() {
        Message::releasePooled();
        keepingEnded = true;
    }
};

// Made at the first block kept, so that it ends before everything made earlier: an actor made
// before that, at namespace scope, ends after it and gives its messages straight back.
void keepUntilExit() {
    static const KeptAtExit keptAtExit{};
}

} // namespace

void* Message::operator new(std::size_t size) {
    if (size != sizeof(Message) || keptBlocks == nullptr) {
        return ::operator new(size);
    }
    KeptBlock* const block = keptBlocks;
    showBlock(block);
    keptBlocks = block->next;
    --keptCount;
    return block;
}

void Message::operator delete(void* block, std::size_t size) noexcept {
    if (block == nullptr) {
        return;
    }
    if (size != sizeof(Message) || keepingEnded) {
        ::operator delete(block);
        return;
    }
    keepUntilExit();
    keptBlocks = ::new (block) KeptBlock{keptBlocks};
    ++keptCount;
    hideBlock(block);
}

std::size_t Message::pooled() noexcept {
    return keptCount;
}

void Message::releasePooled() noexcept {
    while (keptBlocks != nullptr) {
        KeptBlock* const block = keptBlocks;
        showBlock(block);
        keptBlocks = block->next;
        ::operator delete(block);
    }
    keptCount = 0;
}

void Message::restartIdentifiers() noexcept {
    mvalWithInteger = 0;
    mvalPlain = 0;
    mvalWithBoth = 0;
    mvalWithReal = 0;
}

std::uint32_t Message::initialize(std::uint32_t& mval) {
    ENGINE_ASSERT((mval <= mval + 1) && "<Message::initialize>: invalid ID");
    return mval++;
}

Message::Message(std::uint32_t sender, std::uint32_t receiver, std::uint8_t content,
                 std::int32_t ival)
    : sender(sender), receiver(receiver), content(content), ival(ival) {
    id = initialize(mvalWithInteger);
}

Message::Message(std::uint32_t sender, std::uint32_t receiver, std::uint8_t content)
    : sender(sender), receiver(receiver), content(content) {
    id = initialize(mvalPlain);
}

Message::Message(std::uint32_t sender, std::uint32_t receiver, std::uint8_t content, double dval,
                 std::int32_t ival)
    : sender(sender), receiver(receiver), content(content), ival(ival), dval(dval) {
    id = initialize(mvalWithBoth);
}

Message::Message(std::uint32_t sender, std::uint32_t receiver, std::uint8_t content, double dval) {
    id = initialize(mvalWithReal);
    ENGINE_ASSERT(sender && "Message::Message Error: Invalid sender ID");
    this->sender = sender;
    ENGINE_ASSERT(receiver && "Message::Message Error: Invalid Receiver ID");
    this->receiver = receiver;
    this->content = content;
    this->dval = dval;
}
