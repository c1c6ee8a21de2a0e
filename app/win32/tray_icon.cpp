#include "app/win32/tray_icon.h"

#include <cwchar>
#include <iterator>

#include "common/win32/dpi.h"

namespace nubilux::win32 {

namespace {

// The window's timer for another try; apart from the window's own timers.
constexpr UINT_PTR kRetryTimer = 0x7A11;
constexpr UINT kRetryMs = 2000;

}  // namespace

TrayIcon::TrayIcon(HWND window, UINT callbackMessage, HICON icon, const wchar_t* tip)
    : taskbarCreated_(::RegisterWindowMessageW(L"TaskbarCreated")) {
    data_.cbSize = sizeof data_;
    data_.hWnd = window;  // known by window and number, not by a GUID tied to the program's path
    data_.uID = 1;
    // Version 4 shows the tip only when asked to.
    data_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_SHOWTIP;
    data_.uCallbackMessage = callbackMessage;
    data_.hIcon = icon;
    std::wcsncpy(data_.szTip, tip, std::size(data_.szTip) - 1);
    Add();
}

TrayIcon::~TrayIcon() {
    ::KillTimer(data_.hWnd, kRetryTimer);
    if (added_) ::Shell_NotifyIconW(NIM_DELETE, &data_);
}

void TrayIcon::Add() {
    // After Explorer restarts the old icon is gone with it; an icon that is still there
    // ("TaskbarCreated" sent without a restart) refuses to be added again, but is there.
    added_ = ::Shell_NotifyIconW(NIM_ADD, &data_) || ::Shell_NotifyIconW(NIM_MODIFY, &data_);
    if (!added_) {
        ::SetTimer(data_.hWnd, kRetryTimer, kRetryMs, nullptr);
        return;
    }
    ::KillTimer(data_.hWnd, kRetryTimer);
    NOTIFYICONDATAW version = data_;
    version.uVersion = NOTIFYICON_VERSION_4;
    version4_ = ::Shell_NotifyIconW(NIM_SETVERSION, &version) != FALSE;
}

void TrayIcon::Change(HICON icon, const wchar_t* tip) {
    data_.hIcon = icon;
    std::wcsncpy(data_.szTip, tip, std::size(data_.szTip) - 1);
    ::Shell_NotifyIconW(NIM_MODIFY, &data_);
}

void TrayIcon::ReturnFocus() {
    NOTIFYICONDATAW focus = data_;
    focus.uFlags = 0;
    ::Shell_NotifyIconW(NIM_SETFOCUS, &focus);
}

bool TrayIcon::OnMessage(UINT msg, WPARAM wParam) {
    const bool retry = msg == WM_TIMER && wParam == kRetryTimer;
    if (!retry && (msg != taskbarCreated_ || taskbarCreated_ == 0)) return false;
    Add();
    return true;
}

int TrayIconSize() { return ::win32::MetricAt(SM_CXSMICON, ::win32::SystemDpi()); }

}  // namespace nubilux::win32
