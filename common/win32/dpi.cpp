#include "common/win32/dpi.h"

namespace win32 {

namespace {

// user32 is loaded in every windowed program: its newer entries are looked up, not imported.
template <typename F>
F User32(const char* name) {
    return reinterpret_cast<F>(reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"user32.dll"), name)));
}

UINT ScreenDpi() {
    HDC screen = ::GetDC(nullptr);
    const int dpi = screen ? ::GetDeviceCaps(screen, LOGPIXELSY) : 96;
    if (screen) ::ReleaseDC(nullptr, screen);
    return dpi > 0 ? static_cast<UINT>(dpi) : 96;
}

}  // namespace

UINT WindowDpi(HWND window) {
    static const auto forWindow = User32<UINT(WINAPI*)(HWND)>("GetDpiForWindow");
    const UINT dpi = forWindow && window ? forWindow(window) : 0;
    return dpi ? dpi : ScreenDpi();
}

UINT SystemDpi() {
    static const auto forSystem = User32<UINT(WINAPI*)()>("GetDpiForSystem");
    const UINT dpi = forSystem ? forSystem() : 0;
    return dpi ? dpi : ScreenDpi();
}

int MetricAt(int index, UINT dpi) {
    static const auto forDpi = User32<int(WINAPI*)(int, UINT)>("GetSystemMetricsForDpi");
    return forDpi ? forDpi(index, dpi) : ::GetSystemMetrics(index);
}

BOOL AdjustWindowRectAt(RECT* rect, DWORD style, DWORD exStyle, UINT dpi) {
    static const auto forDpi = User32<BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT)>("AdjustWindowRectExForDpi");
    return forDpi ? forDpi(rect, style, FALSE, exStyle, dpi) : ::AdjustWindowRectEx(rect, style, FALSE, exStyle);
}

}  // namespace win32
