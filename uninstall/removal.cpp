#include "uninstall/removal.h"

namespace uninstall {

using suite::JoinPath;

namespace {

// Another profile's folders, like all users', are named in full: the shortcut library's
// own root is the running account's Programs folder.
suite::Places PlacesOf(const UninstallState& s) {
    return {s.Nome_Esecuzione_Automatica, s.Cartella_Desktop, s.applicationFolder,
            s.allUsers || !s.owner.empty() ? s.Cartella_Programmi : L""};
}

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
    const suite::LayoutRemoval removed = suite::RemoveLayout(platform, s, PlacesOf(s), s.Cartella_Programmi);
    if (!removed.failure) return {Removal::Result::Failed, removed.groupRemoved, removed.failure};
    platform.RecordRemoval(Installation(s));
    return {Removal::Result::Done, removed.groupRemoved, {}};
}

}  // namespace uninstall
