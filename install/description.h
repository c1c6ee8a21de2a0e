// Install.ini: the product the installer sets up and the components it deploys.
#pragma once

#include <string>
#include <vector>

#include "common/layout.h"
#include "common/profile.h"

namespace install {

inline constexpr wchar_t kDescriptionFile[] = L"Install.ini";
inline constexpr wchar_t kShellLinkLibrary[] = L"VB6STKIT.DLL";
inline constexpr int kMaxComponents = 100;

// The installer reads {its folder}\Install.ini and answers "" when nothing is read.
suite::ProfileReader MakeReader(const suite::ProfileStore& store, const std::wstring& installerFolder);

// What the installer knows for the whole run: the values of section APPLICATION, then
// the folders worked out from them at start.
struct InstallerState : suite::Layout {
    std::wstring Cartella_Programmi;              // the user's Start-menu Programs folder
    std::wstring Cartella_Esecuzione_Automatica;  // the user's Startup folder
    std::wstring Nome_Esecuzione_Automatica;      // its last path component (for all users, the whole path)
    std::wstring Cartella_Desktop;                // the user's desktop folder
    std::wstring Cartella_Gruppo;                 // Programs\Gruppo
    std::wstring Cartella_Menu;                   // Programs\Gruppo\Folder
    std::wstring Cartella_Sistema;                // %SystemRoot%\system32
    std::wstring Cartella_ProgramFiles;           // %ProgramFiles%
    std::wstring Cartella_LIB;                    // the installer's folder\LIB
    std::wstring Cartella_Installer;              // the folder holding the installer
    bool allUsers = false;                        // the folders above are all users'; the startup one in full
};

// Reads the seven APPLICATION keys, in the order the installer has always read them.
void File_INI_Carica(const suite::ProfileReader& ini, InstallerState& state);

// The component files of section LIB, in the order they are deployed. Entries are read
// one at a time and reading stops as soon as the list is over: the first missing or empty
// UsesN stands for VB6STKIT.DLL and ends it, an entry exactly "VB6STKIT.DLL" ends it, and
// at most Uses1..Uses100 are read.
std::vector<std::wstring> Elenco_Componenti(const suite::ProfileReader& ini);

}  // namespace install
