#include "install/shortcuts.h"

#include "common/text.h"

namespace install {

using suite::JoinPath;

std::vector<Shortcut> PianoIcone(const InstallerState& s) {
    return suite::ShortcutPlan(s, {s.Nome_Esecuzione_Automatica, s.Cartella_Desktop, s.Cartella_Installer,
                                   s.allUsers ? s.Cartella_Programmi : L""});
}

bool Crea_Gruppo_e_Icone(Platform& platform, const InstallerState& s) {
    // Without a Programs folder every path below would start at the root of a drive.
    if (s.Cartella_Programmi.empty()) return false;
    std::vector<std::wstring> madeFolders;
    std::vector<Shortcut> madeShortcuts;
    const auto undo = [&] {
        for (auto it = madeShortcuts.rbegin(); it != madeShortcuts.rend(); ++it) platform.RemoveShortcut(it->folder, it->name);
        for (auto it = madeFolders.rbegin(); it != madeFolders.rend(); ++it) platform.RemoveFolder(*it);
        return false;
    };
    const auto make = [&](const std::wstring& folder) {
        if (!platform.CreateFolder(folder)) return false;
        madeFolders.push_back(folder);
        return true;
    };
    // A folder of that name in any letter case is the same folder to the file system.
    const auto exists = [&](const std::wstring& name) {
        return !name.empty() && platform.IsFolder(JoinPath(s.Cartella_Programmi, name));
    };
    if (!s.Gruppo.empty()) {
        if (!exists(s.Gruppo) && !make(s.Cartella_Gruppo)) return undo();
        if (!make(s.Cartella_Menu)) return undo();
    } else if (!exists(s.Folder) && !make(s.Cartella_Menu)) {
        return undo();
    }
    for (const Shortcut& shortcut : PianoIcone(s)) {
        // An unknown Startup or desktop folder would put the shortcut into Programs itself.
        if (shortcut.folder.empty()) return undo();
        if (!platform.CreateShortcut(shortcut.folder, shortcut.name, shortcut.target)) return undo();
        madeShortcuts.push_back(shortcut);
    }
    return true;
}

}  // namespace install
