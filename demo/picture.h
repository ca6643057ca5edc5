// The demo's picture of a world: drawn only with IDirect3DDevice9::Clear over lists of
// rectangles, on the device that the render shell's setupDevice creates.
#pragma once

#include <windows.h>

#include <d3d9.h>

#include <engine/vectors.h>

#include <array>
#include <vector>

class World;

/// The client area is kPictureSize pixels square; 2 world units per pixel.
constexpr LONG kPictureSize = 512;
constexpr double kUnitsPerPixel = 2.0;

constexpr D3DCOLOR kBackgroundColour = 0xFF0000FF; ///< the render shell's blue
constexpr D3DCOLOR kMidlineColour = 0xFFFFFFFF;
constexpr D3DCOLOR kActorColour = 0xFFFFFF00;
constexpr D3DCOLOR kFlashColour = 0xFFFF0000;
constexpr D3DCOLOR kNearColour = 0xFF00FF00;    ///< an actor near the pointer, on the page
constexpr D3DCOLOR kNearestColour = 0xFFFFFFFF; ///< the actor nearest to the pointer

/// How far from the pointer, in world units, the page marks the actors: 32 pixels.
constexpr double kPointerReach = 64.0;

/// The pixel column of a world x: column c covers x from 2c - 512 up to, not including, 2c - 510.
LONG columnOf(double x);
/// The pixel row of a world y, rows counted from the top: row r covers y above 510 - 2r up to
/// and including 512 - 2r.
LONG rowOf(double y);

/// The rectangles of one picture, by colour, in the order they are cleared.
struct PictureRects {
    /// Both midlines of every divided node, 1 pixel wide, across the node's own rectangle.
    std::vector<D3DRECT> midlines;
    /// A 3 x 3 square centred on the pixel of every actor not flashing...
    std::vector<D3DRECT> actors;
    /// ...and of every flashing actor, cleared last.
    std::vector<D3DRECT> flashes;
};

/// One list of a picture and the colour it is cleared in.
struct ColouredRects {
    D3DCOLOR colour;
    const std::vector<D3DRECT>* rects;
};

/// The lists in the order they are cleared, after the background, each with its colour.
std::array<ColouredRects, 3> clearOrder(const PictureRects& rects);

/// The world point at the centre of a pixel, the inverse of columnOf and rowOf.
Vec2 pixelCentre(LONG column, LONG row);

/// What the page marks around its pointer, from the queries of the frame's layout.
struct PointerMarks {
    /// A 3 x 3 square on every actor within kPointerReach of the pointer, the circle included.
    std::vector<D3DRECT> within;
    /// A 5 x 5 square on the actor nearest to the pointer, when there is any.
    std::vector<D3DRECT> nearest;
};

/// Fills the marks (emptying them first) for the pointer at the world point, with visitWithin
/// and findNearest over the world's layout; returns how many actors are near.
std::size_t pointerMarks(const World& world, Vec2 pointer, PointerMarks& marks);

/// Fills the lists for the world's current frame (emptying them first).
void pictureRects(const World& world, PictureRects& rects);

/// Clears the target to the background, then each list in its colour, runs an empty scene and
/// presents. Returns the first failure of a Clear, or S_OK.
HRESULT drawPicture(IDirect3DDevice9* device, const PictureRects& rects);
