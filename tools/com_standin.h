// What every in-process COM server of the tests' stand-ins has alike: the DLL's own
// handle and folder, its object and lock counts, its class factory, the one line of news
// it appends to a file beside itself, and the InprocServer32 key that registers it.
#pragma once

#include <windows.h>

#include <objbase.h>
#include <olectl.h>

#include <atomic>
#include <string>

namespace standin {

inline HMODULE self = nullptr;
inline std::atomic<long> objects{0}, locks{0};

inline std::wstring OwnPath() {
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(self, path, MAX_PATH);
    return path;
}

inline std::wstring OwnFolder() {
    const std::wstring path = OwnPath();
    return path.substr(0, path.rfind(L'\\'));
}

// Appends one line, as UTF-8 bytes given, to `name` beside this DLL.
inline void AppendLine(const wchar_t* name, const std::string& line) {
    const std::wstring log = OwnFolder() + L"\\" + name;
    HANDLE file = ::CreateFileW(log.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    const std::string text = line + "\r\n";
    DWORD written = 0;
    ::WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    ::CloseHandle(file);
}

// A static class factory whose objects `make` creates (an HRESULT, and *out set).
template <typename Make>
class Factory final : public IClassFactory {
public:
    explicit Factory(Make make) : make_(make) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_IClassFactory) {
            *out = static_cast<IClassFactory*>(this);
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }  // static: lives as long as the DLL
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        return make_(iid, out);
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
        lock ? ++locks : --locks;
        return S_OK;
    }

private:
    Make make_;
};

inline std::wstring ClassKey(const CLSID& clsid) {
    wchar_t text[64] = {};
    ::StringFromGUID2(clsid, text, 64);
    return std::wstring(L"CLSID\\") + text;
}

// The class's InprocServer32 key: the DLL that serves it, for any thread.
inline HRESULT SetServer(const CLSID& clsid, const std::wstring& path) {
    HKEY key = nullptr;
    const std::wstring name = ClassKey(clsid) + L"\\InprocServer32";
    if (::RegCreateKeyExW(HKEY_CLASSES_ROOT, name.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr))
        return SELFREG_E_CLASS;
    const wchar_t model[] = L"Both";
    LONG result = ::RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(path.c_str()),
                                   static_cast<DWORD>((path.size() + 1) * sizeof(wchar_t)));
    if (!result)
        result = ::RegSetValueExW(key, L"ThreadingModel", 0, REG_SZ, reinterpret_cast<const BYTE*>(model), sizeof model);
    ::RegCloseKey(key);
    return result ? SELFREG_E_CLASS : S_OK;
}

}  // namespace standin
