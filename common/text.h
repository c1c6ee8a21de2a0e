// Text conventions shared by the programs.
#pragma once

#include <string>
#include <string_view>

namespace suite {

// Yes/no values are the exact text "TRUE"; anything else, "True" included, is no.
inline bool IsTrue(const std::wstring& flag) { return flag == L"TRUE"; }

// Paths are plain concatenations: an empty piece leaves its backslash in place.
inline std::wstring JoinPath(const std::wstring& folder, const std::wstring& name) {
    return folder + L"\\" + name;
}

// Whether text begins with prefix, ASCII letters compared without regard to case.
inline bool StartsWithNoCase(std::wstring_view text, std::wstring_view prefix) {
    if (text.size() < prefix.size()) return false;
    const auto lower = [](wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c; };
    for (std::size_t i = 0; i < prefix.size(); ++i)
        if (lower(text[i]) != lower(prefix[i])) return false;
    return true;
}

// The text after the last backslash; the whole text when there is none.
inline std::wstring LastComponent(const std::wstring& path) {
    const auto slash = path.rfind(L'\\');
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

}  // namespace suite
