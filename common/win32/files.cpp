#include "common/win32/files.h"

#include <windows.h>

#include "common/win32/unique.h"

namespace win32 {

bool IsFolder(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsEmptyFolder(const std::wstring& path) {
    WIN32_FIND_DATAW found;
    UniqueFind find(::FindFirstFileW((path + L"\\*").c_str(), &found));
    if (!find) return false;
    do {
        const std::wstring name = found.cFileName;
        if (name != L"." && name != L"..") return false;
    } while (::FindNextFileW(find.get(), &found));
    return true;
}

}  // namespace win32
