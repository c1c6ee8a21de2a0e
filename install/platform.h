// The platform operations the installer's logic uses; install/win32/ implements them,
// the unit tests fake them.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "common/apps_entry.h"
#include "common/layout.h"
#include "common/outcome.h"
#include "install/versions.h"

namespace install {

class Platform : public suite::MenuFiles {
public:
    struct Entry {
        std::wstring name;  // as the file system lists it
        bool folder = false;
    };

    virtual ~Platform() = default;

    // Appends one time-stamped line to Setup.LOG.
    virtual suite::Outcome Scrivi_Log(const std::wstring& text) = 0;
    // Where Setup.LOG is written now.
    virtual std::wstring LogFile() = 0;
    // Moves the log, once, to the fallback place (the user's temporary folder); false when
    // there is none.
    virtual bool MoveLog() = 0;
    // The file's version fields; nothing when the file is missing or carries no version data.
    virtual std::optional<FileVersion> ReadFileVersion(const std::wstring& path) = 0;
    // Copies over an existing destination without ever leaving it half-written.
    virtual suite::Outcome CopyOver(const std::wstring& from, const std::wstring& to) = 0;
    // The entries of parent whose name matches name, folders included; none when it fails.
    virtual suite::Outcome ListEntries(const std::wstring& parent, const std::wstring& name,
                                       std::vector<Entry>& entries) = 0;
    // Fails when the folder already exists.
    virtual suite::Outcome CreateFolder(const std::wstring& path) = 0;
    virtual suite::Outcome SetCurrentFolder(const std::wstring& path) = 0;
    // Loads the library by its full path and calls entry, or standardEntry when it has no
    // entry of that name; both take no arguments.
    virtual suite::Outcome CallEntry(const std::wstring& libraryPath, const char* entry,
                                     const char* standardEntry) = 0;
    // Through the shortcut library: {Programs}\{folder}\{name}, or {folder}\{name} when
    // folder is a full path. Fails only when the library or its entry cannot be had.
    virtual suite::Outcome CreateShortcut(const std::wstring& folder, const std::wstring& name,
                                          const std::wstring& target) = 0;
    // The bytes of the files in the folder and all below it.
    virtual std::uint64_t FolderBytes(const std::wstring& path) = 0;
    // Writes the installation's entry in Settings > Apps, replacing one of the same key.
    virtual suite::Outcome WriteAppsEntry(const suite::AppsEntry& entry) = 0;
    // Removes an entry of the given scope; a missing one is no failure.
    virtual suite::Outcome RemoveAppsEntry(const std::wstring& key, bool allUsers) = 0;
};

}  // namespace install
