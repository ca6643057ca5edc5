// Option parsing for demo.exe, demo-frame and the page.
#include "options.h"

#include <programs/count.h>

#include <algorithm>

bool parseDemoOptions(const std::vector<std::string_view>& words, DemoProgram program,
                      DemoOptions& options) {
    std::vector<std::string_view> seen;
    for (std::size_t i = 1; i < words.size(); i += 2) {
        if (i + 1 >= words.size()) {
            return false;
        }
        const std::string_view name = words[i];
        const std::string_view value = words[i + 1];
        if (std::find(seen.begin(), seen.end(), name) != seen.end()) {
            return false;
        }
        seen.push_back(name);
        bool ok = false;
        if (name == "--actors") {
            ok = parseCount(value, World::kMinActors, World::kMaxActors, options.actors);
        } else if (name == "--frames") {
            ok = parseCount(value, 1, kMaxLimit, options.frames);
        } else if (name == "--motion") {
            ok = value == "wander" || value == "flock";
            options.motion = value == "flock" ? World::Motion::flock : World::Motion::wander;
        } else if (name == "--ms" && program == DemoProgram::window) {
            ok = parseCount(value, 1, kMaxLimit, options.milliseconds);
        } else if (name == "--out" && program == DemoProgram::frameTool) {
            options.out = value.data();
            ok = !value.empty();
        } else if (name == "--compare" && program == DemoProgram::frameTool) {
            options.compare = value.data();
            ok = !value.empty();
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

bool parseDemoOptions(int argc, const char* const* argv, DemoProgram program,
                      DemoOptions& options) {
    return parseDemoOptions(std::vector<std::string_view>(argv, argv + argc), program, options);
}
