#include "uninstall/win32/platform.h"

#include <windows.h>

#include <cwchar>

#include "common/win32/ansi.h"
#include "common/win32/error.h"
#include "common/win32/files.h"
#include "common/win32/startup.h"

namespace uninstall::win32 {

// Where the installer deployed it, and nowhere else.
suite::Outcome Platform::RemoveShortcut(const std::wstring& folder, const std::wstring& name) {
    return shortcuts_.Remove(folder, name);
}

namespace {

// This user's record of removals: one value an installation, named after it.
constexpr wchar_t kRecordKey[] = L"Software\\Quintaris\\Uninstall";

}  // namespace

bool Platform::WasRemoved(const std::wstring& installation) {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, kRecordKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return false;
    const bool found = ::RegQueryValueExW(key, installation.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
    ::RegCloseKey(key);
    return found;
}

void Platform::RecordRemoval(const std::wstring& installation) {
    HKEY key = nullptr;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, kRecordKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return;
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    wchar_t when[32] = {};
    ::GetDateFormatEx(LOCALE_NAME_INVARIANT, 0, &now, L"yyyy'-'MM'-'dd", when, 32, nullptr);
    ::RegSetValueExW(key, installation.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(when),
                     static_cast<DWORD>((std::wcslen(when) + 1) * sizeof(wchar_t)));
    ::RegCloseKey(key);
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
