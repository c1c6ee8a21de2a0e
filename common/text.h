// Text conventions shared by the programs.
#pragma once

#include <algorithm>
#include <cmath>
#include <concepts>
#include <cstdint>
#include <type_traits>
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
inline std::optional<double> NumberIn(std::wstring_view text) {
    text = TrimBlanks(text);
    std::size_t at = 0;
    const bool negative = at < text.size() && text[at] == L'-';
    if (at < text.size() && (text[at] == L'-' || text[at] == L'+')) ++at;
    std::uint64_t mantissa = 0;
    int exponent = 0, digits = 0;
    for (bool fraction = false; at < text.size(); ++at) {
        const wchar_t c = text[at];
        if (c == L'.' && !fraction) {
            fraction = true;
            continue;
        }
        if (c < L'0' || c > L'9') break;
        ++digits;
        if (mantissa < 100'000'000'000'000'000ull)
            mantissa = mantissa * 10 + static_cast<unsigned>(c - L'0'), exponent -= fraction;
        else
            exponent += !fraction;  // a digit past what is kept
    }
    if (!digits) return std::nullopt;
    if (at < text.size() && (text[at] == L'e' || text[at] == L'E')) {
        std::size_t next = at + 1;
        const bool down = next < text.size() && text[next] == L'-';
        if (next < text.size() && (text[next] == L'-' || text[next] == L'+')) ++next;
        int power = 0;
        std::size_t first = next;
        for (; next < text.size() && text[next] >= L'0' && text[next] <= L'9'; ++next)
            power = std::min(power * 10 + (text[next] - L'0'), 10'000);
        if (next == first) return std::nullopt;
        exponent += down ? -power : power;
        at = next;
    }
    if (at != text.size()) return std::nullopt;
    constexpr double kExact[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                 1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    double value = static_cast<double>(mantissa);
    if (exponent >= -22 && exponent <= 22)
        value = exponent < 0 ? value / kExact[-exponent] : value * kExact[exponent];
    else
        value *= std::pow(10.0, exponent);
    if (!std::isfinite(value)) return std::nullopt;
    return negative ? -value : value;
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
