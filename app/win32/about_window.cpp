#include "app/win32/about_window.h"

#include <shellapi.h>

#include <string>

#include "app/addresses.h"
#include "app/texts.h"
#include "res/nubilux_resource.h"

namespace nubilux::win32 {

namespace {

constexpr int kAboutTextId = 100, kLinkId = 101, kCreditsId = 102, kAcknowledgementId = 103;
constexpr COLORREF kBlue = RGB(0, 0, 255), kPurple = RGB(128, 0, 128);

}  // namespace

AboutWindow::AboutWindow(HINSTANCE instance) : Form(instance, IDI_CLOUD) {}

void AboutWindow::OnCreate() {
    boldFont_ = Font(L"Microsoft Sans Serif", 8.25, true);
    font_ = Font(L"Microsoft Sans Serif", 8.25, false);
    Control(L"STATIC", texts::kAboutText, WS_VISIBLE | SS_CENTER | SS_NOPREFIX, 120, 120, 3135, 885, kAboutTextId,
            boldFont_);
    Control(L"STATIC", texts::kAboutCredits, WS_VISIBLE | SS_CENTER | SS_NOPREFIX, 120, 1035, 3135, 390, kCreditsId,
            font_);
    Control(L"STATIC", texts::kAboutJmaAcknowledgement, WS_VISIBLE | SS_CENTER | SS_NOPREFIX, 120, 1515, 3135, 225,
            kAcknowledgementId, font_);
    const std::wstring link = std::wstring(L" ") + kWebSite;
    Control(L"STATIC", link.c_str(), WS_VISIBLE | SS_CENTER | SS_NOPREFIX | SS_NOTIFY, 120, 1755, 3135, 225, kLinkId,
            font_);
    ::SetFocus(Control(L"BUTTON", texts::kAboutOk, WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 990, 2040, 1335, 345,
                       IDOK, font_));
    // As many lines as each takes at the window's scale and font, the rest moved down.
    FitLabel(kAboutTextId);
    FitLabel(kCreditsId);
    FitLabel(kAcknowledgementId);
    KeepOnTop(hwnd_);
}

LRESULT AboutWindow::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            ::DestroyWindow(hwnd_);
            return 0;
        }
        if (LOWORD(wParam) == kLinkId && HIWORD(wParam) == STN_CLICKED) {
            // Label1_Click: the link reads as visited, and opens in the default browser.
            visited_ = true;
            ::InvalidateRect(::GetDlgItem(hwnd_, kLinkId), nullptr, TRUE);
            ::ShellExecuteW(hwnd_, nullptr, kWebSite, L"", nullptr, SW_SHOW);
            return 0;
        }
        break;
    case WM_CTLCOLORSTATIC:
        if (const LRESULT brush = ColourLabel(wParam, lParam, kLinkId, visited_ ? kPurple : kBlue)) return brush;
        break;
    case WM_SETCURSOR:
        if (reinterpret_cast<HWND>(wParam) == ::GetDlgItem(hwnd_, kLinkId)) {
            ::SetCursor(::LoadCursorW(nullptr, IDC_HAND));
            return TRUE;
        }
        break;
    }
    return Default(msg, wParam, lParam);
}

void ShowAbout(std::unique_ptr<AboutWindow>& about, HINSTANCE instance, HWND owner) {
    if (!about || !about->Handle()) {
        about = std::make_unique<AboutWindow>(instance);
        if (!about->Create(L"frm_NubiluxInfo", texts::kAboutCaption, 3345, 2535, WS_EX_DLGMODALFRAME, owner)) return;
    }
    about->Show();
}

}  // namespace nubilux::win32
