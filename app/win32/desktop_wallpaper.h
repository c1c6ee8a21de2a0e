// The shell's per-monitor wallpaper object (Windows 8 and later), declared here since the
// program is built for Windows 7 and its headers hide it there. The stand-in that the
// tests register under Wine implements the same declaration.
#pragma once

#include <windows.h>

#include <objbase.h>

namespace nubilux::win32 {

inline constexpr CLSID kDesktopWallpaperClass = {
    0xc2cf3110, 0x460e, 0x4fc1, {0xb9, 0xd0, 0x8a, 0x1c, 0x0c, 0x9c, 0xc4, 0xbd}};
inline constexpr IID kDesktopWallpaperInterface = {
    0xb92b56a9, 0x8b55, 0x4e14, {0x9a, 0x89, 0x01, 0x99, 0xbb, 0xb6, 0xf9, 0x3b}};

// IDesktopWallpaper, method for method in the shell's order; the slideshow's item
// arrays are passed through as opaque pointers.
struct DesktopWallpaper : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE SetWallpaper(LPCWSTR monitorId, LPCWSTR wallpaper) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetWallpaper(LPCWSTR monitorId, LPWSTR* wallpaper) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetMonitorDevicePathAt(UINT index, LPWSTR* monitorId) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetMonitorDevicePathCount(UINT* count) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetMonitorRECT(LPCWSTR monitorId, RECT* rect) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetBackgroundColor(COLORREF color) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetBackgroundColor(COLORREF* color) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetPosition(int position) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetPosition(int* position) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetSlideshow(void* items) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetSlideshow(void** items) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetSlideshowOptions(int options, UINT tick) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetSlideshowOptions(int* options, UINT* tick) = 0;
    virtual HRESULT STDMETHODCALLTYPE AdvanceSlideshow(LPCWSTR monitorId, int direction) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetStatus(int* state) = 0;
    virtual HRESULT STDMETHODCALLTYPE Enable(BOOL enable) = 0;
};

}  // namespace nubilux::win32
