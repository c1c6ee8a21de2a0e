// The uninstaller reads the installer's description file from its own folder.
#pragma once

#include <string>

#include "common/profile.h"
#include "common/text.h"

namespace uninstall {

inline constexpr wchar_t kDescriptionFile[] = L"install.ini";
inline constexpr wchar_t kNothingRead[] = L"nontrovato";

inline suite::ProfileReader MakeReader(const suite::ProfileStore& store, const std::wstring& ownFolder) {
    return suite::ProfileReader(store, suite::JoinPath(ownFolder, kDescriptionFile), kNothingRead);
}

// What the uninstaller knows for the whole run.
struct UninstallState {
    std::wstring Gruppo;
    std::wstring Name;
    std::wstring Executable;  // read, as the installer's file has it, and not used
    std::wstring Folder;
    std::wstring EsecuzioneAutomatica;
    std::wstring SulDesktop;

    std::wstring Cartella_Programmi;          // the user's Start-menu Programs folder
    std::wstring Nome_Esecuzione_Automatica;  // the Startup folder's last path component
    std::wstring Cartella_Desktop;            // the user's desktop folder
};

// Reads the six APPLICATION keys the uninstaller needs, in the order it reads them.
void File_INI_Carica(const suite::ProfileReader& ini, UninstallState& state);

}  // namespace uninstall
