// A count on a command line.
#include "count.h"

#include <charconv>
#include <system_error>

bool parseCount(std::string_view text, long low, long high, long& value) {
    // from_chars takes a minus sign; a count has none, nor any other sign.
    if (text.empty() || text.front() < '0' || text.front() > '9') {
        return false;
    }
    long parsed = 0;
    const char* const end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, parsed);
    if (stop != end || error != std::errc() || parsed < low || parsed > high) {
        return false;
    }
    value = parsed;
    return true;
}
