#include "common/win32/special_folder.h"

#include "common/win32/unique.h"

namespace win32 {

std::wstring GetSpecialFolder(int csidl) {
    UniqueItemIdList items;
    if (::SHGetSpecialFolderLocation(nullptr, csidl, items.put()) != S_OK || !items) return L"";
    wchar_t path[MAX_PATH] = {};
    if (!::SHGetPathFromIDListW(items.get(), path)) return L"";
    return path;
}

suite::ScopeFolders FoldersOf(bool allUsers) {
    return {GetSpecialFolder(allUsers ? 23 : 2), GetSpecialFolder(allUsers ? 24 : 7), GetSpecialFolder(allUsers ? 25 : 16)};
}

}  // namespace win32
