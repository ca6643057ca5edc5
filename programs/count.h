// The one rule for a count on a command line, shared by the host, the demo's window, demo-frame
// and the page.
#pragma once

#include <string_view>

/// The largest frame count or time in milliseconds that a program takes: a day in milliseconds,
/// which fits a timer's UINT.
constexpr long kMaxLimit = 24L * 60 * 60 * 1000;

/// A whole decimal number from low to high and nothing else in the text: no sign, no space and
/// no NUL.
bool parseCount(std::string_view text, long low, long high, long& value);
