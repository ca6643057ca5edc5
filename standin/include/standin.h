// Test controls of the headless platform stand-in: failures on request, the calls made with
// their arguments, the pixels presented, and the reference counts of the objects handed out.
#pragma once

#include <d3d9.h>

#include <cstdint>
#include <string>
#include <vector>

namespace standin {

// The client area that every window reports until a test sets another: a device created with
// a zero width and height takes its back buffer's size from it, as Direct3D 9 does.
constexpr UINT kBackBufferWidth = 640;
constexpr UINT kBackBufferHeight = 480;

/// Forgets every setting, call and object (releasing their memory); the front buffer turns 0
/// and the client area is kBackBufferWidth x kBackBufferHeight again.
void reset();

/// The client area of every window from now on; devices created later take its size. Both
/// from 1 to 4096; the front buffer turns 0 at the new size.
void setClientArea(UINT width, UINT height);
/// The size of the back buffer that the next device gets, and of the front buffer.
UINT backBufferWidth();
UINT backBufferHeight();

/// Every later Direct3DCreate9 returns null.
void failDirect3DCreate9();
/// What every later CreateDevice returns; a negative code creates no device.
void setCreateDeviceResult(HRESULT result);
/// What every later BeginScene returns.
void setBeginSceneResult(HRESULT result);
/// What every later DefWindowProcA returns.
void setDefWindowProcResult(LRESULT result);

/// One line per platform call, in order, such as "PostQuitMessage(0)"; pointers in hex, null as
/// "null"; a Release shows the count it leaves.
const std::vector<std::string>& calls();
void clearCalls();

/// Row by row from the top, backBufferWidth() * backBufferHeight() pixels as ARGB.
const std::vector<D3DCOLOR>& frontBuffer();
/// The parameters of the last CreateDevice call.
const D3DPRESENT_PARAMETERS& lastPresentParameters();

/// Objects handed out whose reference count has not reached 0.
std::int32_t liveObjects();
/// Release calls on an object whose count had already reached 0.
std::int32_t overReleases();

} // namespace standin
