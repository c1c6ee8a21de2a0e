#include "stkit/link_path.h"

namespace stkit {

std::optional<int> ParentFolderId(const std::wstring& token, bool privateMenu) {
    if (token == L"$(Programs)") return privateMenu ? 2 : 23;
    return std::nullopt;
}

namespace {

bool IsFullPath(const std::wstring& path) {
    const bool drive = path.size() >= 3 && path[1] == L':' && path[2] == L'\\';
    return drive || path.rfind(L"\\\\", 0) == 0;
}

}  // namespace

std::wstring LinkFolder(const std::wstring& parent, const std::wstring& folder) {
    if (IsFullPath(folder)) return folder;
    return folder.empty() ? parent : parent + L"\\" + folder;
}

std::wstring LinkFile(const std::wstring& linkFolder, const std::wstring& name) {
    return linkFolder + L"\\" + name + L".lnk";
}

std::wstring TargetFolder(const std::wstring& target) {
    const auto slash = target.rfind(L'\\');
    if (slash == std::wstring::npos) return L"";
    // Keep the backslash of a drive root: "C:\" is a folder, "C:" is not.
    return target.substr(0, slash == 2 && target[1] == L':' ? 3 : slash);
}

}  // namespace stkit
