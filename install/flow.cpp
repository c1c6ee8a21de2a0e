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
    s.Nome_Esecuzione_Automatica = suite::LastComponent(s.Cartella_Esecuzione_Automatica);
    s.Cartella_Gruppo = suite::GroupFolder(s, s.Cartella_Programmi);
    s.Cartella_Menu = suite::ProgramMenuFolder(s, s.Cartella_Programmi);
}

WindowTexts Form_Load(Platform& platform, const suite::ProfileReader& ini, const StartEnvironment& environment,
                      InstallerState& state) {
    File_INI_Carica(ini, state);
    WindowTexts shown{texts::kTitle, state.Name};
    Calcola_Cartelle(environment, state);
    // A log that cannot be written beside the installer is written in the user's temporary
    // folder, or not at all: deployment and the shortcuts go on either way.
    Deployment deployment(platform, ini, {state.Cartella_Sistema, state.Cartella_LIB, state.Cartella_Installer});
    deployment.Registra_DLL();
    if (!Crea_Gruppo_e_Icone(platform, state)) return {texts::kWarningTitle, texts::kWarning};
    const suite::AppsEntry entry = suite::PlanAppsEntry(state, state.Cartella_Installer, environment.version,
                                                        platform.FolderBytes(state.Cartella_Installer));
    if (auto written = platform.WriteAppsEntry(entry); !written)
        deployment.LogFailure(written, std::wstring(L"HKCU\\") + suite::kUninstallKey + L"\\" + entry.key);
    return shown;
}

}  // namespace install
