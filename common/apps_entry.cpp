#include "common/apps_entry.h"

#include <algorithm>

#include "common/text.h"

namespace suite {

std::wstring AppsEntryKey(const std::wstring& name) {
    // A backslash would open a subkey of its own.
    std::wstring key = L"Quintaris " + name;
    std::replace(key.begin(), key.end(), L'\\', L'-');
    return key;
}

std::wstring AppsEntryPath(const AppsEntry& entry) {
    return std::wstring(entry.allUsers ? L"HKLM\\" : L"HKCU\\") + kUninstallKey + L"\\" + entry.key;
}

AppsEntry PlanAppsEntry(const Layout& layout, const std::wstring& applicationFolder, const std::wstring& version,
                        std::uint64_t bytes, bool allUsers) {
    AppsEntry entry;
    entry.key = AppsEntryKey(layout.Name);
    entry.allUsers = allUsers;
    entry.displayName = layout.Name;
    entry.displayVersion = version;
    entry.publisher = kPublisher;
    entry.displayIcon = JoinPath(applicationFolder, layout.Executable);
    entry.installLocation = applicationFolder;
    const std::wstring uninstaller = L"\"" + JoinPath(applicationFolder, L"uninstall.exe") + L"\"";
    entry.uninstallString = allUsers ? uninstaller + L" /ALLUSERS" : uninstaller;
    entry.quietUninstallString = entry.uninstallString + L" /S";
    entry.estimatedSizeKiB = static_cast<std::uint32_t>(std::min<std::uint64_t>((bytes + 1023) / 1024, 0xFFFFFFFFu));
    return entry;
}

}  // namespace suite
