#include "app/win32/tray_icon.h"

#include <cwchar>
#include <iterator>

namespace nubilux::win32 {

TrayIcon::TrayIcon(HWND window, UINT callbackMessage, HICON icon, const wchar_t* tip)
    : taskbarCreated_(::RegisterWindowMessageW(L"TaskbarCreated")) {
    data_.cbSize = sizeof data_;
    data_.hWnd = window;  // known by window and number, not by a GUID tied to the program's path
    data_.uID = 1;
    data_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data_.uCallbackMessage = callbackMessage;
    data_.hIcon = icon;
    std::wcsncpy(data_.szTip, tip, std::size(data_.szTip) - 1);
    ::Shell_NotifyIconW(NIM_ADD, &data_);
}

TrayIcon::~TrayIcon() { ::Shell_NotifyIconW(NIM_DELETE, &data_); }

void TrayIcon::Change(HICON icon, const wchar_t* tip) {
    data_.hIcon = icon;
    std::wcsncpy(data_.szTip, tip, std::size(data_.szTip) - 1);
    ::Shell_NotifyIconW(NIM_MODIFY, &data_);
}

bool TrayIcon::OnMessage(UINT msg) {
    if (msg != taskbarCreated_ || taskbarCreated_ == 0) return false;
    ::Shell_NotifyIconW(NIM_ADD, &data_);
    return true;
}

}  // namespace nubilux::win32
