// The notification-area icon: added by the constructor, removed by the destructor, and
// added again when Explorer restarts.
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
    // Call for every message: true when it was Explorer's "TaskbarCreated", and the icon is back.
    bool OnMessage(UINT msg);

private:
    NOTIFYICONDATAW data_{};
    UINT taskbarCreated_;
};

}  // namespace nubilux::win32
