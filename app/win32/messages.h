// Nubilux's own window messages, in one place.
#pragma once

#include <windows.h>

#include <memory>

#include "app/session.h"

namespace nubilux::win32 {

// The notification icon's callback (WM_USER + 257).
inline constexpr UINT kTrayMessage = WM_USER + 257;
// From an attempt's worker: wParam the attempt's number, lParam the download's state.
inline constexpr UINT kAttemptState = WM_APP + 1;
// From an attempt's worker, its last word: lParam an AttemptReport that the window
// owns from here on (TakeReport).
inline constexpr UINT kAttemptDone = WM_APP + 2;
inline std::unique_ptr<AttemptReport> TakeReport(LPARAM lParam) {
    return std::unique_ptr<AttemptReport>(reinterpret_cast<AttemptReport*>(lParam));
}
// The timer, beside the session's own, that looks at running workers' news.
inline constexpr UINT_PTR kPollTimerId = 2;
// From a second start of the program: show the window.
inline constexpr UINT kShowWindow = WM_APP + 3;

}  // namespace nubilux::win32
