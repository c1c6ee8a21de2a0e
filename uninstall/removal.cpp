#include "uninstall/removal.h"

namespace uninstall {

using suite::JoinPath;

bool HasGroup(const UninstallState& s) { return !s.Gruppo.empty() && s.Gruppo != kNothingRead; }

std::wstring GroupFolder(const UninstallState& s) {
    return HasGroup(s) ? JoinPath(s.Cartella_Programmi, s.Gruppo) : s.Cartella_Programmi;
}

std::wstring ProgramMenuFolder(const UninstallState& s) { return JoinPath(GroupFolder(s), s.Folder); }

Removal Rimuovi_Gruppo_e_Icone(Platform& platform, const UninstallState& s) {
    Removal removal;
    const auto fail = [&](suite::Outcome outcome) {
        removal.result = Removal::Result::Failed;
        removal.failure = std::move(outcome);
        return removal;
    };

    // Shortcut folders below Programs, as the installer named them.
    const std::wstring menu = HasGroup(s) ? JoinPath(s.Gruppo, s.Folder) : s.Folder;
    std::vector<std::pair<std::wstring, std::wstring>> shortcuts{{menu, s.Name}, {menu, L"Uninstall"}};
    if (suite::IsTrue(s.EsecuzioneAutomatica)) shortcuts.emplace_back(s.Nome_Esecuzione_Automatica, s.Name);
    // Where the installer puts it: the user's real desktop.
    if (suite::IsTrue(s.SulDesktop) && !s.Cartella_Desktop.empty()) shortcuts.emplace_back(s.Cartella_Desktop, s.Name);
    for (const auto& [folder, name] : shortcuts)
        if (auto removed = platform.RemoveShortcut(folder, name); !removed) return fail(std::move(removed));

    const std::wstring programFolder = ProgramMenuFolder(s);
    if (!platform.IsFolder(programFolder)) {
        removal.result = Removal::Result::AlreadyDone;
        return removal;
    }
    if (auto removed = platform.RemoveFolder(programFolder); !removed) return fail(std::move(removed));

    // The group goes only when nothing else is left in it: another program's folder or the
    // user's own files keep it. Without a group this is the Programs folder, which stays.
    if (HasGroup(s) && platform.IsEmptyFolder(GroupFolder(s))) {
        if (auto removed = platform.RemoveFolder(GroupFolder(s)); !removed) return fail(std::move(removed));
        removal.groupRemoved = true;
    }
    return removal;
}

}  // namespace uninstall
