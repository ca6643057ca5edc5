// The demo's page: the world and the rectangle lists of its picture, for the script of
// demo.html that draws them on a canvas. The script calls these in this order: pageArgument
// for each option of the address, pageStart once, then pageStep for every animation frame, and
// pagePointer whenever the pointer moves over the canvas or leaves it.
#include <demo/caption.h>
#include <demo/options.h>
#include <demo/picture.h>
#include <demo/world.h>

#include <emscripten/emscripten.h>

#include <array>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace {

struct Page {
    std::vector<std::string> arguments{"demo.html"};
    std::unique_ptr<World> world;
    PictureRects rects;
    PointerMarks marks;
    /// The pixel under the pointer; off the canvas while pointerOn is false.
    LONG pointerColumn = 0;
    LONG pointerRow = 0;
    bool pointerOn = false;
    long frameLimit = 0;
    std::string caption;
};

Page page;

/// The picture's lists with their colours, in the order they are cleared: the script's list n
/// from 1 up, after list 0, the background.
const std::array<ColouredRects, 3> kPictureLists = clearOrder(page.rects);

/// The pointer's marks, cleared after the picture's lists.
const std::array<ColouredRects, 2> kPointerLists{
    {{kNearColour, &page.marks.within}, {kNearestColour, &page.marks.nearest}}};

const ColouredRects* pictureList(int list) {
    const auto pictureLists = static_cast<int>(kPictureLists.size());
    if (list >= 1 && list <= pictureLists) {
        return &kPictureLists[static_cast<std::size_t>(list - 1)];
    }
    if (list > pictureLists && list <= pictureLists + static_cast<int>(kPointerLists.size())) {
        return &kPointerLists[static_cast<std::size_t>(list - pictureLists - 1)];
    }
    return nullptr;
}

/// The marks of the pointer over the frame that stands; none while it is off the canvas.
int markPointer() {
    page.marks.within.clear();
    page.marks.nearest.clear();
    if (!page.pointerOn) {
        return 0;
    }
    const Vec2 at = pixelCentre(page.pointerColumn, page.pointerRow);
    return static_cast<int>(pointerMarks(*page.world, at, page.marks));
}

} // namespace

extern "C" {

/// One word of the window's command line ("--actors", then "5"), as its UTF-8 bytes and their
/// count, so that a NUL in the address reaches the options' rules instead of cutting the word.
EMSCRIPTEN_KEEPALIVE void pageArgument(const char* bytes, int size) {
    page.arguments.emplace_back(bytes, static_cast<std::size_t>(size > 0 ? size : 0));
}

/// Makes the world and frame 0's rectangles; false for options the window would refuse.
EMSCRIPTEN_KEEPALIVE bool pageStart() {
    const std::vector<std::string_view> words(page.arguments.begin(), page.arguments.end());
    DemoOptions options;
    if (!parseDemoOptions(words, DemoProgram::page, options)) {
        return false;
    }
    page.world = std::make_unique<World>(static_cast<int>(options.actors), World::Build::partition,
                                         options.motion);
    page.frameLimit = options.frames;
    pictureRects(*page.world, page.rects);
    return true;
}

/// The next frame and its rectangles; false, and nothing done, once the frame limit stands.
EMSCRIPTEN_KEEPALIVE bool pageStep() {
    if (page.frameLimit > 0 && page.world->frame() >= page.frameLimit) {
        return false;
    }
    page.world->step();
    pictureRects(*page.world, page.rects);
    markPointer();
    return true;
}

/// The pointer over pixel (column, row) of the canvas, or off it (on = false): marks the actors
/// within kPointerReach of that pixel's centre and the nearest one, from the queries of the
/// frame's layout. Returns how many are near.
EMSCRIPTEN_KEEPALIVE int pagePointer(bool on, int column, int row) {
    page.pointerOn = on && column >= 0 && column < kPictureSize && row >= 0 && row < kPictureSize;
    page.pointerColumn = column;
    page.pointerRow = row;
    return markPointer();
}

/// How many lists the script draws: the background, the picture's and the pointer's.
EMSCRIPTEN_KEEPALIVE int pageListCount() {
    return 1 + static_cast<int>(kPictureLists.size() + kPointerLists.size());
}

/// The colour of a list as 0xAARRGGBB; 0 for a list that does not exist.
EMSCRIPTEN_KEEPALIVE D3DCOLOR pageColour(int list) {
    if (list == 0) {
        return kBackgroundColour;
    }
    const ColouredRects* found = pictureList(list);
    return found != nullptr ? found->colour : 0;
}

/// The rectangles of list 1 and up, each four LONGs: left, top, right and bottom (exclusive);
/// null for a list that has none.
EMSCRIPTEN_KEEPALIVE const D3DRECT* pageRects(int list) {
    const ColouredRects* found = pictureList(list);
    return found != nullptr ? found->rects->data() : nullptr;
}

EMSCRIPTEN_KEEPALIVE int pageRectCount(int list) {
    const ColouredRects* found = pictureList(list);
    return found != nullptr ? static_cast<int>(found->rects->size()) : 0;
}

/// The caption under the canvas, as the window's title shows it; frameMs is what the script
/// measured of the last frame, its step and its drawing.
EMSCRIPTEN_KEEPALIVE const char* pageCaption(bool paused, double frameMs) {
    page.caption = frameCaption(*page.world, paused, frameMs);
    return page.caption.c_str();
}
}
