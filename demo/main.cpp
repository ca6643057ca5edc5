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

#include <engine/rendershell.h>

#include <chrono>
#include <exception>
#include <iostream>
#include <memory>
#include <string>

namespace {

constexpr int kWindowX = 40;
constexpr int kWindowY = 40;
constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr UINT_PTR kCloseTimer = 1;
constexpr UINT_PTR kFrameTimer = 2;
/// About 60 frames a second; the timer only paces the frames, the world steps by frame.
constexpr UINT kFrameMilliseconds = 16;
constexpr char kClassName[] = "EngineDemo";
constexpr char kUsage[] = "usage: demo [--actors K] [--frames N] [--ms M]   (K from 1 to 1000, "
                          "N, M from 1 to 86400000)\n";

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
    const std::string title =
        "Engine demo - " + frameCaption(*demo.world, demo.paused, demo.stepMs + demo.drawMs);
    SetWindowTextA(window, title.c_str());
}

/// The line a test waits for, once: the frame that stands and the client area in screen
/// coordinates, as WIDTHxHEIGHT+X+Y.
void announce(HWND window) {
    RECT client{};
    GetClientRect(window, &client);
    POINT origin{0, 0};
    ClientToScreen(window, &origin);
    std::cout << "frame " << demo.world->frame() << " presented, client area " << client.right
              << 'x' << client.bottom << '+' << origin.x << '+' << origin.y << std::endl;
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
        if (wParam == kCloseTimer) {
            DestroyWindow(window);
        } else if (wParam == kFrameTimer) {
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

HWND createDemoWindow(HINSTANCE instance) {
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = demoWindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.lpszClassName = kClassName;
    if (RegisterClassExA(&windowClass) == 0) {
        return nullptr;
    }
    RECT frame{0, 0, kPictureSize, kPictureSize};
    AdjustWindowRect(&frame, kWindowStyle, FALSE);
    return CreateWindowExA(0, kClassName, "Engine demo", kWindowStyle, kWindowX, kWindowY,
                           frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr,
                           instance, nullptr);
}

int runMessageLoop() {
    MSG message{};
    BOOL got = FALSE;
    while ((got = GetMessageA(&message, nullptr, 0, 0)) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    if (got < 0) {
        return 1;
    }
    return static_cast<int>(message.wParam);
}

int fail(HWND window, const char* reason) {
    std::cerr << "demo: " << reason << '\n';
    DestroyWindow(window);
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    DemoOptions options;
    if (!parseDemoOptions(argc, argv, DemoProgram::window, options)) {
        std::cerr << kUsage;
        return 2;
    }
    try {
        demo.world = std::make_unique<World>(static_cast<int>(options.actors));
    } catch (const std::exception& error) {
        std::cerr << "demo: " << error.what() << '\n';
        return 1;
    }
    demo.frameLimit = options.frames;
    HWND window = createDemoWindow(GetModuleHandleA(nullptr));
    if (window == nullptr) {
        std::cerr << "demo: cannot create the window\n";
        return 1;
    }
    if (FAILED(setupDevice(window))) {
        return fail(window, "Direct3D 9 device set-up failed");
    }
    if (options.milliseconds > 0 &&
        SetTimer(window, kCloseTimer, static_cast<UINT>(options.milliseconds), nullptr) == 0) {
        return fail(window, "cannot start the closing timer");
    }
    if (SetTimer(window, kFrameTimer, kFrameMilliseconds, nullptr) == 0) {
        return fail(window, "cannot start the frame timer");
    }
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);
    const int status = runMessageLoop();
    demo.world.reset();
    return status;
}
