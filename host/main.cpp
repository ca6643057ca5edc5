// Windowed host for the render shell: one window painted through windowProc until it closes.
//   host [--frames N] [--ms M]
// --frames N closes the window after N painted frames, --ms M after M milliseconds; without
// either it stays until it is closed. The exit status is the quit code that WM_DESTROY posts.
#include <programs/count.h>
#include <programs/window.h>

#include <engine/rendershell.h>

#include <cstring>
#include <iostream>

namespace {

constexpr char kUsage[] = "usage: host [--frames N] [--ms M]   (N, M from 1 to 86400000)\n";

struct Limits {
    long frames = 0;       // 0: no frame limit
    long milliseconds = 0; // 0: no time limit
};

long framesPainted = 0;
long frameLimit = 0;

bool parseLimits(int argc, char** argv, Limits& limits) {
    for (int i = 1; i < argc; i += 2) {
        if (i + 1 >= argc) {
            return false;
        }
        long* target = nullptr;
        if (std::strcmp(argv[i], "--frames") == 0) {
            target = &limits.frames;
        } else if (std::strcmp(argv[i], "--ms") == 0) {
            target = &limits.milliseconds;
        } else {
            return false;
        }
        if (!parseCount(argv[i + 1], 1, kMaxLimit, *target)) {
            return false;
        }
    }
    return true;
}

void framePainted(HWND window) {
    ++framesPainted;
    if (framesPainted == 1) {
        std::cout << "presented a frame, " << clientArea(window) << std::endl;
    }
    if (frameLimit == 0) {
        return;
    }
    if (framesPainted >= frameLimit) {
        DestroyWindow(window);
        return;
    }
    // The shell validated the window after this frame; ask for the next one.
    InvalidateRect(window, nullptr, FALSE);
}

/// Counts frames around the shell's own procedure, which handles every message first.
LRESULT CALLBACK hostWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (closedByTimer(window, message, wParam)) {
        return 0;
    }
    const LRESULT result = windowProc(window, message, wParam, lParam);
    if (message == WM_PAINT) {
        framePainted(window);
    }
    return result;
}

/// A 320 x 240 client area in a window that can be resized.
WindowSetup hostWindow() {
    WindowSetup setup;
    setup.program = "host";
    setup.className = "EngineRenderHost";
    setup.title = "Render shell";
    setup.procedure = hostWindowProc;
    setup.style = WS_OVERLAPPEDWINDOW;
    setup.clientWidth = 320;
    setup.clientHeight = 240;
    return setup;
}

} // namespace

int main(int argc, char** argv) {
    Limits limits;
    if (!parseLimits(argc, argv, limits)) {
        std::cerr << kUsage;
        return 2;
    }
    frameLimit = limits.frames;
    HWND window = openWindow(hostWindow(), limits.milliseconds);
    if (window == nullptr) {
        return 1;
    }
    return runWindow(window);
}
