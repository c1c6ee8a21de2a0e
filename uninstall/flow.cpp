#include "uninstall/flow.h"

#include "common/apps_entry.h"
#include "common/text.h"
#include "uninstall/texts.h"

namespace uninstall {

Opening Form_load(Platform& platform, const suite::ProfileReader& ini, const StartEnvironment& environment,
                  UninstallState& state) {
    static_cast<suite::Layout&>(state) = suite::ReadLayout(ini);
    state.Cartella_Programmi = environment.programs;
    // As the installer named it: all users' Startup folder in full, and another profile's
    // too, which the shortcut library would otherwise look for in the running account's.
    state.Nome_Esecuzione_Automatica = environment.allUsers || !environment.owner.empty()
                                           ? environment.startup
                                           : suite::LastComponent(environment.startup);
    state.Cartella_Desktop = environment.desktop;
    state.applicationFolder = environment.applicationFolder;
    state.settingsFolder = environment.settingsFolder;
    state.allUsers = environment.allUsers;
    state.owner = environment.owner;
    state.unreadUser = environment.unreadUser;
    const Verdict verdict = Judge(platform, state, environment.descriptionFound);
    switch (verdict) {
    case Verdict::NoDescription: return {{texts::kCannotTell, texts::NoDescription(ini.File()), L""}, verdict};
    case Verdict::IncompleteDescription:
        return {{texts::kCannotTell, texts::IncompleteDescription(ini.File()), L""}, verdict};
    case Verdict::NothingInstalled:
        return {{texts::kCannotTell, texts::NothingInstalled(ini.File()) + texts::ElsewhereNote(state.unreadUser), L""},
                verdict};
    case Verdict::Remove:
    case Verdict::AlreadyRemoved: break;
    }
    return {{texts::Title(state.Name), texts::OwnedBy(state.owner), L""}, verdict};
}

std::optional<WindowTexts> cmd_OK_Click(Platform& platform, const UninstallState& state, Opening& opening) {
    if (!opening.CanProceed()) return std::nullopt;
    opening.decided = true;
    if (opening.verdict == Verdict::AlreadyRemoved) return WindowTexts{texts::AlreadyDone(state.Name), L"", L""};
    // Without a Programs folder every path would start at the root of a drive.
    if (state.Cartella_Programmi.empty()) return WindowTexts{texts::Incomplete(state.Name), L"", L""};
    // A running program would go on changing the wallpaper from a folder whose shortcuts
    // are gone: it is asked to end first, and named when it does not.
    const std::wstring program = suite::JoinPath(state.applicationFolder, state.Executable);
    const bool ended = state.Executable.empty() || state.applicationFolder.empty() || platform.EndProgram(program);
    const Removal removal = Rimuovi_Gruppo_e_Icone(platform, state);
    if (removal.result == Removal::Result::Failed)
        return WindowTexts{texts::Incomplete(state.Name), removal.failure.description, L""};
    // Listed under Settings > Apps until the removal is complete, so that it can be tried again from there.
    platform.RemoveAppsEntry(suite::AppsEntryKey(state.Name), state.allUsers);
    std::wstring stays = texts::Stays(state.applicationFolder, state.settingsFolder);
    if (!ended) stays += L"\n" + texts::StillRunning(state.Executable);
    return WindowTexts{texts::Done(state.Name),
                       removal.groupRemoved ? std::wstring(texts::kGroupNotice) + L" " + state.Gruppo : L"",
                       stays};
}

Whose WhoseInstallation(suite::Scope requested, bool ownMenuThere, bool sessionUsersMenuThere,
                        bool allUsersMenuThere) {
    switch (requested) {
    case suite::Scope::AllUsers: return Whose::AllUsers;
    case suite::Scope::CurrentUser: return Whose::Own;
    case suite::Scope::Automatic: break;
    }
    if (ownMenuThere) return Whose::Own;
    if (sessionUsersMenuThere) return Whose::SessionUser;
    return allUsersMenuThere ? Whose::AllUsers : Whose::Own;
}

SilentEnd RemoveSilently(Platform& platform, const UninstallState& state, Opening& opening) {
    switch (opening.verdict) {
    case Verdict::NoDescription:
    case Verdict::IncompleteDescription: return {suite::kExitFailed, opening.texts.label1};
    case Verdict::NothingInstalled:
    case Verdict::AlreadyRemoved:
        return {suite::kExitNothingInstalled, texts::NothingToRemove(state.Name) + texts::ElsewhereNote(state.unreadUser)};
    case Verdict::Remove: break;
    }
    const std::optional<WindowTexts> shown = cmd_OK_Click(platform, state, opening);
    if (!shown) return {suite::kExitFailed, texts::Incomplete(state.Name)};
    if (shown->label2 != texts::Done(state.Name))
        return {suite::kExitFailed, shown->label1.empty() ? shown->label2 : shown->label2 + L" " + shown->label1};
    return {suite::kExitSuccess, state.owner.empty() ? shown->label2 : shown->label2 + L" " + texts::OwnedBy(state.owner)};
}

std::optional<WindowTexts> cmd_Annulla_Click(const UninstallState& state, Opening& opening) {
    if (!opening.CanProceed()) return std::nullopt;
    opening.decided = true;
    return WindowTexts{texts::Cancelled(state.Name), L"", L""};
}

}  // namespace uninstall
