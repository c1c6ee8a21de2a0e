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

AppsEntry PlanAppsEntry(const Layout& layout, const std::wstring& applicationFolder, const std::wstring& version,
                        std::uint64_t bytes) {
    AppsEntry entry;
    entry.key = AppsEntryKey(layout.Name);
    entry.displayName = layout.Name;
    entry.displayVersion = version;
    entry.publisher = kPublisher;
    entry.displayIcon = JoinPath(applicationFolder, layout.Executable);
    entry.installLocation = applicationFolder;
    entry.uninstallString = L"\"" + JoinPath(applicationFolder, L"uninstall.exe") + L"\"";
    entry.estimatedSizeKiB = static_cast<std::uint32_t>(std::min<std::uint64_t>((bytes + 1023) / 1024, 0xFFFFFFFFu));
    return entry;
}

}  // namespace suite
