// Nubilux.ini beside the program: section Nubilux, key Aggiornamento.
#pragma once

#include <string>

#include "common/profile.h"
#include "common/text.h"

namespace nubilux {

inline constexpr wchar_t kConfigFile[] = L"Nubilux.ini";
inline constexpr wchar_t kNothingRead[] = L"-1";

inline suite::ProfileReader MakeReader(const suite::ProfileStore& store, const std::wstring& ownFolder) {
    return suite::ProfileReader(store, suite::JoinPath(ownFolder, kConfigFile), kNothingRead);
}

}  // namespace nubilux
