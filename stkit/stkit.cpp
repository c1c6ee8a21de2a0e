// VB6STKIT.DLL: makes and removes shortcuts (.lnk files) for the setup programs.
// Exported undecorated through stkit.def.
// Entries (common/win32/stkit.h) return 1 on success, 0 on failure; nothing is thrown across the
// boundary. The ANSI entries' text is taken as the system's code page gives it.
#include <windows.h>

#include <objidl.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <string>

#include "common/win32/ansi.h"
#include "common/win32/special_folder.h"
#include "common/win32/stkit.h"
#include "common/win32/unique.h"
#include "stkit/link_path.h"

namespace {

std::wstring Wide(LPCSTR text) { return text ? win32::FromAnsi(text) : std::wstring(); }

// ".." and repeated backslashes resolved, as the shell expects of a path it creates.
std::wstring FullPath(const std::wstring& path) {
    wchar_t buffer[MAX_PATH * 2];
    const DWORD n = ::GetFullPathNameW(path.c_str(), MAX_PATH * 2, buffer, nullptr);
    return n > 0 && n < MAX_PATH * 2 ? std::wstring(buffer, n) : path;
}

// COM for the length of one call, unless the caller's thread already has it.
class ComScope {
public:
    ComScope() : hr_(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~ComScope() {
        if (SUCCEEDED(hr_)) ::CoUninitialize();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;
    bool Usable() const { return SUCCEEDED(hr_) || hr_ == RPC_E_CHANGED_MODE; }

private:
    HRESULT hr_;
};

bool SaveLink(const std::wstring& file, const std::wstring& target, const std::wstring& arguments) {
    ComScope com;
    if (!com.Usable()) return false;
    ::win32::ComPtr<IShellLinkW> link;
    if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                  link.put_void())))
        return false;
    const std::wstring folder = stkit::TargetFolder(target);
    if (FAILED(link->SetPath(target.c_str())) || FAILED(link->SetArguments(arguments.c_str())) ||
        FAILED(link->SetWorkingDirectory(folder.c_str())))
        return false;
    ::win32::ComPtr<IPersistFile> persist;
    if (FAILED(link->QueryInterface(IID_IPersistFile, persist.put_void()))) return false;
    return SUCCEEDED(persist->Save(file.c_str(), TRUE));
}

std::wstring ProgramsFolder(const std::wstring& token, bool privateMenu) {
    const auto id = stkit::ParentFolderId(token, privateMenu);
    return id ? win32::GetSpecialFolder(*id) : std::wstring();
}


long CreateLink(const std::wstring& folderName, const std::wstring& name, const std::wstring& target,
                const std::wstring& arguments, long privateMenu, const std::wstring& parent) {
    const std::wstring programs = ProgramsFolder(parent, privateMenu != 0);
    if (programs.empty() || name.empty() || target.empty()) return 0;
    const std::wstring folder = FullPath(stkit::LinkFolder(programs, folderName));
    const int created = ::SHCreateDirectoryExW(nullptr, folder.c_str(), nullptr);
    if (created != ERROR_SUCCESS && created != ERROR_ALREADY_EXISTS && created != ERROR_FILE_EXISTS) return 0;
    return SaveLink(stkit::LinkFile(folder, name), target, arguments) ? 1 : 0;
}

long RemoveLink(const std::wstring& folderName, const std::wstring& name) {
    const std::wstring programs = ProgramsFolder(L"$(Programs)", true);
    if (programs.empty() || name.empty()) return 0;
    const std::wstring file = stkit::LinkFile(FullPath(stkit::LinkFolder(programs, folderName)), name);
    if (::DeleteFileW(file.c_str())) return 1;
    const DWORD error = ::GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? 1 : 0;  // already gone
}

std::wstring Text(LPCWSTR text) { return text ? text : L""; }

}  // namespace

extern "C" {

long WINAPI fCreateShellLink(LPCSTR folderName, LPCSTR linkName, LPCSTR linkPath, LPCSTR linkArguments,
                             long privateMenu, LPCSTR parent) noexcept {
    try {
        return CreateLink(Wide(folderName), Wide(linkName), Wide(linkPath), Wide(linkArguments), privateMenu,
                          Wide(parent));
    } catch (...) {
        return 0;
    }
}

long WINAPI fCreateShellLinkW(LPCWSTR folderName, LPCWSTR linkName, LPCWSTR linkPath, LPCWSTR linkArguments,
                              long privateMenu, LPCWSTR parent) noexcept {
    try {
        return CreateLink(Text(folderName), Text(linkName), Text(linkPath), Text(linkArguments), privateMenu,
                          Text(parent));
    } catch (...) {
        return 0;
    }
}

long WINAPI fRemoveShellLink(LPCSTR folderName, LPCSTR linkName) noexcept {
    try {
        return RemoveLink(Wide(folderName), Wide(linkName));
    } catch (...) {
        return 0;
    }
}

long WINAPI fRemoveShellLinkW(LPCWSTR folderName, LPCWSTR linkName) noexcept {
    try {
        return RemoveLink(Text(folderName), Text(linkName));
    } catch (...) {
        return 0;
    }
}

// The installer registers every component it deploys; this one needs nothing.
long WINAPI RegisterVB6STKIT() noexcept { return 0; }
long WINAPI UnRegisterVB6STKIT() noexcept { return 0; }

}  // extern "C"
