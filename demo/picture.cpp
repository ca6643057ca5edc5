// Rectangles from the world, and the Clear calls that paint them.
#include "picture.h"

#include "world.h"

#include <engine/quadquery.h>

#include <algorithm>
#include <cmath>

namespace {

D3DRECT square(LONG column, LONG row) {
    return {column - 1, row - 1, column + 2, row + 2};
}

/// The columns (x1, x2) or rows of a node's side; at least one pixel for a node narrower
/// than a pixel.
void span(LONG first, LONG pastLast, LONG& from, LONG& to) {
    from = first;
    to = std::max(pastLast, first + 1);
}

HRESULT clearAll(IDirect3DDevice9* device, const std::vector<D3DRECT>& rects, D3DCOLOR colour) {
    if (rects.empty()) {
        return S_OK; // a count of 0 would clear the whole target
    }
    return device->Clear(static_cast<DWORD>(rects.size()), rects.data(), D3DCLEAR_TARGET, colour,
                         1.0f, 0);
}

} // namespace

LONG columnOf(double x) {
    return static_cast<LONG>(std::floor((x + kWorldHalf) / kUnitsPerPixel));
}

LONG rowOf(double y) {
    return static_cast<LONG>(std::floor((kWorldHalf - y) / kUnitsPerPixel));
}

Vec2 pixelCentre(LONG column, LONG row) {
    return {static_cast<double>(column) * kUnitsPerPixel - kWorldHalf + kUnitsPerPixel / 2,
            kWorldHalf - static_cast<double>(row) * kUnitsPerPixel - kUnitsPerPixel / 2};
}

std::size_t pointerMarks(const World& world, Vec2 pointer, PointerMarks& marks) {
    marks.within.clear();
    marks.nearest.clear();
    const std::size_t found =
        visitWithin(world.layout(), pointer, kPointerReach, [&marks](Actor*, Vec2 p) {
            marks.within.push_back(square(columnOf(p.x), rowOf(p.y)));
        });
    const QuadNearest nearest = findNearest(world.layout(), pointer);
    if (nearest.actor != nullptr) {
        const LONG column = columnOf(nearest.position.x);
        const LONG row = rowOf(nearest.position.y);
        marks.nearest.push_back({column - 2, row - 2, column + 3, row + 3});
    }
    return found;
}

void pictureRects(const World& world, PictureRects& rects) {
    rects.midlines.clear();
    rects.actors.clear();
    rects.flashes.clear();
    for (const QuadDivided& divided : world.layout().divided) {
        const QuadRect& node = divided.rect;
        LONG left = 0;
        LONG right = 0;
        LONG top = 0;
        LONG bottom = 0;
        span(columnOf(node.minX), columnOf(node.maxX), left, right);
        span(rowOf(node.maxY), rowOf(node.minY), top, bottom);
        const LONG column = columnOf(node.midX());
        const LONG row = rowOf(node.midY());
        rects.midlines.push_back({column, top, column + 1, bottom});
        rects.midlines.push_back({left, row, right, row + 1});
    }
    for (std::size_t i = 0; i < world.actorCount(); ++i) {
        const Vec2 p = world.position(i);
        std::vector<D3DRECT>& list = world.flashing(i) ? rects.flashes : rects.actors;
        list.push_back(square(columnOf(p.x), rowOf(p.y)));
    }
}

std::array<ColouredRects, 3> clearOrder(const PictureRects& rects) {
    return {{{kMidlineColour, &rects.midlines},
             {kActorColour, &rects.actors},
             {kFlashColour, &rects.flashes}}};
}

HRESULT drawPicture(IDirect3DDevice9* device, const PictureRects& rects) {
    HRESULT result = device->Clear(0, nullptr, D3DCLEAR_TARGET, kBackgroundColour, 1.0f, 0);
    for (const ColouredRects& list : clearOrder(rects)) {
        const HRESULT step = clearAll(device, *list.rects, list.colour);
        if (SUCCEEDED(result)) {
            result = step;
        }
    }
    if (SUCCEEDED(device->BeginScene())) {
        device->EndScene();
    }
    device->Present(nullptr, nullptr, nullptr, nullptr);
    return result;
}
