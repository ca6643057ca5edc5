// Windowed host for the render shell: one window painted through windowProc until it closes.
//   host [--frames N] [--ms M]
// --frames N closes the window after N painted frames, --ms M after M milliseconds; without
// either it stays until it is closed. The exit status is the quit code that WM_DESTROY posts.
#include <programs/count.h>

#include <engine/rendershell.h>

#include <cstring>
#include <iostream>

namespace {

constexpr int kClientWidth = 320;
constexpr int kClientHeight = 240;
constexpr int kWindowX = 40;
constexpr int kWindowY = 40;
constexpr DWORD kWindowStyle = WS_OVERLAPPEDWINDOW;
constexpr UINT_PTR kCloseTimer = 1;
constexpr char kClassName[] = "EngineRenderHost";
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

/// The line a test waits for: the client area in screen coordinates, as WIDTHxHEIGHT+X+Y.
void reportFirstFrame(HWND window) {
    RECT client{};
    GetClientRect(window, &client);
    POINT origin{0, 0};
    ClientToScreen(window, &origin);
    std::cout << "presented a frame, client area " << client.right << 'x' << client.bottom << '+'
              << origin.x << '+' << origin.y << std::endl;
}

void framePainted(HWND window) {
    ++framesPainted;
    if (framesPainted == 1) {
        reportFirstFrame(window);
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
    if (message == WM_TIMER && wParam == kCloseTimer) {
        DestroyWindow(window);
        return 0;
    }
    const LRESULT result = windowProc(window, message, wParam, lParam);
    if (message == WM_PAINT) {
        framePainted(window);
    }
    return result;
}

HWND createHostWindow(HINSTANCE instance) {
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = hostWindowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = kClassName;
    if (RegisterClassExA(&windowClass) == 0) {
        return nullptr;
    }
    RECT frame{0, 0, kClientWidth, kClientHeight};
    AdjustWindowRect(&frame, kWindowStyle, FALSE);
    return CreateWindowExA(0, kClassName, "Render shell", kWindowStyle, kWindowX, kWindowY,
                           frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr,
                           instance, nullptr);
}

/// Runs until WM_QUIT and returns its code; 1 when the queue itself fails.
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

/// Ends a window that never showed a frame; its WM_DESTROY still releases what set-up made.
int fail(HWND window, const char* reason) {
    std::cerr << "host: " << reason << '\n';
    DestroyWindow(window);
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    Limits limits;
    if (!parseLimits(argc, argv, limits)) {
        std::cerr << kUsage;
        return 2;
    }
    frameLimit = limits.frames;
    HWND window = createHostWindow(GetModuleHandleA(nullptr));
    if (window == nullptr) {
        std::cerr << "host: cannot create the window\n";
        return 1;
    }
    if (FAILED(setupDevice(window))) {
        return fail(window, "Direct3D 9 device set-up failed");
    }
    if (limits.milliseconds > 0 &&
        SetTimer(window, kCloseTimer, static_cast<UINT>(limits.milliseconds), nullptr) == 0) {
        return fail(window, "cannot start the closing timer");
    }
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);
    return runMessageLoop();
}
