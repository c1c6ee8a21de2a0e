#include "uninstall/description.h"

namespace uninstall {

void File_INI_Carica(const suite::ProfileReader& ini, UninstallState& state) {
    const std::wstring app = L"APPLICATION";
    state.Gruppo = ini.File_INI_Leggi(app, L"Gruppo");
    state.Name = ini.File_INI_Leggi(app, L"Name");
    state.Executable = ini.File_INI_Leggi(app, L"Executable");
    state.Folder = ini.File_INI_Leggi(app, L"Folder");
    state.EsecuzioneAutomatica = ini.File_INI_Leggi(app, L"EsecuzioneAutomatica");
    state.SulDesktop = ini.File_INI_Leggi(app, L"SulDesktop");
}

}  // namespace uninstall
