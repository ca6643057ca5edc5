// FNV-1a over whole values, lowest byte first, so every target digests the same bytes.
#pragma once

#include <cstdint>
#include <cstring>

class Digest {
public:
    void add(std::uint64_t value) {
        for (int byte = 0; byte < 8; ++byte) {
            hash = (hash ^ ((value >> (8 * byte)) & 0xFFu)) * 0x100000001b3u;
        }
    }
    void add(double value) {
        std::uint64_t bits = 0;
        std::memcpy(&bits, &value, sizeof bits);
        add(bits);
    }
    std::uint64_t hash = 0xcbf29ce484222325u;
};
