// The demo's page: the world and the rectangle lists of its picture, for the script of
// demo.html that draws them on a canvas. The script calls these in this order: pageArgument
// for each option of the address, pageStart once, then pageStep for every animation frame.
#include <demo/figures.h>
#include <demo/options.h>
#include <demo/picture.h>
#include <demo/world.h>

#include <emscripten/emscripten.h>

#include <memory>
#include <string>
#include <vector>

namespace {

struct Page {
    std::vector<std::string> arguments{"demo.html"};
    std::unique_ptr<World> world;
    PictureRects rects;
    long frameLimit = 0;
    std::string figures;
};

Page page;

/// The rectangles of a colour: 1 the midlines, 2 the actors, 3 the flashing actors.
const std::vector<D3DRECT>& rectsOf(int list) {
    return list == 1 ? page.rects.midlines : list == 2 ? page.rects.actors : page.rects.flashes;
}

} // namespace

extern "C" {

/// One word of the window's command line ("--actors", then "5").
EMSCRIPTEN_KEEPALIVE void pageArgument(const char* word) {
    page.arguments.emplace_back(word);
}

/// Makes the world and frame 0's rectangles; false for options the window would refuse.
EMSCRIPTEN_KEEPALIVE bool pageStart() {
    std::vector<const char*> argv;
    for (const std::string& word : page.arguments) {
        argv.push_back(word.c_str());
    }
    DemoOptions options;
    if (!parseDemoOptions(static_cast<int>(argv.size()), argv.data(), DemoProgram::page, options)) {
        return false;
    }
    page.world = std::make_unique<World>(static_cast<int>(options.actors));
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
    return true;
}

/// The colour of list 0 (the background) to 3 as 0xAARRGGBB; 0 for any other list.
EMSCRIPTEN_KEEPALIVE D3DCOLOR pageColour(int list) {
    const D3DCOLOR colours[] = {kBackgroundColour, kMidlineColour, kActorColour, kFlashColour};
    if (list < 0 || list > 3) {
        return 0;
    }
    return colours[list];
}

/// The rectangles of list 1 to 3, each four LONGs: left, top, right and bottom (exclusive).
EMSCRIPTEN_KEEPALIVE const D3DRECT* pageRects(int list) {
    return rectsOf(list).data();
}

EMSCRIPTEN_KEEPALIVE int pageRectCount(int list) {
    return static_cast<int>(rectsOf(list).size());
}

/// The line under the canvas, as the window's title shows it; frameMs is what the script
/// measured of the last frame, its step and its drawing.
EMSCRIPTEN_KEEPALIVE const char* pageFigures(bool paused, double frameMs) {
    page.figures = frameFigures(*page.world, paused, frameMs);
    return page.figures.c_str();
}
}
