// Install.ini: the product the installer sets up and the components it deploys.
#pragma once

#include <string>
#include <vector>

#include "common/profile.h"

namespace install {

inline constexpr wchar_t kDescriptionFile[] = L"Install.ini";
inline constexpr wchar_t kShellLinkLibrary[] = L"VB6STKIT.DLL";
inline constexpr int kMaxComponents = 100;

// The installer reads {its folder}\Install.ini and answers "" when nothing is read.
suite::ProfileReader MakeReader(const suite::ProfileStore& store, const std::wstring& installerFolder);

// The values of section APPLICATION, kept for the whole run.
struct InstallerState {
    std::wstring Gruppo;
    std::wstring Name;
    std::wstring Executable;
    std::wstring Folder;
    std::wstring EsecuzioneAutomatica;
    std::wstring SulDesktop;
    std::wstring PrimaEsecuzione;
};

// Reads the seven APPLICATION keys, in the order the installer has always read them.
void File_INI_Carica(const suite::ProfileReader& ini, InstallerState& state);

// The component files of section LIB, in the order they are deployed. Entries are read
// one at a time and reading stops as soon as the list is over: the first missing or empty
// UsesN stands for VB6STKIT.DLL and ends it, an entry exactly "VB6STKIT.DLL" ends it, and
// at most Uses1..Uses100 are read.
std::vector<std::wstring> Elenco_Componenti(const suite::ProfileReader& ini);

}  // namespace install
