// The uninstaller's platform operations on the real system.
#pragma once

#include <string>

#include "common/win32/apps_entry_store.h"
#include "common/win32/shortcut_library.h"
#include "uninstall/removal.h"

namespace uninstall::win32 {

class Platform final : public uninstall::Platform {
public:
    suite::Outcome RemoveShortcut(const std::wstring& folder, const std::wstring& name) override;
    suite::Outcome RemoveFolder(const std::wstring& path) override;
    bool IsFolder(const std::wstring& path) override;
    bool IsEmptyFolder(const std::wstring& path) override;
    bool WasRemoved(const std::wstring& installation) override;
    void RecordRemoval(const std::wstring& installation) override;
    bool EndProgram(const std::wstring& path) override;
    suite::Outcome RemoveAppsEntry(const std::wstring& key, bool allUsers) override {
        return ::win32::RemoveAppsEntry(key, allUsers);
    }

private:
    ::win32::ShortcutLibrary shortcuts_;
};

}  // namespace uninstall::win32
