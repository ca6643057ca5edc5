// The Win32 window that the host and the demo open around the render shell: its class, its
// device, its closing timer and its message loop, written once for both programs.
#pragma once

#include <engine/rendershell.h>

#include <string>

/// What a program's window is; the window procedure hands the messages it does not handle
/// itself to the shell's windowProc.
struct WindowSetup {
    const char* program = nullptr; ///< the program's name, which begins each of its messages
    const char* className = nullptr;
    const char* title = nullptr;
    WNDPROC procedure = nullptr;
    DWORD style = 0;
    LONG clientWidth = 0;
    LONG clientHeight = 0;
    HCURSOR cursor = nullptr; ///< null: the window sets none
};

/// The timer that closes the window once its time is up; a program's own timers take others.
constexpr UINT_PTR kCloseTimer = 1;

/// Registers the class, creates the window (not yet shown), sets up the shell's device for it
/// and, for closeAfterMs above 0, starts the closing timer. Null when any step fails, after
/// saying why on standard error.
HWND openWindow(const WindowSetup& setup, long closeAfterMs);

/// Says "program: reason" on standard error and destroys the window, whose WM_DESTROY releases
/// what set-up made; returns the exit status 1.
int failWindow(const char* program, HWND window, const char* reason);

/// For a window procedure: destroys the window on the closing timer's tick, and says so.
bool closedByTimer(HWND window, UINT message, WPARAM wParam);

/// Shows the window and runs its message loop; returns the code of WM_QUIT, or 1 when the
/// queue itself fails.
int runWindow(HWND window);

/// "client area WIDTHxHEIGHT+X+Y", the client area in screen coordinates, as the line a test
/// waits for names it.
std::string clientArea(HWND window);
