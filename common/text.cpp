#include "common/text.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace suite {

std::optional<double> NumberIn(std::wstring_view text) {
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

}  // namespace suite
