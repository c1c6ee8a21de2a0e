#include "install/versions.h"

#include <array>
#include <optional>

namespace install {

std::wstring FormatVersion(FileVersion version) {
    return std::to_wstring(version.ms >> 16) + L"." + std::to_wstring(version.ms & 0xFFFF) + L"." +
           std::to_wstring(version.ls >> 16) + L"." + std::to_wstring(version.ls & 0xFFFF);
}

namespace {

std::optional<std::array<unsigned long, 4>> Parse(const std::wstring& text) {
    std::array<unsigned long, 4> parts{};
    std::size_t part = 0, digits = 0;
    for (const wchar_t c : text) {
        if (c == L'.') {
            if (digits == 0 || ++part == parts.size()) return std::nullopt;
            digits = 0;
        } else if (c >= L'0' && c <= L'9' && digits < 9) {
            parts[part] = parts[part] * 10 + static_cast<unsigned long>(c - L'0');
            ++digits;
        } else {
            return std::nullopt;
        }
    }
    if (part != parts.size() - 1 || digits == 0) return std::nullopt;
    return parts;
}

}  // namespace

bool IsOlderVersion(const std::wstring& installed, const std::wstring& shipped) {
    const auto a = Parse(installed), b = Parse(shipped);
    return a && b && *a < *b;
}

}  // namespace install
