// Text conventions shared by the programs.
#pragma once

#include <string>

namespace suite {

// Yes/no values are the exact text "TRUE"; anything else, "True" included, is no.
inline bool IsTrue(const std::wstring& flag) { return flag == L"TRUE"; }

// Paths are plain concatenations: an empty piece leaves its backslash in place.
inline std::wstring JoinPath(const std::wstring& folder, const std::wstring& name) {
    return folder + L"\\" + name;
}

// The text after the last backslash; the whole text when there is none.
inline std::wstring LastComponent(const std::wstring& path) {
    const auto slash = path.rfind(L'\\');
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

}  // namespace suite
