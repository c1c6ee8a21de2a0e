// A stand-in for the shell's per-monitor wallpaper object, which Wine lacks: an
// in-process COM server registered under the shell's class id in a test prefix. It
// answers the monitors Windows reports and records each SetWallpaper call, one line
// "<monitor id>\t<path>" in wallpaper-calls.txt beside this DLL, and each SetPosition
// "position\t<n>"; the position is kept in position.txt there (Fill, 4, when missing, as
// on a new Windows account), which a test may write first. A file behaviour.txt
// beside it makes SetWallpaper misbehave as the shell may: "block" never returns (for ten
// minutes), "fail" answers E_FAIL.
#include <windows.h>

#include <objbase.h>
#include <olectl.h>

#include <atomic>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/win32/desktop_wallpaper.h"
#include "tools/com_standin.h"

namespace {

using nubilux::win32::DesktopWallpaper;
using nubilux::win32::kDesktopWallpaperClass;
using nubilux::win32::kDesktopWallpaperInterface;

using standin::objects;
using standin::OwnFolder;

BOOL CALLBACK Collect(HMONITOR monitor, HDC, LPRECT, LPARAM data) {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (::GetMonitorInfoW(monitor, &info)) reinterpret_cast<std::vector<RECT>*>(data)->push_back(info.rcMonitor);
    return TRUE;
}

std::vector<RECT> Monitors() {
    std::vector<RECT> rects;
    ::EnumDisplayMonitors(nullptr, nullptr, Collect, reinterpret_cast<LPARAM>(&rects));
    return rects;
}

std::wstring MonitorId(UINT index) { return L"\\\\?\\DISPLAY#Standin#" + std::to_wstring(index); }

// Which monitor an id names; -1 for none.
int IndexOf(LPCWSTR id) {
    const std::size_t count = Monitors().size();
    for (UINT i = 0; i < count; ++i)
        if (id && MonitorId(i) == id) return static_cast<int>(i);
    return -1;
}

void Record(const std::wstring& line) {
    const int bytes = ::WideCharToMultiByte(CP_UTF8, 0, line.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<std::size_t>(bytes > 0 ? bytes - 1 : 0), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, line.c_str(), -1, text.data(), bytes, nullptr, nullptr);
    standin::AppendLine(L"wallpaper-calls.txt", text);
}

// The first word of a file beside this DLL; empty when there is none.
std::string FirstWord(const wchar_t* name) {
    const std::wstring path = OwnFolder() + L"\\" + name;
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return {};
    char text[16] = {};
    DWORD got = 0;
    ::ReadFile(file, text, sizeof text - 1, &got, nullptr);
    ::CloseHandle(file);
    std::string word(text, got);
    return word.substr(0, word.find_first_of(" \r\n"));
}

std::string Behaviour() { return FirstWord(L"behaviour.txt"); }

void WriteFirstWord(const wchar_t* name, const std::string& word) {
    const std::wstring path = OwnFolder() + L"\\" + name;
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    ::WriteFile(file, word.data(), static_cast<DWORD>(word.size()), &written, nullptr);
    ::CloseHandle(file);
}

LPWSTR CopyForCaller(const std::wstring& text) {
    auto* out = static_cast<LPWSTR>(::CoTaskMemAlloc((text.size() + 1) * sizeof(wchar_t)));
    if (out) ::lstrcpyW(out, text.c_str());
    return out;
}

class Wallpaper final : public DesktopWallpaper {
public:
    Wallpaper() { ++objects; }
    ~Wallpaper() { --objects; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        if (iid == IID_IUnknown || iid == kDesktopWallpaperInterface) {
            *out = static_cast<DesktopWallpaper*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++references_); }
    ULONG STDMETHODCALLTYPE Release() override {
        const long left = --references_;
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }

    HRESULT STDMETHODCALLTYPE SetWallpaper(LPCWSTR monitorId, LPCWSTR wallpaper) override {
        if (!wallpaper || IndexOf(monitorId) < 0) return E_INVALIDARG;
        const std::string behaviour = Behaviour();
        if (behaviour == "block") ::Sleep(10 * 60 * 1000);
        if (behaviour == "fail") return E_FAIL;
        Record(std::wstring(monitorId) + L"\t" + wallpaper);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetWallpaper(LPCWSTR, LPWSTR* wallpaper) override {
        if (wallpaper) *wallpaper = CopyForCaller(L"");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetMonitorDevicePathAt(UINT index, LPWSTR* monitorId) override {
        if (!monitorId) return E_POINTER;
        if (index >= Monitors().size()) return E_INVALIDARG;
        *monitorId = CopyForCaller(MonitorId(index));
        return *monitorId ? S_OK : E_OUTOFMEMORY;
    }
    HRESULT STDMETHODCALLTYPE GetMonitorDevicePathCount(UINT* count) override {
        if (!count) return E_POINTER;
        *count = static_cast<UINT>(Monitors().size());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetMonitorRECT(LPCWSTR monitorId, RECT* rect) override {
        const int index = IndexOf(monitorId);
        if (!rect || index < 0) return E_INVALIDARG;
        *rect = Monitors()[static_cast<std::size_t>(index)];
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetBackgroundColor(COLORREF) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetBackgroundColor(COLORREF* color) override {
        if (color) *color = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetPosition(int position) override {
        if (position < 0 || position > 5) return E_INVALIDARG;
        Record(L"position\t" + std::to_wstring(position));
        WriteFirstWord(L"position.txt", std::to_string(position));
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetPosition(int* position) override {
        if (!position) return E_POINTER;
        const std::string kept = FirstWord(L"position.txt");
        *position = kept.empty() ? 4 : std::atoi(kept.c_str());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetSlideshow(void*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetSlideshow(void**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetSlideshowOptions(int, UINT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetSlideshowOptions(int*, UINT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE AdvanceSlideshow(LPCWSTR, int) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetStatus(int* state) override {
        if (state) *state = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Enable(BOOL) override { return S_OK; }

private:
    std::atomic<long> references_{1};
};

standin::Factory factory([](REFIID iid, void** out) -> HRESULT {
    auto* object = new (std::nothrow) Wallpaper;
    if (!object) return E_OUTOFMEMORY;
    const HRESULT hr = object->QueryInterface(iid, out);
    object->Release();
    return hr;
});

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, void*) {
    if (reason == DLL_PROCESS_ATTACH) standin::self = instance;
    return TRUE;
}

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
    if (clsid != kDesktopWallpaperClass) return CLASS_E_CLASSNOTAVAILABLE;
    return factory.QueryInterface(iid, out);
}

extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow() {
    return standin::objects == 0 && standin::locks == 0 ? S_OK : S_FALSE;
}

extern "C" HRESULT STDAPICALLTYPE DllRegisterServer() {
    return standin::SetServer(kDesktopWallpaperClass, standin::OwnPath());
}

extern "C" HRESULT STDAPICALLTYPE DllUnregisterServer() {
    return ::RegDeleteTreeW(HKEY_CLASSES_ROOT, standin::ClassKey(kDesktopWallpaperClass).c_str()) ? SELFREG_E_CLASS : S_OK;
}
