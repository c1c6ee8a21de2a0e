#include "common/layout.h"

#include "common/text.h"

namespace suite {

Layout ReadLayout(const ProfileReader& ini) {
    const std::wstring app = L"APPLICATION";
    Layout layout;
    layout.Gruppo = ini.File_INI_Leggi(app, L"Gruppo");
    layout.Name = ini.File_INI_Leggi(app, L"Name");
    layout.Executable = ini.File_INI_Leggi(app, L"Executable");
    layout.Folder = ini.File_INI_Leggi(app, L"Folder");
    layout.EsecuzioneAutomatica = ini.File_INI_Leggi(app, L"EsecuzioneAutomatica");
    layout.SulDesktop = ini.File_INI_Leggi(app, L"SulDesktop");
    layout.PrimaEsecuzione = ini.File_INI_Leggi(app, L"PrimaEsecuzione");
    return layout;
}

std::wstring MenuFolder(const Layout& l) { return l.Gruppo.empty() ? l.Folder : JoinPath(l.Gruppo, l.Folder); }

std::wstring GroupFolder(const Layout& l, const std::wstring& programs) {
    return l.Gruppo.empty() ? programs : JoinPath(programs, l.Gruppo);
}

std::wstring ProgramMenuFolder(const Layout& l, const std::wstring& programs) { return JoinPath(programs, MenuFolder(l)); }

std::vector<Shortcut> ShortcutPlan(const Layout& l, const Places& places) {
    // Wherever the folder was unpacked: the installer runs from it, beside the program.
    const std::wstring& application = places.application;
    const std::wstring program = JoinPath(application, l.Executable);
    const std::wstring menu =
        places.allUsersPrograms.empty() ? MenuFolder(l) : JoinPath(places.allUsersPrograms, MenuFolder(l));
    std::vector<Shortcut> plan{{menu, l.Name, program}, {menu, L"Uninstall", JoinPath(application, L"uninstall.exe")}};
    if (IsTrue(l.EsecuzioneAutomatica)) plan.push_back({places.startupName, l.Name, program});
    // "..\..\Desktop" below Programs is the desktop only in old profiles.
    if (IsTrue(l.SulDesktop)) plan.push_back({places.desktop, l.Name, program});
    return plan;
}

LayoutRemoval RemoveLayout(MenuFiles& files, const Layout& l, const Places& places, const std::wstring& programs) {
    LayoutRemoval removal;
    // Exactly the shortcuts the installer makes; an unknown desktop or Startup folder
    // had none made in it.
    for (const Shortcut& shortcut : ShortcutPlan(l, places)) {
        if (shortcut.folder.empty()) continue;
        if (removal.failure = files.RemoveShortcut(shortcut.folder, shortcut.name); !removal.failure) return removal;
    }
    const std::wstring programFolder = ProgramMenuFolder(l, programs);
    if (!files.IsFolder(programFolder)) return removal;
    if (removal.failure = files.RemoveFolder(programFolder); !removal.failure) return removal;
    // The group goes only when nothing else is left in it: another program's folder or
    // the user's own files keep it. Without a group this is the Programs folder, which stays.
    if (l.Gruppo.empty() || !files.IsEmptyFolder(GroupFolder(l, programs))) return removal;
    removal.failure = files.RemoveFolder(GroupFolder(l, programs));
    removal.groupRemoved = static_cast<bool>(removal.failure);
    return removal;
}

}  // namespace suite
