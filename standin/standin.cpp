// The headless stand-in: a software Direct3D 9 device rendering into memory, and a Win32
// message side that only records what it is asked to do.
#include "standin.h"

#include <algorithm>
#include <memory>
#include <sstream>
#include <string>
#include <utility>

namespace {

constexpr UINT kLargestSide = 4096;

std::size_t pixelCount(UINT width, UINT height) {
    return static_cast<std::size_t>(width) * height;
}

std::string text(const void* pointer) {
    if (pointer == nullptr) {
        return "null";
    }
    std::ostringstream out;
    out << pointer;
    return out.str();
}

/// The COM reference count of every object handed out, starting at the caller's one reference.
class Counted {
public:
    virtual ~Counted() = default;
    bool live() const { return count_ > 0; }

protected:
    /// Records an over-release instead of touching freed memory.
    ULONG release(const char* interfaceName);

private:
    ULONG count_ = 1;
};

struct State {
    bool direct3DCreateFails = false;
    HRESULT createDeviceResult = S_OK;
    HRESULT beginSceneResult = S_OK;
    LRESULT defWindowProcResult = 0;
    std::vector<std::string> calls;
    UINT clientWidth = standin::kBackBufferWidth;
    UINT clientHeight = standin::kBackBufferHeight;
    std::vector<D3DCOLOR> frontBuffer =
        std::vector<D3DCOLOR>(pixelCount(clientWidth, clientHeight), 0);
    D3DPRESENT_PARAMETERS presentParameters = {};
    // Objects stay allocated until reset, so a release too many is counted, not undefined.
    std::vector<std::unique_ptr<Counted>> objects;
    std::int32_t overReleases = 0;
};

State& state() {
    static State current;
    return current;
}

void record(const std::string& call) {
    state().calls.push_back(call);
}

ULONG Counted::release(const char* interfaceName) {
    if (count_ == 0) {
        ++state().overReleases;
        record(std::string(interfaceName) + "::Release -> already 0");
        return 0;
    }
    --count_;
    record(std::string(interfaceName) + "::Release -> " + std::to_string(count_));
    return count_;
}

class Device final : public IDirect3DDevice9, public Counted {
public:
    ULONG Release() override { return release("IDirect3DDevice9"); }

    HRESULT BeginScene() override {
        record("IDirect3DDevice9::BeginScene");
        return state().beginSceneResult;
    }

    HRESULT EndScene() override {
        record("IDirect3DDevice9::EndScene");
        return S_OK;
    }

    Device(UINT width, UINT height)
        : width_(width), height_(height), backBuffer_(pixelCount(width, height), 0) {}

    // As Direct3D 9: no rectangles (count 0, null list) clear the whole target; otherwise each
    // rectangle (x1, y1 inclusive, x2, y2 exclusive) is clipped to the target and an empty or
    // inverted one clears nothing. A count without a list, or a list with a count of 0, is
    // refused, and so is a depth or stencil clear, since the device has neither buffer.
    HRESULT Clear(DWORD Count, const D3DRECT* pRects, DWORD Flags, D3DCOLOR Color, float Z,
                  DWORD Stencil) override {
        std::ostringstream call;
        call << "IDirect3DDevice9::Clear(" << Count << ", " << text(pRects) << ", 0x" << std::hex
             << Flags << ", 0x" << Color << std::dec << ", " << Z << ", " << Stencil << ")";
        record(call.str());
        if ((Count == 0) != (pRects == nullptr) || Flags != D3DCLEAR_TARGET) {
            return D3DERR_INVALIDCALL;
        }
        if (Count == 0) {
            std::fill(backBuffer_.begin(), backBuffer_.end(), Color);
            return S_OK;
        }
        for (DWORD i = 0; i < Count; ++i) {
            fill(pRects[i], Color);
        }
        return S_OK;
    }

    HRESULT Present(const RECT* pSourceRect, const RECT* pDestRect, HWND hDestWindowOverride,
                    const RGNDATA* pDirtyRegion) override {
        record("IDirect3DDevice9::Present(" + text(pSourceRect) + ", " + text(pDestRect) + ", " +
               text(hDestWindowOverride) + ", " + text(pDirtyRegion) + ")");
        state().frontBuffer = backBuffer_;
        return S_OK;
    }

private:
    void fill(const D3DRECT& rect, D3DCOLOR colour) {
        const LONG width = static_cast<LONG>(width_);
        const LONG height = static_cast<LONG>(height_);
        const LONG left = std::max<LONG>(rect.x1, 0);
        const LONG top = std::max<LONG>(rect.y1, 0);
        const LONG right = std::min(rect.x2, width);
        const LONG bottom = std::min(rect.y2, height);
        if (left >= right) {
            return;
        }
        for (LONG y = top; y < bottom; ++y) {
            const auto row = backBuffer_.begin() + static_cast<std::ptrdiff_t>(y) * width;
            std::fill(row + left, row + right, colour);
        }
    }

    UINT width_;
    UINT height_;
    std::vector<D3DCOLOR> backBuffer_;
};

class Direct3D final : public IDirect3D9, public Counted {
public:
    ULONG Release() override { return release("IDirect3D9"); }

    HRESULT CreateDevice(UINT Adapter, D3DDEVTYPE DeviceType, HWND hFocusWindow,
                         DWORD BehaviorFlags, D3DPRESENT_PARAMETERS* pPresentationParameters,
                         IDirect3DDevice9** ppReturnedDeviceInterface) override {
        std::ostringstream call;
        call << "IDirect3D9::CreateDevice(" << Adapter << ", " << DeviceType << ", "
             << text(hFocusWindow) << ", 0x" << std::hex << BehaviorFlags << std::dec << ", "
             << text(pPresentationParameters) << ", " << text(ppReturnedDeviceInterface) << ")";
        record(call.str());
        if (pPresentationParameters == nullptr || ppReturnedDeviceInterface == nullptr) {
            return D3DERR_INVALIDCALL;
        }
        state().presentParameters = *pPresentationParameters;
        *ppReturnedDeviceInterface = nullptr;
        if (FAILED(state().createDeviceResult)) {
            return state().createDeviceResult;
        }
        // A zero width or height takes the window's client area, as Direct3D 9 does.
        const UINT width = pPresentationParameters->BackBufferWidth != 0
                               ? pPresentationParameters->BackBufferWidth
                               : state().clientWidth;
        const UINT height = pPresentationParameters->BackBufferHeight != 0
                                ? pPresentationParameters->BackBufferHeight
                                : state().clientHeight;
        if (width > kLargestSide || height > kLargestSide) {
            return D3DERR_INVALIDCALL;
        }
        auto device = std::make_unique<Device>(width, height);
        *ppReturnedDeviceInterface = device.get();
        state().objects.push_back(std::move(device));
        return state().createDeviceResult;
    }
};

} // namespace

IDirect3D9* Direct3DCreate9(UINT SDKVersion) {
    record("Direct3DCreate9(" + std::to_string(SDKVersion) + ")");
    if (state().direct3DCreateFails || SDKVersion != D3D_SDK_VERSION) {
        return nullptr;
    }
    auto direct3D = std::make_unique<Direct3D>();
    IDirect3D9* const handedOut = direct3D.get();
    state().objects.push_back(std::move(direct3D));
    return handedOut;
}

LRESULT DefWindowProcA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
    record("DefWindowProcA(" + text(hWnd) + ", " + std::to_string(Msg) + ", " +
           std::to_string(wParam) + ", " + std::to_string(lParam) + ")");
    return state().defWindowProcResult;
}

void PostQuitMessage(int nExitCode) {
    record("PostQuitMessage(" + std::to_string(nExitCode) + ")");
}

BOOL ValidateRect(HWND hWnd, const RECT* lpRect) {
    record("ValidateRect(" + text(hWnd) + ", " + text(lpRect) + ")");
    return TRUE;
}

namespace standin {

void reset() {
    state() = State();
}

void setClientArea(UINT width, UINT height) {
    State& current = state();
    current.clientWidth = std::clamp<UINT>(width, 1, kLargestSide);
    current.clientHeight = std::clamp<UINT>(height, 1, kLargestSide);
    current.frontBuffer.assign(pixelCount(current.clientWidth, current.clientHeight), 0);
}

UINT backBufferWidth() {
    return state().clientWidth;
}

UINT backBufferHeight() {
    return state().clientHeight;
}

void failDirect3DCreate9() {
    state().direct3DCreateFails = true;
}

void setCreateDeviceResult(HRESULT result) {
    state().createDeviceResult = result;
}

void setBeginSceneResult(HRESULT result) {
    state().beginSceneResult = result;
}

void setDefWindowProcResult(LRESULT result) {
    state().defWindowProcResult = result;
}

const std::vector<std::string>& calls() {
    return state().calls;
}

void clearCalls() {
    state().calls.clear();
}

const std::vector<D3DCOLOR>& frontBuffer() {
    return state().frontBuffer;
}

const D3DPRESENT_PARAMETERS& lastPresentParameters() {
    return state().presentParameters;
}

std::int32_t liveObjects() {
    std::int32_t live = 0;
    for (const auto& object : state().objects) {
        live += object->live() ? 1 : 0;
    }
    return live;
}

std::int32_t overReleases() {
    return state().overReleases;
}

} // namespace standin
