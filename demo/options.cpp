// Option parsing for demo.exe, demo-frame and the page.
#include "options.h"

#include "world.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

/// Largest frame count or time, a day in milliseconds, as the host takes.
constexpr long kMaxLimit = 24L * 60 * 60 * 1000;

} // namespace

bool parseCount(const char* text, long low, long high, long& value) {
    if (text == nullptr || *text < '0' || *text > '9') {
        return false;
    }
    char* end = nullptr;
    errno = 0;
    const long parsed = std::strtol(text, &end, 10);
    if (*end != '\0' || errno != 0 || parsed < low || parsed > high) {
        return false;
    }
    value = parsed;
    return true;
}

bool parseDemoOptions(int argc, const char* const* argv, DemoProgram program,
                      DemoOptions& options) {
    std::string seen;
    for (int i = 1; i < argc; i += 2) {
        if (i + 1 >= argc) {
            return false;
        }
        const std::string name = argv[i];
        const char* value = argv[i + 1];
        if (seen.find(" " + name + " ") != std::string::npos) {
            return false;
        }
        seen += " " + name + " ";
        bool ok = false;
        if (name == "--actors") {
            ok = parseCount(value, World::kMinActors, World::kMaxActors, options.actors);
        } else if (name == "--frames") {
            ok = parseCount(value, 1, kMaxLimit, options.frames);
        } else if (name == "--ms" && program == DemoProgram::window) {
            ok = parseCount(value, 1, kMaxLimit, options.milliseconds);
        } else if (name == "--out" && program == DemoProgram::frameTool) {
            options.out = value;
            ok = *value != '\0';
        } else if (name == "--compare" && program == DemoProgram::frameTool) {
            options.compare = value;
            ok = *value != '\0';
        }
        if (!ok) {
            return false;
        }
    }
    if (program == DemoProgram::frameTool) {
        return options.frames > 0 && (options.out != nullptr || options.compare != nullptr);
    }
    return true;
}
