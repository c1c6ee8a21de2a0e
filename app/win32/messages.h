// Nubilux's own window messages, in one place.
#pragma once

#include <windows.h>

#include "app/window_rules.h"

namespace nubilux::win32 {

// The notification icon's callback (WM_USER + 257).
inline constexpr UINT kTrayMessage = kTrayCallback;
// From a transfer's thread: wParam the attempt's number, lParam the download's state.
inline constexpr UINT kAttemptState = WM_APP + 1;
// From a transfer's thread: wParam the attempt's number, lParam 1 when its picture is
// now NUBILUX.BMP and the wallpaper, 0 when the attempt failed.
inline constexpr UINT kAttemptDone = WM_APP + 2;
// From a second start of the program: show the window.
inline constexpr UINT kShowWindow = WM_APP + 3;

}  // namespace nubilux::win32
