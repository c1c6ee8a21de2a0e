// The console display's state, which Windows tells even where the old suspend and resume
// messages do not come (PCs with Modern Standby).
#pragma once

#include <windows.h>

#include <optional>

namespace nubilux::win32 {

// Asks for the display's state to be sent to the window, until the object goes.
class DisplayNotices {
public:
    explicit DisplayNotices(HWND window);
    ~DisplayNotices();
    DisplayNotices(const DisplayNotices&) = delete;
    DisplayNotices& operator=(const DisplayNotices&) = delete;

private:
    HPOWERNOTIFY handle_;
};

// Of a WM_POWERBROADCAST: whether the display is now on (dimmed counts as on), or nothing
// when the message tells something else.
std::optional<bool> DisplayOn(WPARAM wParam, LPARAM lParam);

}  // namespace nubilux::win32
