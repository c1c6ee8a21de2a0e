// The shortcut library VB6STKIT.DLL as its callers see it, declared once: Install and
// Uninstall load it from the system folder by name and take these entries. Each returns 1
// on success and 0 on failure. The ANSI entries are kept for older callers; the wide ones
// take any path, and the suite's own programs use them when the library has them.
#pragma once

#include <windows.h>

// The entries, as the library defines them (it includes this header, so the compiler
// holds both sides to one declaration) and as its callers take them by name.
extern "C" {
// folder below parent ("$(Programs)": the user's Start-menu Programs folder when
// privateMenu is non-zero), or a full path; the shortcut {folder}\{name}.lnk to path.
long WINAPI fCreateShellLink(LPCSTR folder, LPCSTR name, LPCSTR path, LPCSTR arguments, long privateMenu,
                             LPCSTR parent) noexcept;
long WINAPI fCreateShellLinkW(LPCWSTR folder, LPCWSTR name, LPCWSTR path, LPCWSTR arguments, long privateMenu,
                              LPCWSTR parent) noexcept;
// Removes {Programs}\{folder}\{name}.lnk, or {folder}\{name}.lnk for a full path; a missing
// shortcut counts as removed.
long WINAPI fRemoveShellLink(LPCSTR folder, LPCSTR name) noexcept;
long WINAPI fRemoveShellLinkW(LPCWSTR folder, LPCWSTR name) noexcept;
// Kept for callers that register the library; nothing to do.
long WINAPI RegisterVB6STKIT() noexcept;
long WINAPI UnRegisterVB6STKIT() noexcept;
}  // extern "C"

namespace stkit {

inline constexpr wchar_t kLibrary[] = L"VB6STKIT.DLL";

inline constexpr char kCreateA[] = "fCreateShellLink";
inline constexpr char kCreateW[] = "fCreateShellLinkW";
using CreateA = decltype(&fCreateShellLink);
using CreateW = decltype(&fCreateShellLinkW);
inline constexpr char kRemoveA[] = "fRemoveShellLink";
inline constexpr char kRemoveW[] = "fRemoveShellLinkW";
using RemoveA = decltype(&fRemoveShellLink);
using RemoveW = decltype(&fRemoveShellLinkW);

}  // namespace stkit
