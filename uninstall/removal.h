// Removing what the installer laid out in the Start menu and on the desktop.
#pragma once

#include <string>
#include <vector>

#include "common/outcome.h"
#include "uninstall/description.h"

namespace uninstall {

// The platform operations the removal uses; uninstall/win32/ implements them, the unit
// tests fake them.
class Platform {
public:
    virtual ~Platform() = default;
    // Through the shortcut library: removes {Programs}\{folder}\{name}, or {folder}\{name}
    // when folder is a full path; a missing shortcut is no failure. Fails only when the
    // library or its entry cannot be had.
    virtual suite::Outcome RemoveShortcut(const std::wstring& folder, const std::wstring& name) = 0;
    // Removes an empty folder; fails when it is missing or holds anything.
    virtual suite::Outcome RemoveFolder(const std::wstring& path) = 0;
    virtual bool IsFolder(const std::wstring& path) = 0;
    // Whether the folder holds any entry at all, hidden ones included.
    virtual bool IsEmptyFolder(const std::wstring& path) = 0;
};

struct Removal {
    enum class Result { Done, AlreadyDone, Failed };
    Result result = Result::Done;
    bool groupRemoved = false;
    suite::Outcome failure;  // why, when Failed
};

// Whether the installation had a program group: Install.ini named one.
bool HasGroup(const UninstallState& state);

// The program's own Start-menu folder, and the group folder holding it.
std::wstring ProgramMenuFolder(const UninstallState& state);
std::wstring GroupFolder(const UninstallState& state);

// Removes the shortcuts, the program's Start-menu folder and, when it is left empty, the
// group folder. Stops at the first failure; what was removed stays removed.
Removal Rimuovi_Gruppo_e_Icone(Platform& platform, const UninstallState& state);

}  // namespace uninstall
