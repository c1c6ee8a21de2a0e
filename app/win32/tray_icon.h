// The notification-area icon: added by the constructor, removed by the destructor, and
// added again when Explorer restarts. Refused (at logon the notification area may not be
// up yet, and its "TaskbarCreated" may come before this program or never), it is tried
// again every two seconds until it is there. It speaks the notification area's version 4: the
// keyboard reaches it (NIN_KEYSELECT, WM_CONTEXTMENU with the icon's anchor).
#pragma once

#include <windows.h>

#include <shellapi.h>

#include "app/window_rules.h"
#include "common/win32/unique.h"

namespace nubilux::win32 {

class TrayIcon {
public:
    // idleIcon, busyIcon: the program's icon resources, loaded at the size the
    // notification area draws at (again whenever the taskbar comes back: its scale may
    // have changed); the idle one shows first.
    TrayIcon(HWND window, UINT callbackMessage, HINSTANCE instance, int idleIcon, int busyIcon, const wchar_t* tip);
    ~TrayIcon();
    TrayIcon(const TrayIcon&) = delete;
    TrayIcon& operator=(const TrayIcon&) = delete;

    void Change(bool busy, const wchar_t* tip);
    // Call for every message: true when it was the icon's own (Explorer's "TaskbarCreated",
    // or the timer of another try) and the icon may be back.
    bool OnMessage(UINT msg, WPARAM wParam);
    bool Added() const { return added_; }
    // The event of the icon's callback message, and where its menu opens: version 4 puts
    // the event in lParam's low word and the icon's anchor in wParam; the first version
    // the mouse message, and only the pointer tells where.
    TrayEvent EventOf(LPARAM lParam) const;
    POINT Anchor(WPARAM wParam) const;
    // Shows the icon's menu at `at` until the user chooses or cancels it: the command
    // chosen, 0 for none. Cancelled with Escape, the keyboard focus goes back to the
    // notification area.
    UINT TrackMenu(HMENU menu, POINT at);

private:
    void LoadIcons();
    void Add();
    // Gives the keyboard focus back to the notification area, as after a menu cancelled.
    void ReturnFocus();

    HINSTANCE instance_;
    int idleId_, busyId_;
    ::win32::UniqueIcon idle_, busy_;
    bool busyShown_ = false;
    NOTIFYICONDATAW data_{};
    UINT taskbarCreated_;
    bool added_ = false;
    bool version4_ = false;
};

// The size the notification area draws its icons at.
int TrayIconSize();

}  // namespace nubilux::win32
