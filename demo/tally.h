// The demo's console: a stream buffer that takes the engine's trace in place of the console and
// keeps only what the demo shows, the reception traces ("Receiver:" and an identifier).
#pragma once

#include <cstdint>
#include <iosfwd>
#include <streambuf>
#include <vector>

/// Counts the reception traces written through it and collects their receivers, whatever
/// pieces the writes come in; every other byte is dropped.
class TraceTally : public std::streambuf {
public:
    /// Reception traces seen since construction.
    std::uint64_t delivered() const { return delivered_; }
    /// The receivers of the reception traces seen since the last takeReceivers, in order.
    std::vector<std::uint32_t> takeReceivers();

protected:
    int overflow(int c) override;
    std::streamsize xsputn(const char* text, std::streamsize count) override;

private:
    void take(char c);

    /// How much of "Receiver:" the latest bytes matched; its length once the digits follow.
    std::size_t matched_ = 0;
    bool inNumber_ = false;
    std::uint64_t number_ = 0;
    std::uint64_t delivered_ = 0;
    std::vector<std::uint32_t> receivers_;
};

/// Sends std::cout to a stream buffer for the life of the object, and back afterwards.
class CoutTo {
public:
    explicit CoutTo(std::streambuf* buffer);
    ~CoutTo();
    CoutTo(const CoutTo&) = delete;
    CoutTo& operator=(const CoutTo&) = delete;

private:
    std::streambuf* previous_;
};
