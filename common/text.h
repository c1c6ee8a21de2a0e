// Text conventions shared by the programs.
#pragma once

#include <cmath>
#include <cwchar>
#include <optional>
#include <string>
#include <string_view>

namespace suite {

// Yes/no values are the exact text "TRUE"; anything else, "True" included, is no.
inline bool IsTrue(const std::wstring& flag) { return flag == L"TRUE"; }

// Paths are plain concatenations: an empty piece leaves its backslash in place.
inline std::wstring JoinPath(const std::wstring& folder, const std::wstring& name) {
    return folder + L"\\" + name;
}

// An ASCII capital as its small letter; any other character as it is.
inline wchar_t LowerAscii(wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c; }

// Whether text begins with prefix, ASCII letters compared without regard to case.
inline bool StartsWithNoCase(std::wstring_view text, std::wstring_view prefix) {
    if (text.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i)
        if (LowerAscii(text[i]) != LowerAscii(prefix[i])) return false;
    return true;
}

// Whether two texts are the same, ASCII letters compared without regard to case.
inline bool SameNoCase(std::wstring_view a, std::wstring_view b) {
    return a.size() == b.size() && StartsWithNoCase(a, b);
}

// The text without the spaces and tabs around it.
inline std::wstring_view TrimBlanks(std::wstring_view text) {
    const auto first = text.find_first_not_of(L" \t");
    if (first == std::wstring_view::npos) return {};
    return text.substr(first, text.find_last_not_of(L" \t") - first + 1);
}

// A number written alone, as the platform's reader takes it ("0", " 2.5", "1e3"), blanks
// after it allowed; nothing for any other text, or one that is not finite.
inline std::optional<double> NumberIn(const std::wstring& text) {
    const wchar_t* begin = text.c_str();
    wchar_t* end = nullptr;
    const double value = std::wcstod(begin, &end);
    if (end == begin || !std::isfinite(value)) return std::nullopt;
    while (*end == L' ' || *end == L'\t') ++end;
    if (*end != L'\0') return std::nullopt;
    return value;
}

// The text after the last backslash; the whole text when there is none.
inline std::wstring LastComponent(const std::wstring& path) {
    const auto slash = path.rfind(L'\\');
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

// The text before the last backslash: a file's folder; "." when there is none.
inline std::wstring FolderOf(const std::wstring& path) {
    const auto slash = path.rfind(L'\\');
    return slash == std::wstring::npos ? L"." : path.substr(0, slash);
}

}  // namespace suite
