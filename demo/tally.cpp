// The counting stream buffer behind the demo's console.
#include "tally.h"

#include <iostream>
#include <string_view>
#include <utility>

namespace {

// What the reception trace prints just before the receiver's identifier.
constexpr std::string_view kReceiverLabel = "Receiver:";

} // namespace

std::vector<std::uint32_t> TraceTally::takeReceivers() {
    std::vector<std::uint32_t> taken;
    taken.swap(receivers_);
    return taken;
}

int TraceTally::overflow(int c) {
    if (c != traits_type::eof()) {
        take(traits_type::to_char_type(c));
    }
    return traits_type::not_eof(c);
}

std::streamsize TraceTally::xsputn(const char* text, std::streamsize count) {
    for (std::streamsize i = 0; i < count; ++i) {
        take(text[i]);
    }
    return count;
}

void TraceTally::take(char c) {
    if (inNumber_) {
        if (c >= '0' && c <= '9') {
            number_ = number_ * 10 + static_cast<std::uint64_t>(c - '0');
            return;
        }
        // An identifier is unsigned 32-bit; the trace never prints a longer one.
        receivers_.push_back(static_cast<std::uint32_t>(number_));
        ++delivered_;
        inNumber_ = false;
        matched_ = 0;
    }
    if (c == kReceiverLabel[matched_]) {
        ++matched_;
        if (matched_ == kReceiverLabel.size()) {
            inNumber_ = true;
            number_ = 0;
        }
        return;
    }
    // No proper prefix of the label is also its suffix but the start, "R".
    matched_ = c == kReceiverLabel[0] ? 1 : 0;
}

CoutTo::CoutTo(std::streambuf* buffer) : previous_(std::cout.rdbuf(buffer)) {}

CoutTo::~CoutTo() {
    std::cout.rdbuf(previous_);
}
