// Nubilux's own window messages, in one place.
#pragma once

#include <windows.h>

#include "app/attempt.h"
#include "app/window_rules.h"

namespace nubilux::win32 {

// The notification icon's callback (WM_USER + 257).
inline constexpr UINT kTrayMessage = kTrayCallback;
// From a transfer's thread: wParam the attempt's number, lParam the download's state.
inline constexpr UINT kAttemptState = WM_APP + 1;
// From a transfer's thread: wParam the attempt's number, lParam its Ending and Reason
// (PackEnding).
inline constexpr UINT kAttemptDone = WM_APP + 2;
inline LPARAM PackEnding(Ending ending, Reason reason) {
    return static_cast<LPARAM>(static_cast<int>(ending) | static_cast<int>(reason) << 8);
}
inline Ending EndingOf(LPARAM packed) { return static_cast<Ending>(packed & 0xFF); }
inline Reason ReasonOf(LPARAM packed) { return static_cast<Reason>((packed >> 8) & 0xFF); }
// From a second start of the program: show the window.
inline constexpr UINT kShowWindow = WM_APP + 3;

}  // namespace nubilux::win32
