#include "install/flow.h"

#include "common/text.h"
#include "install/deployment.h"
#include "install/shortcuts.h"
#include "install/texts.h"

namespace install {

using suite::JoinPath;

void Calcola_Cartelle(const StartEnvironment& env, InstallerState& s) {
    s.Cartella_Installer = env.installerFolder;
    s.Cartella_Programmi = env.programs;
    s.Cartella_Esecuzione_Automatica = env.startup;
    s.Cartella_Desktop = env.desktop;
    s.Cartella_Sistema = env.systemRoot + L"\\system32";
    s.Cartella_ProgramFiles = env.programFiles;
    s.Cartella_LIB = JoinPath(env.installerFolder, L"LIB");
    s.allUsers = env.scope.allUsers;
    // The shortcut library names folders below the user's own Programs folder: all users'
    // Startup folder is named in full.
    s.Nome_Esecuzione_Automatica =
        s.allUsers ? s.Cartella_Esecuzione_Automatica : suite::LastComponent(s.Cartella_Esecuzione_Automatica);
    s.Cartella_Gruppo = suite::GroupFolder(s, s.Cartella_Programmi);
    s.Cartella_Menu = suite::ProgramMenuFolder(s, s.Cartella_Programmi);
}

ScopeChoice ChooseScope(suite::Scope requested, suite::Account account, const std::wstring& runningAs) {
    switch (requested) {
    case suite::Scope::AllUsers: return {true, texts::kLogAllUsersAsked};
    case suite::Scope::CurrentUser:
        return {false, account == suite::Account::DesktopUser ? std::wstring(texts::kLogCurrentUser)
                                                       : texts::CurrentUserNotSignedIn(runningAs)};
    case suite::Scope::Automatic: break;
    }
    switch (account) {
    case suite::Account::System: return {true, texts::kLogAllUsersSystem};
    case suite::Account::OtherUser: return {true, texts::kLogAllUsersOther};
    case suite::Account::DesktopUser: break;
    }
    return {false, texts::kLogCurrentUser};
}

namespace {

// All users' installation is in place: the installing account's own goes, shortcuts,
// menu folder and Settings > Apps entry, so that nothing shows or starts twice. What
// cannot be removed is logged and stops nothing.
void ReplaceOwn(Platform& platform, Deployment& deployment, const InstallerState& state, const ScopeFolders& own,
                const std::wstring& ownMenu) {
    const suite::Places places{suite::LastComponent(own.startup), own.desktop, state.Cartella_Installer, L""};
    const suite::LayoutRemoval removal = suite::RemoveLayout(platform, state, places, own.programs);
    if (!removal.failure) return deployment.LogFailure(removal.failure, texts::kLogOwnNotRemoved + ownMenu);
    const std::wstring key = suite::AppsEntryKey(state.Name);
    if (auto removed = platform.RemoveAppsEntry(key, false); !removed)
        return deployment.LogFailure(removed, texts::kLogOwnNotRemoved + key);
    deployment.Log(texts::kLogOwnReplaced + ownMenu);
}

}  // namespace

int ExitCode(Result result) { return result == Result::Failed ? suite::kExitFailed : suite::kExitSuccess; }

Installation Form_Load(Platform& platform, const suite::ProfileReader& ini, const StartEnvironment& environment,
                       InstallerState& state) {
    const Installation warning{{texts::kWarningTitle, texts::kWarning}, Result::Failed};
    File_INI_Carica(ini, state);
    Calcola_Cartelle(environment, state);
    // A log that cannot be written beside the installer is written in the user's temporary
    // folder, or not at all: deployment and the shortcuts go on either way.
    Deployment deployment(platform, ini, {state.Cartella_Sistema, state.Cartella_LIB, state.Cartella_Installer});
    deployment.Log(texts::kLogFolder + state.Cartella_Installer);
    if (!environment.scope.note.empty()) deployment.Log(environment.scope.note);
    // Without a description the list is the shortcut library alone, deployed as ever; but
    // there is nothing to make shortcuts of.
    deployment.Registra_DLL();
    if (!environment.descriptionFound) {
        deployment.Log(texts::kLogFailed + std::wstring(texts::kLogNoDescription) + ini.File());
        return warning;
    }
    if (deployment.NothingDeployed()) {
        deployment.Log(texts::kLogFailed + std::wstring(texts::kLogNothingDeployed));
        return warning;
    }
    // One installation per computer: a per-user one is not added beside all users'.
    const std::wstring otherMenu = suite::ProgramMenuFolder(state, environment.other.programs);
    const bool otherThere =
        !state.Folder.empty() && !environment.other.programs.empty() && platform.IsFolder(otherMenu);
    if (otherThere && !state.allUsers) {
        deployment.Log(texts::kLogAllUsersThere + otherMenu);
        return {warning.texts, Result::AlreadyInstalled};
    }
    // Its menu folder already there is this installation in place, run again.
    const bool present = !state.Folder.empty() && platform.IsFolder(state.Cartella_Menu);
    const bool made = Crea_Gruppo_e_Icone(platform, state);
    if (!made && !present) {
        deployment.Log(texts::kLogFailed + std::wstring(texts::kLogNoShortcuts));
        return warning;
    }
    if (otherThere) ReplaceOwn(platform, deployment, state, environment.other, otherMenu);
    // Listed, or listed again from this folder and with its size now.
    const suite::AppsEntry entry =
        suite::PlanAppsEntry(state, state.Cartella_Installer, environment.version,
                             platform.FolderBytes(state.Cartella_Installer), environment.scope.allUsers);
    const std::wstring where = suite::AppsEntryPath(entry);
    if (auto written = platform.WriteAppsEntry(entry); !written)
        deployment.LogFailure(written, where);
    else
        deployment.Log(texts::kLogAppsEntry + where);
    if (!made) {
        deployment.Log(texts::kLogAlreadyInstalled + state.Cartella_Menu);
        return {warning.texts, Result::AlreadyInstalled};
    }
    deployment.Log(texts::kLogInstalled);
    return {{texts::kTitle, state.Name}, Result::Installed};
}

}  // namespace install
