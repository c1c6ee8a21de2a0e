// How the uninstaller finds a running Nubilux and asks it to end: its main window's class,
// and the message on which it ends as at the end of a Windows session (no question, its
// icon removed).
#pragma once

#include <windows.h>

namespace win32 {

inline constexpr wchar_t kNubiluxWindowClass[] = L"frm_Nubilux";

inline UINT NubiluxEndMessage() { return ::RegisterWindowMessageW(L"Quintaris.Nubilux.End"); }

}  // namespace win32
