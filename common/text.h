// Text conventions shared by the programs.
#pragma once

#include <concepts>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>

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

// An integer in decimal digits. Written here, not by the runtime's formatted printing,
// which would bring its whole floating-point machinery into every program.
template <std::integral T>
std::wstring Decimal(T value) {
    using Unsigned = std::make_unsigned_t<T>;
    wchar_t digits[24];
    wchar_t* at = digits + 24;
    Unsigned magnitude = value < 0 ? static_cast<Unsigned>(Unsigned{0} - static_cast<Unsigned>(value)) : static_cast<Unsigned>(value);
    do *--at = static_cast<wchar_t>(L'0' + magnitude % 10); while (magnitude /= 10);
    if (value < 0) *--at = L'-';
    return std::wstring(at, digits + 24);
}

// A number written alone in decimal ("0", " 2.5", "-1e3", ".5"), blanks around it allowed;
// nothing for any other text, or one out of range. Read here, not by the runtime, for the
// same reason; up to 15 significant digits and a power of ten up to 22 come out to the
// last bit as the runtime's would.
std::optional<double> NumberIn(std::wstring_view text);

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
