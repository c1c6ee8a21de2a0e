// The notification-area icon: added by the constructor, removed by the destructor, and
// added again when Explorer restarts. Refused (at logon the notification area may not be
// up yet, and its "TaskbarCreated" may come before this program or never), it is tried
// again every two seconds until it is there. It speaks the notification area's version 4: the
// keyboard reaches it (NIN_KEYSELECT, WM_CONTEXTMENU with the icon's anchor).
#pragma once

#include <windows.h>

#include <shellapi.h>

namespace nubilux::win32 {

class TrayIcon {
public:
    TrayIcon(HWND window, UINT callbackMessage, HICON icon, const wchar_t* tip);
    ~TrayIcon();
    TrayIcon(const TrayIcon&) = delete;
    TrayIcon& operator=(const TrayIcon&) = delete;

    void Change(HICON icon, const wchar_t* tip);
    // Call for every message: true when it was the icon's own (Explorer's "TaskbarCreated",
    // or the timer of another try) and the icon may be back.
    bool OnMessage(UINT msg, WPARAM wParam);
    bool Added() const { return added_; }
    // Gives the keyboard focus back to the notification area, as after a menu cancelled.
    void ReturnFocus();
    // Whether the shell took version 4; an older one sends the first version's messages.
    bool Version4() const { return version4_; }

private:
    void Add();

    NOTIFYICONDATAW data_{};
    UINT taskbarCreated_;
    bool added_ = false;
    bool version4_ = false;
};

// The size the notification area draws its icons at.
int TrayIconSize();

}  // namespace nubilux::win32
