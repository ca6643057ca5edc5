// Headless stand-in for the Win32 user interface on hosts without it: only the types,
// constants and calls the render shell uses, with their Win32 meanings and values.
#pragma once

#include <cstdint>

// The platform's own spelling of its types, kept so the shell reads as it does on Windows.
// NOLINTBEGIN(modernize-use-using, bugprone-reserved-identifier)
typedef std::int32_t LONG;
typedef std::uint32_t ULONG;
typedef std::uint32_t DWORD;
typedef unsigned int UINT;
typedef int BOOL;
typedef std::uintptr_t WPARAM;
typedef std::intptr_t LPARAM;
typedef std::intptr_t LRESULT;
typedef LONG HRESULT;

struct HWND__ {
    int unused;
};
typedef HWND__* HWND;

// Only ever passed as null by the shell, so its fields are not needed.
struct RECT;

// Only the standard-call convention of 32-bit Windows needs a marker.
#define CALLBACK

typedef LRESULT(CALLBACK* WNDPROC)(HWND, UINT, WPARAM, LPARAM);
// NOLINTEND(modernize-use-using, bugprone-reserved-identifier)

constexpr BOOL TRUE = 1;

constexpr HRESULT S_OK = 0;
constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005u);
#define SUCCEEDED(hr) (static_cast<HRESULT>(hr) >= 0)
#define FAILED(hr) (static_cast<HRESULT>(hr) < 0)

constexpr UINT WM_DESTROY = 0x0002;
constexpr UINT WM_PAINT = 0x000F;

LRESULT DefWindowProcA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam);
void PostQuitMessage(int nExitCode);
BOOL ValidateRect(HWND hWnd, const RECT* lpRect);
