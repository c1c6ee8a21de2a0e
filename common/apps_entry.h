// The installation's entry in Settings > Apps (and Programs and Features), which Install
// writes and Uninstall removes: under the user's own Uninstall key, as the shortcuts are
// the user's, one entry per program name.
#pragma once

#include <cstdint>
#include <string>

#include "common/layout.h"

namespace suite {

inline constexpr wchar_t kUninstallKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
inline constexpr wchar_t kPublisher[] = L"Quintaris Srl";

struct AppsEntry {
    std::wstring key;  // below kUninstallKey
    bool allUsers = false;  // under the machine's key, not the user's
    std::wstring displayName, displayVersion, publisher, displayIcon, installLocation, uninstallString,
        quietUninstallString;
    std::uint32_t estimatedSizeKiB = 0;
};

// The entry's key as the log names it, below HKCU or HKLM.
std::wstring AppsEntryPath(const AppsEntry& entry);

// The key of the entry for a program name: the same name gives the same key, so that a
// second installation updates its entry rather than adding another.
std::wstring AppsEntryKey(const std::wstring& name);

// The entry of an installation whose files lie in applicationFolder (the installer's,
// where uninstall.exe is) and take `bytes` there.
// An all-users installation's entry lies under the machine's key, and its uninstaller
// is told to remove the all-users shortcuts.
AppsEntry PlanAppsEntry(const Layout& layout, const std::wstring& applicationFolder, const std::wstring& version,
                        std::uint64_t bytes, bool allUsers = false);

}  // namespace suite
