#include "app/config.h"

#include <cwchar>

namespace nubilux {

bool StartsAutomatic(const std::wstring& modo) {
    const wchar_t* begin = modo.c_str();
    wchar_t* end = nullptr;
    const double value = std::wcstod(begin, &end);
    if (end == begin) return false;  // not a number
    while (*end == L' ' || *end == L'\t') ++end;
    return *end == L'\0' && value == 0.0;
}

std::wstring ReadSetting(const suite::ProfileStore& store, const std::wstring& userFolder,
                         const std::wstring& programFolder, const wchar_t* key) {
    // No user folder (no profile): no file of the user's, rather than one at the root of the drive.
    const std::wstring own = userFolder.empty() ? kNothingRead : MakeReader(store, userFolder).File_INI_Leggi(kSection, key);
    return own != kNothingRead ? own : MakeReader(store, programFolder).File_INI_Leggi(kSection, key);
}

}  // namespace nubilux
