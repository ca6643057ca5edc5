// The pictures that figures draws, each from a run of the engine.
#pragma once

#include <string>
#include <vector>

/// One picture: its file name in docs/images and its SVG text.
struct Figure {
    std::string name;
    std::string svg;
};

/// The comment that marks a file as drawn by this tool, so that --compare finds a committed
/// picture the tool no longer draws. Hand-drawn pictures do not carry it.
constexpr char kFigureMark[] =
    "Drawn by tools/figures from a run of the engine; change the tool, not this file.";

/// The five-entity tree as a map and as a node graph, then a bigger tree, each built as a run's
/// first build; then a game's partition with a rectangle and a circle queried over it.
std::vector<Figure> treeFigures();
/// The wander circle and the targets of successive wander calls from the start of a run.
Figure wanderFigure();
/// A small flock after a run of flockForces on its partition, with one member's neighbours and
/// forces.
Figure flockFigure();
