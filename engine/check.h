/// @file
/// ENGINE_ASSERT, the engine's own check: for the engine's sources only, never installed nor
/// included by a public header.
#pragma once

// <cassert> reads NDEBUG each time it is included: NDEBUG is cleared for the rest of the source
// that includes this header, so that no inclusion after it turns the check off.
#undef NDEBUG
#include <cassert>

/// Checks the condition in every build, NDEBUG or not; a false one prints the condition with
/// its file, line and function and aborts, as the C library's assert does.
#define ENGINE_ASSERT(condition) assert(condition)
