// The options of the demo's programs: their command lines, and the page's address.
#pragma once

#include "world.h"

#include <string_view>
#include <vector>

/// The options shared by demo.exe, demo-frame and the page, and each program's own.
struct DemoOptions {
    long actors = World::kDefaultActors;
    long frames = 0;       ///< 0: no frame limit
    long milliseconds = 0; ///< demo.exe only; 0: no time limit
    /// --motion wander (the default) or --motion flock.
    World::Motion motion = World::Motion::wander;
    const char* out = nullptr;     ///< demo-frame only
    const char* compare = nullptr; ///< demo-frame only
};

/// Which options a program takes besides --actors and --frames; the page takes none.
enum class DemoProgram { window, frameTool, page };

/// Reads "--name value" pairs; false on anything else, a repeated option or a value out of
/// range (actors 1 to 1000, frames and milliseconds 1 to 86400000, motion wander or flock).
/// demo-frame needs --frames
/// and one of --out and --compare.
/// words[0] is the program's name; --out and --compare keep a pointer to their word's bytes,
/// which must end in a NUL, as a command line's and a std::string's do.
bool parseDemoOptions(const std::vector<std::string_view>& words, DemoProgram program,
                      DemoOptions& options);
/// The same for a command line as main receives it.
bool parseDemoOptions(int argc, const char* const* argv, DemoProgram program, DemoOptions& options);
