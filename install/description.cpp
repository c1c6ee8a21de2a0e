#include "install/description.h"

#include "common/text.h"

namespace install {

suite::ProfileReader MakeReader(const suite::ProfileStore& store, const std::wstring& installerFolder) {
    return suite::ProfileReader(store, suite::JoinPath(installerFolder, kDescriptionFile), L"");
}

void File_INI_Carica(const suite::ProfileReader& ini, InstallerState& state) {
    static_cast<suite::Layout&>(state) = suite::ReadLayout(ini);
}

std::vector<std::wstring> Elenco_Componenti(const suite::ProfileReader& ini) {
    std::vector<std::wstring> files;
    for (int n = 1; n <= kMaxComponents && (files.empty() || files.back() != kShellLinkLibrary); ++n) {
        std::wstring entry = ini.File_INI_Leggi(L"LIB", L"Uses" + std::to_wstring(n));
        files.push_back(entry.empty() ? std::wstring(kShellLinkLibrary) : std::move(entry));
    }
    return files;
}

}  // namespace install
