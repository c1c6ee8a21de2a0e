#include "app/win32/tray_icon.h"

#include <cwchar>
#include <iterator>

#include "common/win32/dpi.h"

namespace nubilux::win32 {

namespace {

// The window's timer for another try; apart from the window's own timers.
constexpr UINT_PTR kRetryTimer = 0x7A11;
constexpr UINT kRetryMs = 2000;

// Whether the menu now open was cancelled with Escape, seen by a hook on the menu's own loop.
bool g_menuEscaped = false;

LRESULT CALLBACK WatchMenuKeys(int code, WPARAM wParam, LPARAM lParam) {
    const auto* msg = reinterpret_cast<const MSG*>(lParam);
    if (code == MSGF_MENU && msg->message == WM_KEYDOWN && msg->wParam == VK_ESCAPE) g_menuEscaped = true;
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

TrayIcon::TrayIcon(HWND window, UINT callbackMessage, HINSTANCE instance, int idleIcon, int busyIcon, const wchar_t* tip)
    : instance_(instance), idleId_(idleIcon), busyId_(busyIcon), taskbarCreated_(::RegisterWindowMessageW(L"TaskbarCreated")) {
    LoadIcons();
    data_.cbSize = sizeof data_;
    data_.hWnd = window;  // known by window and number, not by a GUID tied to the program's path
    data_.uID = 1;
    // Version 4 shows the tip only when asked to.
    data_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_SHOWTIP;
    data_.uCallbackMessage = callbackMessage;
    data_.hIcon = idle_.get();
    std::wcsncpy(data_.szTip, tip, std::size(data_.szTip) - 1);
    Add();
}

void TrayIcon::LoadIcons() {
    // Not shared: the shared cache hands back whichever size was loaded first.
    const int size = TrayIconSize();
    const auto load = [&](int id) {
        return ::win32::UniqueIcon(
            static_cast<HICON>(::LoadImageW(instance_, MAKEINTRESOURCEW(id), IMAGE_ICON, size, size, 0)));
    };
    idle_ = load(idleId_);
    busy_ = load(busyId_);
    data_.hIcon = busyShown_ ? busy_.get() : idle_.get();
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

void TrayIcon::Change(bool busy, const wchar_t* tip) {
    busyShown_ = busy;
    data_.hIcon = busy ? busy_.get() : idle_.get();
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
    LoadIcons();
    Add();
    return true;
}

int TrayIconSize() { return ::win32::MetricAt(SM_CXSMICON, ::win32::SystemDpi()); }

TrayEvent TrayIcon::EventOf(LPARAM lParam) const {
    switch (LOWORD(lParam)) {
    case WM_LBUTTONUP:
    case NIN_SELECT: return TrayEvent::LeftUp;
    case WM_LBUTTONDBLCLK: return TrayEvent::LeftDoubleClick;
    case WM_RBUTTONUP: return version4_ ? TrayEvent::RightUp : TrayEvent::ContextMenu;
    case WM_RBUTTONDBLCLK: return TrayEvent::RightDoubleClick;
    case WM_CONTEXTMENU: return TrayEvent::ContextMenu;
    case NIN_KEYSELECT: return TrayEvent::KeySelect;
    default: return TrayEvent::Other;
    }
}

POINT TrayIcon::Anchor(WPARAM wParam) const {
    POINT at{static_cast<short>(LOWORD(wParam)), static_cast<short>(HIWORD(wParam))};
    if (!version4_) ::GetCursorPos(&at);
    return at;
}

UINT TrayIcon::TrackMenu(HMENU menu, POINT at) {
    const HWND owner = data_.hWnd;
    // Opened on the side the user's reading order wants.
    const UINT align = ::GetSystemMetrics(SM_MENUDROPALIGNMENT) ? TPM_RIGHTALIGN : TPM_LEFTALIGN;
    ::SetForegroundWindow(owner);  // so that the menu closes when the user clicks elsewhere
    g_menuEscaped = false;
    HHOOK hook = ::SetWindowsHookExW(WH_MSGFILTER, WatchMenuKeys, nullptr, ::GetCurrentThreadId());
    const UINT chosen = ::TrackPopupMenuEx(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY | TPM_BOTTOMALIGN | align,
                                           at.x, at.y, owner, nullptr);
    if (hook) ::UnhookWindowsHookEx(hook);
    ::PostMessageW(owner, WM_NULL, 0, 0);
    if (chosen == 0 && g_menuEscaped) ReturnFocus();
    return chosen;
}

}  // namespace nubilux::win32
