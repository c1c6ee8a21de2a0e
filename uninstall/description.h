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

}  // namespace uninstall
