// Headless stand-in for Direct3D 9 on hosts without it: the two interfaces, types and
// constants the render shell uses, with their Direct3D meanings and values. The device renders
// into memory; standin.h lets tests steer and observe it.
#pragma once

#include <windows.h>

typedef DWORD D3DCOLOR; // NOLINT(modernize-use-using): the platform's spelling

constexpr UINT D3D_SDK_VERSION = 32;
constexpr UINT D3DADAPTER_DEFAULT = 0;
constexpr DWORD D3DCREATE_SOFTWARE_VERTEXPROCESSING = 0x00000020;
constexpr DWORD D3DCLEAR_TARGET = 0x00000001;

enum D3DDEVTYPE { D3DDEVTYPE_HAL = 1 };
enum D3DFORMAT { D3DFMT_UNKNOWN = 0 };
enum D3DMULTISAMPLE_TYPE { D3DMULTISAMPLE_NONE = 0 };
enum D3DSWAPEFFECT { D3DSWAPEFFECT_DISCARD = 1 };

constexpr DWORD D3DCLEAR_ZBUFFER = 0x00000002;
constexpr DWORD D3DCLEAR_STENCIL = 0x00000004;
constexpr HRESULT D3DERR_INVALIDCALL = static_cast<HRESULT>(0x8876086Cu);

/// A rectangle of the render target in pixels: x1, y1 inclusive, x2, y2 exclusive.
struct D3DRECT {
    LONG x1;
    LONG y1;
    LONG x2;
    LONG y2;
};

// Only ever passed as null, so its fields are not needed.
struct RGNDATA;

struct D3DPRESENT_PARAMETERS {
    UINT BackBufferWidth;
    UINT BackBufferHeight;
    D3DFORMAT BackBufferFormat;
    UINT BackBufferCount;
    D3DMULTISAMPLE_TYPE MultiSampleType;
    DWORD MultiSampleQuality;
    D3DSWAPEFFECT SwapEffect;
    HWND hDeviceWindow;
    BOOL Windowed;
    BOOL EnableAutoDepthStencil;
    D3DFORMAT AutoDepthStencilFormat;
    DWORD Flags;
    UINT FullScreen_RefreshRateInHz;
    UINT PresentationInterval;
};

// COM-style interfaces: callers never delete them, they drop their reference with Release.
struct IDirect3DDevice9 {
    virtual ULONG Release() = 0;
    virtual HRESULT BeginScene() = 0;
    virtual HRESULT EndScene() = 0;
    virtual HRESULT Clear(DWORD Count, const D3DRECT* pRects, DWORD Flags, D3DCOLOR Color, float Z,
                          DWORD Stencil) = 0;
    virtual HRESULT Present(const RECT* pSourceRect, const RECT* pDestRect,
                            HWND hDestWindowOverride, const RGNDATA* pDirtyRegion) = 0;

protected:
    ~IDirect3DDevice9() = default;
};

struct IDirect3D9 {
    virtual ULONG Release() = 0;
    virtual HRESULT CreateDevice(UINT Adapter, D3DDEVTYPE DeviceType, HWND hFocusWindow,
                                 DWORD BehaviorFlags,
                                 D3DPRESENT_PARAMETERS* pPresentationParameters,
                                 IDirect3DDevice9** ppReturnedDeviceInterface) = 0;

protected:
    ~IDirect3D9() = default;
};

/// Null when the version is not D3D_SDK_VERSION, or when a test asked it to fail.
IDirect3D9* Direct3DCreate9(UINT SDKVersion);
