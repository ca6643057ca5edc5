// The caption of a frame, as the window's title and the page show it.
#include "caption.h"

#include "world.h"

#include <cstdio>

std::string frameCaption(const World& world, bool paused, double frameMs) {
    char text[200];
    std::snprintf(text, sizeof text,
                  "frame %d%s - %zu actors, %d nodes, %zu leaves, %llu messages - frame %.2f ms, "
                  "tree %.2f ms",
                  world.frame(), paused ? " (paused)" : "", world.actorCount(), world.nodeCount(),
                  world.leaves().size(), static_cast<unsigned long long>(world.delivered()),
                  frameMs, world.lastBuildSeconds() * 1000.0);
    return text;
}
