// The render shell. The same source builds against the platform's headers and against the
// headless stand-in.
#include "rendershell.h"

#include <cstring>
#include <type_traits>

IDirect3D9* g_d3d = nullptr;
IDirect3DDevice9* g_device = nullptr;

// On 32-bit Windows the window procedure must carry the standard-call convention.
static_assert(std::is_same<decltype(&windowProc), WNDPROC>::value,
              "windowProc must be usable as a WNDPROC");

namespace {

// ARGB: alpha 255, red 0, green 0, blue 255.
constexpr D3DCOLOR kClearColour = 0xFF0000FF;

} // namespace

HRESULT setupDevice(HWND window) {
    cleanup();
    g_d3d = Direct3DCreate9(D3D_SDK_VERSION);
    if (g_d3d == nullptr) {
        return E_FAIL;
    }
    D3DPRESENT_PARAMETERS d3dpp;
    std::memset(&d3dpp, 0, sizeof(d3dpp));
    d3dpp.Windowed = TRUE;
    d3dpp.SwapEffect = D3DSWAPEFFECT_DISCARD;
    d3dpp.BackBufferFormat = D3DFMT_UNKNOWN;
    const HRESULT created =
        g_d3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window,
                            D3DCREATE_SOFTWARE_VERTEXPROCESSING, &d3dpp, &g_device);
    if (FAILED(created)) {
        return E_FAIL;
    }
    return S_OK;
}

void renderFrame() {
    if (g_device == nullptr) {
        return;
    }
    g_device->Clear(0, nullptr, D3DCLEAR_TARGET, kClearColour, 1.0f, 0);
    if (SUCCEEDED(g_device->BeginScene())) {
        g_device->EndScene();
    }
    g_device->Present(nullptr, nullptr, nullptr, nullptr);
}

void cleanup() {
    if (g_device != nullptr) {
        g_device->Release();
        g_device = nullptr;
    }
    if (g_d3d != nullptr) {
        g_d3d->Release();
        g_d3d = nullptr;
    }
}

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_DESTROY:
        cleanup();
        PostQuitMessage(0);
        return 0;
    case WM_PAINT:
        renderFrame();
        ValidateRect(window, nullptr);
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}
