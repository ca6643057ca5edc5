// What the demo shows of a frame besides its picture: in the window's title and under the page's
// canvas alike.
#pragma once

#include <string>

class World;

/// "frame F - K actors, N nodes, L leaves, M messages - frame T ms, tree B ms", with
/// " (paused)" after F while paused: the frame, the actors, the tree's nodes and leaves, the
/// messages delivered so far, the frame's time and its tree build's, in milliseconds.
std::string frameFigures(const World& world, bool paused, double frameMs);
