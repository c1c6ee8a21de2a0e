// The installation as Install.ini describes it, for both setup programs: the values of
// section APPLICATION, read once the same way, and the shortcuts made from them, which
// Install makes and Uninstall removes.
#pragma once

#include <string>
#include <vector>

#include "common/outcome.h"
#include "common/profile.h"

namespace suite {

struct Layout {
    std::wstring Gruppo;
    std::wstring Name;
    std::wstring Executable;
    std::wstring Folder;
    std::wstring EsecuzioneAutomatica;
    std::wstring SulDesktop;
    std::wstring PrimaEsecuzione;
};

// The APPLICATION keys, in the order the installer has always read them.
Layout ReadLayout(const ProfileReader& ini);

// Where the layout lies on this computer.
struct Places {
    std::wstring startupName;   // the Startup folder's last path component
    std::wstring desktop;       // the user's desktop folder
    std::wstring application;   // the application folder, where the installer and the program lie
    // For all users: their Programs folder, in which the menu's folder is named in full
    // (the shortcut library's own root is the user's); empty for the user's own shortcuts.
    std::wstring allUsersPrograms;
};

// A scope's Start-menu Programs, Startup and desktop folders: a user's own, or all users'.
struct ScopeFolders {
    std::wstring programs, startup, desktop;
};

struct Shortcut {
    std::wstring folder;  // below the Programs folder, or a full path
    std::wstring name;
    std::wstring target;
};

// The program's own folder below Programs: Gruppo\Folder, or Folder without a group.
std::wstring MenuFolder(const Layout& layout);
// The same as full paths below the Programs folder: the group's folder (Programs itself
// without a group) and the program's own.
std::wstring GroupFolder(const Layout& layout, const std::wstring& programs);
std::wstring ProgramMenuFolder(const Layout& layout, const std::wstring& programs);

// The shortcuts, in order: the program and "Uninstall" in the program's own folder, then,
// as the description asks, the Startup folder and the user's real desktop (an unknown
// Startup or desktop folder gives an empty folder, which nobody may use).
std::vector<Shortcut> ShortcutPlan(const Layout& layout, const Places& places);

// The shortcut and folder operations both setup programs' platforms provide.
class MenuFiles {
public:
    virtual ~MenuFiles() = default;
    // Through the shortcut library: removes {Programs}\{folder}\{name}, or {folder}\{name}
    // when folder is a full path; a missing shortcut is no failure.
    virtual Outcome RemoveShortcut(const std::wstring& folder, const std::wstring& name) = 0;
    // Removes an empty folder; fails when it is missing or holds anything.
    virtual Outcome RemoveFolder(const std::wstring& path) = 0;
    // Whether path names a folder, as the file system sees it (letter case ignored on Windows).
    virtual bool IsFolder(const std::wstring& path) = 0;
    // Whether the folder holds no entry at all, hidden ones included.
    virtual bool IsEmptyFolder(const std::wstring& path) = 0;
};

struct LayoutRemoval {
    Outcome failure;  // the first failure, which stopped the removal; what went stays gone
    bool groupRemoved = false;
};

// Removes the plan's shortcuts, the program's own menu folder below programs and, when
// nothing else is left in it, the group's.
LayoutRemoval RemoveLayout(MenuFiles& files, const Layout& layout, const Places& places, const std::wstring& programs);

}  // namespace suite
