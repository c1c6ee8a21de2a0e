// Where the shortcut library puts a shortcut.
#pragma once

#include <optional>
#include <string>

namespace stkit {

// The shell folder a parent token names: "$(Programs)" is the user's Start-menu Programs
// folder (CSIDL 2), or everyone's (CSIDL 23) when the shortcut is not private.
std::optional<int> ParentFolderId(const std::wstring& token, bool privateMenu);

// The folder of the shortcut: folder below parent, or folder itself when it is a full
// path ("X:\..." or "\\server\..."). Not normalised here; the caller lets the platform do it.
std::wstring LinkFolder(const std::wstring& parent, const std::wstring& folder);

// The shortcut file: {folder}\{name}.lnk.
std::wstring LinkFile(const std::wstring& linkFolder, const std::wstring& name);

// The folder part of a target path: where the program starts.
std::wstring TargetFolder(const std::wstring& target);

}  // namespace stkit
