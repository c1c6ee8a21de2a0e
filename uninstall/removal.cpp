#include "uninstall/removal.h"

namespace uninstall {

using suite::JoinPath;

namespace {

std::vector<suite::Shortcut> Plan(const UninstallState& s) {
    return suite::ShortcutPlan(s, {s.Nome_Esecuzione_Automatica, s.Cartella_Desktop, s.applicationFolder,
                                   s.allUsers ? s.Cartella_Programmi : L""});
}

std::wstring GroupFolder(const UninstallState& s) { return suite::GroupFolder(s, s.Cartella_Programmi); }
std::wstring ProgramMenuFolder(const UninstallState& s) { return suite::ProgramMenuFolder(s, s.Cartella_Programmi); }

}  // namespace

std::wstring Installation(const UninstallState& s) { return JoinPath(suite::MenuFolder(s), s.Name); }

Verdict Judge(Platform& platform, const UninstallState& s, bool descriptionFound) {
    if (!descriptionFound) return Verdict::NoDescription;
    if (s.Name.empty() || s.Folder.empty()) return Verdict::IncompleteDescription;
    // The program's own Start-menu folder is what tells an installation that matches the
    // description: shortcuts of the same name elsewhere may belong to another one.
    if (!s.Cartella_Programmi.empty() && platform.IsFolder(ProgramMenuFolder(s))) return Verdict::Remove;
    return platform.WasRemoved(Installation(s)) ? Verdict::AlreadyRemoved : Verdict::NothingInstalled;
}

Removal Rimuovi_Gruppo_e_Icone(Platform& platform, const UninstallState& s) {
    Removal removal;
    const auto fail = [&](suite::Outcome outcome) {
        removal.result = Removal::Result::Failed;
        removal.failure = std::move(outcome);
        return removal;
    };

    // Exactly the shortcuts the installer makes; an unknown desktop or Startup folder
    // had none made in it.
    for (const suite::Shortcut& shortcut : Plan(s)) {
        if (shortcut.folder.empty()) continue;
        if (auto removed = platform.RemoveShortcut(shortcut.folder, shortcut.name); !removed)
            return fail(std::move(removed));
    }

    const std::wstring programFolder = ProgramMenuFolder(s);
    if (platform.IsFolder(programFolder)) {
        if (auto removed = platform.RemoveFolder(programFolder); !removed) return fail(std::move(removed));
        // The group goes only when nothing else is left in it: another program's folder or
        // the user's own files keep it. Without a group this is the Programs folder, which stays.
        if (!s.Gruppo.empty() && platform.IsEmptyFolder(GroupFolder(s))) {
            if (auto removed = platform.RemoveFolder(GroupFolder(s)); !removed) return fail(std::move(removed));
            removal.groupRemoved = true;
        }
    }
    platform.RecordRemoval(Installation(s));
    return removal;
}

}  // namespace uninstall
