/// @file
/// A minimal Direct3D 9 front end for one window: device set-up, a frame cleared to blue,
/// clean-up, and the window procedure that drives them. The only engine header that carries
/// platform types. A windowed host registers windowProc for its window and calls setupDevice
/// before the first WM_PAINT.
#pragma once

#include <windows.h>

#include <d3d9.h>

/// The Direct3D object; null until setupDevice creates it and again after cleanup.
extern IDirect3D9* g_d3d;
/// The windowed device; null until setupDevice creates it and again after cleanup.
extern IDirect3DDevice9* g_device;

/// Creates the Direct3D object and a windowed device for the window. S_OK on success (whatever
/// success code the device creation gave), E_FAIL on either failure; a Direct3D object whose
/// device failed stays held for cleanup. Objects a previous call left are released first.
HRESULT setupDevice(HWND window);

/// Clears the back buffer to opaque blue, runs an empty scene and presents; nothing without a
/// device. Presents even when no scene could begin.
void renderFrame();

/// Releases the device, then the Direct3D object, and sets both back to null.
void cleanup();

/// Paints a frame on WM_PAINT, cleans up and posts quit code 0 on WM_DESTROY; every other
/// message goes to DefWindowProcA, whose result it returns.
LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
