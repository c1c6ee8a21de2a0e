// The shortcut library VB6STKIT.DLL as its callers see it, declared once: Install and
// Uninstall load it from the system folder by name and take these entries. Each returns 1
// on success and 0 on failure. The ANSI entries are kept for older callers; the wide ones
// take any path, and the suite's own programs use them when the library has them.
#pragma once

#include <windows.h>

namespace stkit {

inline constexpr wchar_t kLibrary[] = L"VB6STKIT.DLL";

// folder below parent ("$(Programs)": the user's Start-menu Programs folder when
// privateMenu is non-zero), or a full path; the shortcut {folder}\{name}.lnk to path.
inline constexpr char kCreateA[] = "fCreateShellLink";
inline constexpr char kCreateW[] = "fCreateShellLinkW";
using CreateA = long(WINAPI*)(LPCSTR folder, LPCSTR name, LPCSTR path, LPCSTR arguments, long privateMenu,
                              LPCSTR parent);
using CreateW = long(WINAPI*)(LPCWSTR folder, LPCWSTR name, LPCWSTR path, LPCWSTR arguments, long privateMenu,
                              LPCWSTR parent);

// Removes {Programs}\{folder}\{name}.lnk, or {folder}\{name}.lnk for a full path; a missing
// shortcut counts as removed.
inline constexpr char kRemoveA[] = "fRemoveShellLink";
inline constexpr char kRemoveW[] = "fRemoveShellLinkW";
using RemoveA = long(WINAPI*)(LPCSTR folder, LPCSTR name);
using RemoveW = long(WINAPI*)(LPCWSTR folder, LPCWSTR name);

}  // namespace stkit
