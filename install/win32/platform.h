// The installer's platform operations on the real system.
#pragma once

#include <string>

#include "common/win32/apps_entry_store.h"
#include "common/win32/files.h"
#include "common/win32/shortcut_library.h"
#include "install/platform.h"

namespace install::win32 {

class Platform final : public install::Platform {
public:
    // The log goes to logFile ({installerFolder}\Setup.LOG unless the command line names
    // another), or, once moved, to the user's temporary folder.
    explicit Platform(const std::wstring& logFile);

    suite::Outcome Scrivi_Log(const std::wstring& text) override;
    std::wstring LogFile() override { return logFile_; }
    bool MoveLog() override;
    std::optional<FileVersion> ReadFileVersion(const std::wstring& path) override;
    suite::Outcome CopyOver(const std::wstring& from, const std::wstring& to) override;
    suite::Outcome ListEntries(const std::wstring& parent, const std::wstring& name,
                               std::vector<Entry>& entries) override;
    suite::Outcome CreateFolder(const std::wstring& path) override;
    bool IsFolder(const std::wstring& path) override;
    bool IsEmptyFolder(const std::wstring& path) override { return ::win32::IsEmptyFolder(path); }
    suite::Outcome SetCurrentFolder(const std::wstring& path) override;
    suite::Outcome CallEntry(const std::wstring& libraryPath, const char* entry,
                             const char* standardEntry) override;
    suite::Outcome CreateShortcut(const std::wstring& folder, const std::wstring& name,
                                  const std::wstring& target) override;
    suite::Outcome RemoveShortcut(const std::wstring& folder, const std::wstring& name) override;
    suite::Outcome RemoveFolder(const std::wstring& path) override;
    std::uint64_t FolderBytes(const std::wstring& path) override;
    suite::Outcome WriteAppsEntry(const suite::AppsEntry& entry) override { return ::win32::WriteAppsEntry(entry); }
    suite::Outcome RemoveAppsEntry(const std::wstring& key, bool allUsers) override {
        return ::win32::RemoveAppsEntry(key, allUsers);
    }

private:
    std::wstring logFile_;
    ::win32::ShortcutLibrary shortcuts_;
};

}  // namespace install::win32
