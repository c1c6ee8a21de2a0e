// File-system questions both setup programs ask.
#pragma once

#include <optional>
#include <string>

namespace win32 {

// Whether path names a folder, as the file system sees it (letter case ignored).
bool IsFolder(const std::wstring& path);
// The file's bytes, when it can be read whole and holds at most maxBytes; else nothing.
std::optional<std::string> ReadWholeFile(const std::wstring& path, unsigned long maxBytes);
// Whether the folder holds no entry at all, hidden ones included; false when it cannot be read.
bool IsEmptyFolder(const std::wstring& path);

}  // namespace win32
