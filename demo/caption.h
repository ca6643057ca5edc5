// The caption of a frame, what the demo shows of it besides its picture: the window's title and
// the line under the page's canvas alike.
#pragma once

#include <string>

class World;

/// "frame F - K actors, N nodes, L leaves, M messages - frame T ms, tree B ms", with
/// " (paused)" after F while paused: the frame, the actors, the tree's nodes and leaves, the
/// messages delivered so far, the frame's time and its tree build's, in milliseconds.
std::string frameCaption(const World& world, bool paused, double frameMs);
