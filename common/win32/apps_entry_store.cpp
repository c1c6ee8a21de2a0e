#include "common/win32/apps_entry_store.h"

#include <windows.h>

#include "common/win32/error.h"

namespace win32 {

namespace {

std::wstring KeyPath(const std::wstring& key) { return std::wstring(suite::kUninstallKey) + L"\\" + key; }

// An all-users installation is the machine's; another is the user's own.
HKEY Root(bool allUsers) { return allUsers ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER; }

}  // namespace

suite::Outcome WriteAppsEntry(const suite::AppsEntry& entry) {
    HKEY key = nullptr;
    LSTATUS status = ::RegCreateKeyExW(Root(entry.allUsers), KeyPath(entry.key).c_str(), 0, nullptr, 0,
                                       KEY_SET_VALUE, nullptr, &key, nullptr);
    if (status != ERROR_SUCCESS) return Failure(static_cast<DWORD>(status));
    const auto text = [&](const wchar_t* name, const std::wstring& value) {
        if (status == ERROR_SUCCESS)
            status = ::RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                      static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    };
    const auto number = [&](const wchar_t* name, DWORD value) {
        if (status == ERROR_SUCCESS)
            status = ::RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
    };
    text(L"DisplayName", entry.displayName);
    text(L"DisplayVersion", entry.displayVersion);
    text(L"Publisher", entry.publisher);
    text(L"DisplayIcon", entry.displayIcon);
    text(L"InstallLocation", entry.installLocation);
    text(L"UninstallString", entry.uninstallString);
    text(L"QuietUninstallString", entry.quietUninstallString);
    number(L"NoModify", 1);
    number(L"NoRepair", 1);
    number(L"EstimatedSize", entry.estimatedSizeKiB);
    ::RegCloseKey(key);
    return status == ERROR_SUCCESS ? suite::Outcome::Success() : Failure(static_cast<DWORD>(status));
}

suite::Outcome RemoveAppsEntry(const std::wstring& key, bool allUsers) { return RemoveAppsEntry(Root(allUsers), key); }

suite::Outcome RemoveAppsEntry(HKEY root, const std::wstring& key) {
    const LSTATUS status = ::RegDeleteKeyW(root, KeyPath(key).c_str());
    if (status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND) return suite::Outcome::Success();
    return Failure(static_cast<DWORD>(status));
}

}  // namespace win32
