// demo.exe: the engine's pieces alive together in one window. Actors wander, a quad tree is
// built over them every frame, and actors sharing a leaf exchange messages.
//   demo [--actors K] [--frames N] [--ms M]
// Space pauses and resumes, Escape closes. --frames N stops the world after frame N, which
// stays on screen; --ms M closes the window after M milliseconds. The exit status is the quit
// code that WM_DESTROY posts, 0.
#include "caption.h"
#include "options.h"
#include "picture.h"
#include "world.h"

#include <programs/window.h>

#include <engine/rendershell.h>

#include <chrono>
#include <exception>
#include <iostream>
#include <memory>
#include <string>

namespace {

constexpr char kProgram[] = "demo";
constexpr char kTitle[] = "Engine demo";
constexpr UINT_PTR kFrameTimer = kCloseTimer + 1;
/// About 60 frames a second; the timer only paces the frames, the world steps by frame.
constexpr UINT kFrameMilliseconds = 16;
constexpr char kUsage[] = "usage: demo [--actors K] [--frames N] [--ms M] [--motion flock]   (K "
                          "from 1 to 1000, N, M from 1 to 86400000)\n";

struct Demo {
    std::unique_ptr<World> world;
    PictureRects rects;
    long frameLimit = 0;
    bool paused = false;
    bool announced = false;
    double stepMs = 0.0;
    double drawMs = 0.0;
};

Demo demo;

double millisecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

bool stopped() {
    return demo.frameLimit > 0 && demo.world->frame() >= demo.frameLimit;
}

void showTitle(HWND window) {
    const std::string title = std::string(kTitle) + " - " +
                              frameCaption(*demo.world, demo.paused, demo.stepMs + demo.drawMs);
    SetWindowTextA(window, title.c_str());
}

/// The line a test waits for, once: the frame that stands and the client area.
void announce(HWND window) {
    std::cout << "frame " << demo.world->frame() << " presented, " << clientArea(window)
              << std::endl;
    demo.announced = true;
}

void paint(HWND window) {
    if (g_device != nullptr) {
        const auto start = std::chrono::steady_clock::now();
        pictureRects(*demo.world, demo.rects);
        drawPicture(g_device, demo.rects);
        demo.drawMs = millisecondsSince(start);
    }
    ValidateRect(window, nullptr);
    showTitle(window);
    if (!demo.announced && (demo.frameLimit == 0 || stopped())) {
        announce(window);
    }
}

void nextFrame(HWND window) {
    if (demo.paused || stopped()) {
        return;
    }
    const auto start = std::chrono::steady_clock::now();
    demo.world->step();
    demo.stepMs = millisecondsSince(start);
    InvalidateRect(window, nullptr, FALSE);
}

/// The demo's own messages; everything else, WM_DESTROY included, goes to the shell.
LRESULT CALLBACK demoWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_TIMER:
        if (!closedByTimer(window, message, wParam) && wParam == kFrameTimer) {
            nextFrame(window);
        }
        return 0;
    case WM_KEYDOWN:
        if (wParam == VK_ESCAPE) {
            DestroyWindow(window);
        } else if (wParam == VK_SPACE) {
            demo.paused = !demo.paused;
            showTitle(window);
        }
        return 0;
    case WM_PAINT:
        paint(window);
        return 0;
    default:
        return windowProc(window, message, wParam, lParam);
    }
}

/// The picture's size as the client area, in a window of fixed size.
WindowSetup demoWindow() {
    WindowSetup setup;
    setup.program = kProgram;
    setup.className = "EngineDemo";
    setup.title = kTitle;
    setup.procedure = demoWindowProc;
    setup.style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    setup.clientWidth = kPictureSize;
    setup.clientHeight = kPictureSize;
    setup.cursor = LoadCursorA(nullptr, IDC_ARROW);
    return setup;
}

} // namespace

int main(int argc, char** argv) {
    DemoOptions options;
    if (!parseDemoOptions(argc, argv, DemoProgram::window, options)) {
        std::cerr << kUsage;
        return 2;
    }
    try {
        demo.world = std::make_unique<World>(static_cast<int>(options.actors),
                                             World::Build::partition, options.motion);
    } catch (const std::exception& error) {
        std::cerr << kProgram << ": " << error.what() << '\n';
        return 1;
    }
    demo.frameLimit = options.frames;
    HWND window = openWindow(demoWindow(), options.milliseconds);
    if (window == nullptr) {
        return 1;
    }
    if (SetTimer(window, kFrameTimer, kFrameMilliseconds, nullptr) == 0) {
        return failWindow(kProgram, window, "cannot start the frame timer");
    }
    const int status = runWindow(window);
    demo.world.reset();
    return status;
}
