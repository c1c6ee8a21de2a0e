// The declarations of Windows 10's scaling entries, so that each is called through its
// own type: the compiler checks the calling convention in the 32-bit build and the 64-bit
// one alike. They are still looked up at run time, not imported.
#undef WINVER
#define WINVER 0x0605

#include "common/win32/dpi.h"

#include "common/win32/startup.h"

namespace win32 {

namespace {

// user32 is loaded in every windowed program.
template <typename F>
F User32(const char* name) {
    return ProcAddress<F>(::GetModuleHandleW(L"user32.dll"), name);
}

UINT ScreenDpi() {
    HDC screen = ::GetDC(nullptr);
    const int dpi = screen ? ::GetDeviceCaps(screen, LOGPIXELSY) : 96;
    if (screen) ::ReleaseDC(nullptr, screen);
    return dpi > 0 ? static_cast<UINT>(dpi) : 96;
}

}  // namespace

UINT WindowDpi(HWND window) {
    static const auto forWindow = User32<decltype(&::GetDpiForWindow)>("GetDpiForWindow");
    const UINT dpi = forWindow && window ? forWindow(window) : 0;
    return dpi ? dpi : ScreenDpi();
}

UINT SystemDpi() {
    static const auto forSystem = User32<decltype(&::GetDpiForSystem)>("GetDpiForSystem");
    const UINT dpi = forSystem ? forSystem() : 0;
    return dpi ? dpi : ScreenDpi();
}

int MetricAt(int index, UINT dpi) {
    static const auto forDpi = User32<decltype(&::GetSystemMetricsForDpi)>("GetSystemMetricsForDpi");
    return forDpi ? forDpi(index, dpi) : ::GetSystemMetrics(index);
}

BOOL AdjustWindowRectAt(RECT* rect, DWORD style, DWORD exStyle, UINT dpi) {
    static const auto forDpi = User32<decltype(&::AdjustWindowRectExForDpi)>("AdjustWindowRectExForDpi");
    return forDpi ? forDpi(rect, style, FALSE, exStyle, dpi) : ::AdjustWindowRectEx(rect, style, FALSE, exStyle);
}

}  // namespace win32
