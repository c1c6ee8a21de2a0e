// File-system questions both setup programs ask.
#pragma once

#include <string>

namespace win32 {

// Whether path names a folder, as the file system sees it (letter case ignored).
bool IsFolder(const std::wstring& path);
// Whether the folder holds no entry at all, hidden ones included; false when it cannot be read.
bool IsEmptyFolder(const std::wstring& path);

}  // namespace win32
