#include "uninstall/win32/platform.h"

#include <windows.h>

#include "common/win32/ansi.h"
#include "common/win32/error.h"
#include "common/win32/files.h"
#include "common/win32/startup.h"

namespace uninstall::win32 {

suite::Outcome Platform::RemoveShortcut(const std::wstring& folder, const std::wstring& name) {
    // Where the installer deployed it, and nowhere else.
    if (!library_) library_ = ::win32::LoadSystemLibrary(L"VB6STKIT.DLL");
    if (!library_) return ::win32::LastError();
    using RemoveFn = LONG(WINAPI*)(LPCSTR, LPCSTR);
    const auto remove = ::win32::ProcAddress<RemoveFn>(library_.get(), "fRemoveShellLink");
    if (!remove) return ::win32::Failure(ERROR_PROC_NOT_FOUND);
    remove(::win32::ToAnsi(folder).c_str(), ::win32::ToAnsi(name).c_str());
    return suite::Outcome::Success();
}

suite::Outcome Platform::RemoveFolder(const std::wstring& path) {
    return ::win32::Check(::RemoveDirectoryW(path.c_str()));
}

bool Platform::IsFolder(const std::wstring& path) { return ::win32::IsFolder(path); }

bool Platform::IsEmptyFolder(const std::wstring& path) {
    WIN32_FIND_DATAW found;
    ::win32::UniqueFind find(::FindFirstFileW((path + L"\\*").c_str(), &found));
    if (!find) return false;
    do {
        const std::wstring name = found.cFileName;
        if (name != L"." && name != L"..") return false;
    } while (::FindNextFileW(find.get(), &found));
    return true;
}

}  // namespace uninstall::win32
