// The window around the render shell, for the host and the demo.
#include "window.h"

#include <iostream>

namespace {

constexpr int kWindowX = 40;
constexpr int kWindowY = 40;

HWND createWindow(const WindowSetup& setup) {
    const HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = setup.procedure;
    windowClass.hInstance = instance;
    windowClass.hCursor = setup.cursor;
    windowClass.lpszClassName = setup.className;
    if (RegisterClassExA(&windowClass) == 0) {
        return nullptr;
    }
    RECT frame{0, 0, setup.clientWidth, setup.clientHeight};
    AdjustWindowRect(&frame, setup.style, FALSE);
    return CreateWindowExA(0, setup.className, setup.title, setup.style, kWindowX, kWindowY,
                           frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr,
                           instance, nullptr);
}

} // namespace

HWND openWindow(const WindowSetup& setup, long closeAfterMs) {
    HWND window = createWindow(setup);
    if (window == nullptr) {
        std::cerr << setup.program << ": cannot create the window\n";
        return nullptr;
    }
    // Before the window shows, so before its first WM_PAINT.
    if (FAILED(setupDevice(window))) {
        failWindow(setup.program, window, "Direct3D 9 device set-up failed");
        return nullptr;
    }
    if (closeAfterMs > 0 &&
        SetTimer(window, kCloseTimer, static_cast<UINT>(closeAfterMs), nullptr) == 0) {
        failWindow(setup.program, window, "cannot start the closing timer");
        return nullptr;
    }
    return window;
}

int failWindow(const char* program, HWND window, const char* reason) {
    std::cerr << program << ": " << reason << '\n';
    DestroyWindow(window);
    return 1;
}

bool closedByTimer(HWND window, UINT message, WPARAM wParam) {
    if (message != WM_TIMER || wParam != kCloseTimer) {
        return false;
    }
    DestroyWindow(window);
    return true;
}

int runWindow(HWND window) {
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);
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

std::string clientArea(HWND window) {
    RECT client{};
    GetClientRect(window, &client);
    POINT origin{0, 0};
    ClientToScreen(window, &origin);
    return "client area " + std::to_string(client.right) + 'x' + std::to_string(client.bottom) +
           '+' + std::to_string(origin.x) + '+' + std::to_string(origin.y);
}
