// The uninstaller's platform operations on the real system.
#pragma once

#include <string>

#include "common/win32/apps_entry_store.h"
#include "common/win32/files.h"
#include "common/win32/shortcut_library.h"
#include "uninstall/removal.h"

namespace uninstall::win32 {

class Platform final : public uninstall::Platform {
public:
    // userRoot: the registry of the user whose installation is removed, their own
    // HKEY_CURRENT_USER or their hive under HKEY_USERS; the record of removals is kept there.
    explicit Platform(HKEY userRoot = HKEY_CURRENT_USER) : userRoot_(userRoot) {}

    suite::Outcome RemoveShortcut(const std::wstring& folder, const std::wstring& name) override;
    suite::Outcome RemoveFolder(const std::wstring& path) override;
    bool IsFolder(const std::wstring& path) override;
    bool IsEmptyFolder(const std::wstring& path) override { return ::win32::IsEmptyFolder(path); }
    bool WasRemoved(const std::wstring& installation) override;
    void RecordRemoval(const std::wstring& installation) override;
    bool EndProgram(const std::wstring& path) override;
    suite::Outcome RemoveAppsEntry(const std::wstring& key, bool allUsers) override {
        return allUsers ? ::win32::RemoveAppsEntry(key, true) : ::win32::RemoveAppsEntry(userRoot_, key);
    }

private:
    HKEY userRoot_;
    ::win32::ShortcutLibrary shortcuts_;
};

}  // namespace uninstall::win32
