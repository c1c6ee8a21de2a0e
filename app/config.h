// Nubilux.ini beside the program: section Nubilux, key Aggiornamento.
#pragma once

#include <string>

#include "common/profile.h"
#include "common/text.h"

namespace nubilux {

inline constexpr wchar_t kConfigFile[] = L"Nubilux.ini";
inline constexpr wchar_t kSection[] = L"Nubilux";
inline constexpr wchar_t kKey[] = L"Aggiornamento";
inline constexpr wchar_t kNothingRead[] = L"-1";

inline suite::ProfileReader MakeReader(const suite::ProfileStore& store, const std::wstring& ownFolder) {
    return suite::ProfileReader(store, suite::JoinPath(ownFolder, kConfigFile), kNothingRead);
}

// The start mode: Automatic when the stored text reads as the number 0 ("0", " 0",
// "0.0"), Manual for any other number, anything that is not a number, and "-1".
bool StartsAutomatic(const std::wstring& modo);

// What an option click stores: "0" for Automatic, "1" for Manual.
inline const wchar_t* StoredMode(bool automatic) { return automatic ? L"0" : L"1"; }

}  // namespace nubilux
