#include "install/shortcuts.h"

#include "common/text.h"

namespace install {

using suite::JoinPath;

std::vector<Shortcut> PianoIcone(const InstallerState& s) {
    return suite::ShortcutPlan(s, {s.Nome_Esecuzione_Automatica, s.Cartella_Desktop, s.Cartella_ProgramFiles});
}

bool Crea_Gruppo_e_Icone(Platform& platform, const InstallerState& s) {
    // Without a Programs folder every path below would start at the root of a drive.
    if (s.Cartella_Programmi.empty()) return false;
    // A folder of that name in any letter case is the same folder to the file system.
    const auto exists = [&](const std::wstring& name) {
        return !name.empty() && platform.IsFolder(JoinPath(s.Cartella_Programmi, name));
    };
    if (!s.Gruppo.empty()) {
        if (!exists(s.Gruppo) && !platform.CreateFolder(s.Cartella_Gruppo)) return false;
        if (!platform.CreateFolder(s.Cartella_Menu)) return false;
    } else if (!exists(s.Folder) && !platform.CreateFolder(s.Cartella_Menu)) {
        return false;
    }
    for (const Shortcut& shortcut : PianoIcone(s)) {
        // An unknown Startup or desktop folder would put the shortcut into Programs itself.
        if (shortcut.folder.empty()) return false;
        if (!platform.CreateShortcut(shortcut.folder, shortcut.name, shortcut.target)) return false;
    }
    return true;
}

}  // namespace install
