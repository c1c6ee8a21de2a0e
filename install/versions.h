// File version texts: how the installer writes them and how it orders them.
#pragma once

#include <cstdint>
#include <string>

namespace install {

// The two file-version fields of a file's fixed version record.
struct FileVersion {
    std::uint32_t ms = 0;  // major << 16 | minor
    std::uint32_t ls = 0;  // build << 16 | revision
};

// "major.minor.build.revision", each part an unsigned decimal without leading zeros.
std::wstring FormatVersion(FileVersion version);

// True when the installed text names an older version than the shipped one. The four
// parts are compared as numbers, left to right: as text, 6.0.9.0 would pass for newer
// than 6.0.81.69 and 9.0.0.0 for newer than 10.0.0.0. A text that is not four numbers
// never counts as older, so nothing is replaced on a guess.
bool IsOlderVersion(const std::wstring& installed, const std::wstring& shipped);

}  // namespace install
