// Nubilux.exe: keeps the wallpaper up to date with the latest satellite picture, from
// the notification area. The window translates Windows' messages into the session's
// events and shows what the session answers.
#include <windows.h>

#include <objbase.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <string>

#include "app/config.h"
#include "app/session.h"
#include "app/status.h"
#include "app/texts.h"
#include "app/win32/about_window.h"
#include "app/win32/clock.h"
#include "app/win32/messages.h"
#include "app/win32/platform.h"
#include "app/win32/power.h"
#include "app/win32/tray_icon.h"
#include "app/win32/worker.h"
#include "app/window_rules.h"
#include "common/win32/command_line.h"
#include "common/win32/error.h"
#include "common/win32/form.h"
#include "common/win32/nubilux_window.h"
#include "common/win32/startup.h"
#include "res/nubilux_resource.h"

namespace {

using namespace nubilux;
using namespace nubilux::win32;

constexpr const wchar_t* kMainClass = ::win32::kNubiluxWindowClass;
constexpr int kUpdateId = 100, kInfoId = 101, kFrameId = 102, kAutomaticId = 103, kManualId = 104,
              kLabel1Id = 105, kLabel2Id = 106, kLabel3Id = 107;
constexpr int kExitCommand = 200, kUpdateCommand = 201, kLastUpdateCommand = 202, kShowCommand = 203,
              kWholeEarthCommand = 204, kRegionCommand = 205;
// One timer, due when the session next has something to do; a second one for the monitors.
constexpr UINT_PTR kTimerId = 1, kLayoutTimerId = 2;
// Monitors are looked at again this long after the last change: a layout that settles
// through several changes (docking, a resolution switch) makes one download, not many.
constexpr UINT kLayoutSettleMs = 60 * 1000;

// Not shared: the shared cache hands back whichever size was loaded first.
::win32::UniqueIcon LoadIconSized(HINSTANCE instance, int id, int size) {
    return ::win32::UniqueIcon(static_cast<HICON>(::LoadImageW(instance, MAKEINTRESOURCEW(id), IMAGE_ICON, size, size, 0)));
}

Moment Now() { return {static_cast<std::int64_t>(::GetTickCount64()), LocalSeconds()}; }

// Version 4 puts the event in lParam's low word; the first version the mouse message.
TrayEvent TrayEventOf(LPARAM lParam, bool version4) {
    switch (LOWORD(lParam)) {
    case WM_LBUTTONUP:
    case NIN_SELECT: return TrayEvent::LeftUp;
    case WM_LBUTTONDBLCLK: return TrayEvent::LeftDoubleClick;
    case WM_RBUTTONUP: return version4 ? TrayEvent::RightUp : TrayEvent::ContextMenu;
    case WM_RBUTTONDBLCLK: return TrayEvent::RightDoubleClick;
    case WM_CONTEXTMENU: return TrayEvent::ContextMenu;
    case NIN_KEYSELECT: return TrayEvent::KeySelect;
    default: return TrayEvent::Other;
    }
}

// Where the icon's menu opens: version 4 gives the icon's anchor, in wParam; the first
// version only the pointer.
POINT TrayAnchor(WPARAM wParam, bool version4) {
    POINT at{static_cast<short>(LOWORD(wParam)), static_cast<short>(HIWORD(wParam))};
    if (!version4) ::GetCursorPos(&at);
    return at;
}

// Whether the menu now open was cancelled with Escape, seen by a hook on the menu's own loop.
bool g_menuEscaped = false;

LRESULT CALLBACK WatchMenuKeys(int code, WPARAM wParam, LPARAM lParam) {
    const auto* msg = reinterpret_cast<const MSG*>(lParam);
    if (code == MSGF_MENU && msg->message == WM_KEYDOWN && msg->wParam == VK_ESCAPE) g_menuEscaped = true;
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

// frm_Nubilux.
class MainWindow final : public ::win32::Form {
public:
    explicit MainWindow(HINSTANCE instance) : Form(instance, IDI_CLOUD) {}

private:
    void OnCreate() override {
        font_ = Font(L"Microsoft Sans Serif", 8.25, false);
        // Made in tab order.
        Control(L"BUTTON", texts::kUpdate, WS_VISIBLE | WS_TABSTOP, 0, 600, 1335, 345, kUpdateId, font_);
        Control(L"BUTTON", texts::kInfo, WS_VISIBLE | WS_TABSTOP, 1350, 600, 1335, 345, kInfoId, font_);
        Control(L"BUTTON", texts::kFrame, WS_VISIBLE | BS_GROUPBOX, 0, 0, 2685, 585, kFrameId, font_);
        Control(L"BUTTON", texts::kAutomatic, WS_VISIBLE | WS_TABSTOP | WS_GROUP | BS_AUTORADIOBUTTON, 150, 240, 1215,
                195, kAutomaticId, font_);
        Control(L"BUTTON", texts::kManual, WS_VISIBLE | BS_AUTORADIOBUTTON, 1380, 240, 915, 195, kManualId,
                font_);
        // The status fields lie below the client area: never seen, kept for diagnosis.
        Control(L"STATIC", L"", WS_VISIBLE, 120, 1800, 375, 255, kLabel1Id, font_);
        Control(L"STATIC", L"", WS_VISIBLE, 480, 1800, 2295, 255, kLabel2Id, font_);
        Control(L"STATIC", L"", WS_VISIBLE, 120, 2160, 2655, 255, kLabel3Id, font_);

        KeepOnTop(hwnd_);
        LoadTrayIcons();
        tray_.emplace(hwnd_, kTrayMessage, cloud_.get(), texts::kIdleTip);
        shownTip_ = texts::kIdleTip;

        display_.emplace(hwnd_);
        platform_.emplace(hwnd_, [this](int state) { Inet1_StateChanged(state); });
        session_.emplace(*platform_);
        platform_->RemoveLeftovers();
        const Record kept{platform_->Setting(kLastUpdateKey), platform_->Setting(kLastSourceKey),
                          platform_->Setting(kPictureTimeKey)};
        session_->Start(StartsAutomatic(platform_->Setting(kKey)), kept, Now(), platform_->HourOffsetSeconds());
        Refresh();
    }

    // At the size the notification area now draws at (it changes with the scale).
    void LoadTrayIcons() {
        const int size = TrayIconSize();
        cloud_ = LoadIconSized(instance_, IDI_CLOUD, size);
        sun_ = LoadIconSized(instance_, IDI_SUN, size);
    }

    // Shows what the session now says: the mode, Update, the icon and its tip, and sets
    // the one timer for its next event, or stops it when none is to come.
    void Refresh() {
        const Moment now = Now();
        const bool automatic = session_->Automatic(), working = session_->Working();
        ::CheckRadioButton(hwnd_, kAutomaticId, kManualId, automatic ? kAutomaticId : kManualId);
        Enable(kUpdateId, session_->UpdateEnabled());
        std::wstring tip = session_->Tip(now);
        // The region chosen but not shown: said where the user looks first. (Asked only
        // when it is the choice: the place comes from the clock and the settings.)
        if (platform_->ShowsRegion())
            if (const wchar_t* why = RegionFaultText())
                tip.insert(std::min(tip.find(L'\n'), tip.size()), std::wstring(L"\n") + why);
        if (tray_ && (tip != shownTip_ || working != shownWorking_)) {
            tray_->Change(working ? sun_.get() : cloud_.get(), tip.c_str());
            // A new wallpaper repaints the desktop; make sure the window is drawn over it again.
            if (shownWorking_ && !working)
                ::RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
            shownTip_ = tip;
            shownWorking_ = working;
        }
        if (const auto ms = session_->WakeInMs(now))
            ::SetTimer(hwnd_, kTimerId, static_cast<UINT>(std::min<std::int64_t>(*ms, USER_TIMER_MAXIMUM)), nullptr);
        else
            ::KillTimer(hwnd_, kTimerId);
    }

    void Inet1_StateChanged(int state) {
        SetText(kLabel1Id, std::to_wstring(state));
        if (const auto texts = DescribeState(state)) {
            SetText(kLabel2Id, texts->name);
            SetText(kLabel3Id, texts->description);
        }
    }

    // Why "Your region" cannot be shown, or nothing when it can.
    const wchar_t* RegionFaultText() const {
        switch (FaultOf(platform_->UsersRegion())) {
        case RegionFault::NoPlace: return texts::kNoRegion;
        case RegionFault::NotSeen: return texts::kRegionUnseen;
        case RegionFault::None: break;
        }
        return nullptr;
    }

    void ShowAbout() {
        if (!about_ || !about_->Handle()) {
            about_ = std::make_unique<AboutWindow>(instance_);
            if (!about_->Create(L"frm_NubiluxInfo", texts::kAboutCaption, 3345, 2535, WS_EX_DLGMODALFRAME, hwnd_))
                return;
        }
        about_->Show();
    }

    // The icon's menu: the window first (the default, as double click and Enter do), where
    // the picture came from, the whole Earth or the region, Update in Manual mode, Exit. It
    // opens at the icon's anchor on the side the user's reading order wants.
    void ShowMenu(POINT at) {
        // One menu at a time: the context key pressed again while it is open opens no second.
        if (menuOpen_) return;
        const ::win32::Flag open(menuOpen_);
        const ::win32::UniqueMenu owned(::CreatePopupMenu());
        const HMENU menu = owned.get();
        if (!menu) return;
        ::AppendMenuW(menu, MF_STRING, kShowCommand, texts::kShowWindow);
        ::SetMenuDefaultItem(menu, kShowCommand, FALSE);
        ::AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
        for (const std::wstring& line : session_->MenuLines(Now()))
            ::AppendMenuW(menu, MF_STRING | MF_GRAYED, kLastUpdateCommand, line.c_str());
        ::AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
        const wchar_t* const why = RegionFaultText();
        const bool region = !why && platform_->ShowsRegion();
        ::AppendMenuW(menu, MF_STRING, kWholeEarthCommand, texts::kWholeEarth);
        ::AppendMenuW(menu, MF_STRING | (why ? MF_GRAYED : 0u), kRegionCommand, texts::kRegion);
        ::CheckMenuRadioItem(menu, kWholeEarthCommand, kRegionCommand, region ? kRegionCommand : kWholeEarthCommand,
                             MF_BYCOMMAND);
        if (why) ::AppendMenuW(menu, MF_STRING | MF_GRAYED, kLastUpdateCommand, why);
        ::AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
        if (!session_->Automatic())
            ::AppendMenuW(menu, MF_STRING | (session_->UpdateEnabled() ? 0u : MF_GRAYED), kUpdateCommand,
                          texts::kUpdate);
        ::AppendMenuW(menu, MF_STRING, kExitCommand, texts::kExit);
        const UINT align = ::GetSystemMetrics(SM_MENUDROPALIGNMENT) ? TPM_RIGHTALIGN : TPM_LEFTALIGN;
        ::SetForegroundWindow(hwnd_);  // so that the menu closes when the user clicks elsewhere
        g_menuEscaped = false;
        HHOOK hook = ::SetWindowsHookExW(WH_MSGFILTER, WatchMenuKeys, nullptr, ::GetCurrentThreadId());
        const UINT chosen = ::TrackPopupMenuEx(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY | TPM_BOTTOMALIGN | align,
                                               at.x, at.y, hwnd_, nullptr);
        if (hook) ::UnhookWindowsHookEx(hook);
        ::PostMessageW(hwnd_, WM_NULL, 0, 0);
        if (chosen == 0 && g_menuEscaped && tray_) tray_->ReturnFocus();
        if (chosen == kShowCommand) ShowWindowInFront();
        if ((chosen == kWholeEarthCommand && region) || (chosen == kRegionCommand && !region)) {
            platform_->Keep(kRegionKey, chosen == kRegionCommand ? L"1" : L"0");
            session_->ShownChosen(Now());
        }
        if (chosen == kUpdateCommand) session_->UpdateClicked(Now());
        if (chosen == kExitCommand) Close(CloseCause::Exit);
    }

    void ShowWindowInFront() {
        ::ShowWindow(hwnd_, SW_SHOW);
        ::SetForegroundWindow(hwnd_);
    }

    void Close(CloseCause cause) {
        switch (OnCloseRequest(cause)) {
        case CloseAction::Hide:
            ::ShowWindow(hwnd_, SW_HIDE);
            return;
        case CloseAction::HideAndAsk: {
            ::ShowWindow(hwnd_, SW_HIDE);
            if (asking_) return;  // the question is open already
            const ::win32::Flag asking(asking_);
            const int answer = ::MessageBoxW(hwnd_, texts::kQuitQuestion, texts::kQuitTitle,
                                             MB_YESNO | MB_ICONSTOP | MB_DEFBUTTON1 | MB_SETFOREGROUND | MB_TOPMOST);
            if (answer == IDYES && hwnd_) ::DestroyWindow(hwnd_);
            return;
        }
        case CloseAction::End:
            ::DestroyWindow(hwnd_);
            return;
        }
    }

    LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override {
        if (tray_ && tray_->OnMessage(msg, wParam)) {
            LoadTrayIcons();  // the taskbar may have come back at another scale
            shownTip_.clear();
            Refresh();
            return 0;
        }
        // The uninstaller of this installation asks: end as at the end of the session.
        if (msg == endMessage_ && endMessage_) {
            Close(CloseCause::SessionEnd);
            return 0;
        }
        const LRESULT result = Handle(msg, wParam, lParam);
        if (session_ && hwnd_ && TellsTheSession(msg)) Refresh();
        return result;
    }

    // The messages that may change what the session says, after which it is shown again.
    static bool TellsTheSession(UINT msg) {
        switch (msg) {
        case kTrayMessage:
        case WM_TIMER:
        case WM_TIMECHANGE:
        case kAttemptState:
        case kAttemptDone:
        case WM_POWERBROADCAST:
        case WM_COMMAND: return true;
        default: return false;
        }
    }

    LRESULT Handle(UINT msg, WPARAM wParam, LPARAM lParam) {
        switch (msg) {
        case kTrayMessage:
            switch (OnTrayMessage(TrayEventOf(lParam, tray_ && tray_->Version4()))) {
            case TrayAction::ShowWindow: ShowWindowInFront(); return 0;
            case TrayAction::ShowMenu: ShowMenu(TrayAnchor(wParam, tray_ && tray_->Version4())); return 0;
            case TrayAction::Nothing: return 0;
            case TrayAction::PassToDefault: break;
            }
            break;
        case WM_TIMER:
            if (wParam == kTimerId) {
                session_->Wake(Now());
                return 0;
            }
            if (wParam == kLayoutTimerId) {
                ::KillTimer(hwnd_, kLayoutTimerId);
                session_->LayoutSettled(Now());
                return 0;
            }
            break;
        case WM_TIMECHANGE:
            return 0;  // the clock was set: the timer is armed again for the hour it now waits for
        case kAttemptState:
            if (wParam == session_->Attempt()) Inet1_StateChanged(static_cast<int>(lParam));
            return 0;
        case kAttemptDone:
            if (const auto report = TakeReport(lParam)) session_->AttemptEnded(*report, Now());
            return 0;
        case WM_DISPLAYCHANGE:
            ::SetTimer(hwnd_, kLayoutTimerId, kLayoutSettleMs, nullptr);
            break;
        case kShowWindow:
            ShowWindowInFront();
            return 0;
        case WM_POWERBROADCAST:
            // Back from sleep: this hour's picture, if it is missing.
            if (wParam == PBT_APMRESUMEAUTOMATIC || wParam == PBT_APMRESUMESUSPEND) session_->Resumed(Now());
            if (const auto on = DisplayOn(wParam, lParam)) session_->DisplayChanged(*on, Now());
            return TRUE;
        case WM_COMMAND:
            if (HIWORD(wParam) != BN_CLICKED) break;
            switch (LOWORD(wParam)) {
            case kUpdateId: session_->UpdateClicked(Now()); return 0;
            case kInfoId: ShowAbout(); return 0;
            case kAutomaticId: session_->SelectMode(true, Now()); return 0;
            case kManualId: session_->SelectMode(false, Now()); return 0;
            }
            break;
        case WM_SYSCOMMAND:
            // The close box, Alt+F4 and the system menu come this way.
            if ((wParam & 0xFFF0) == SC_CLOSE) {
                Close(CloseCause::User);
                return 0;
            }
            break;
        case WM_CLOSE:
            // Not from the user's own close box: another program asks, as Task Manager does.
            Close(CloseCause::FromOutside);
            return 0;
        case WM_QUERYENDSESSION:
            return TRUE;
        case WM_ENDSESSION:
            if (wParam) Close(CloseCause::SessionEnd);  // Windows is ending the session: no question
            return 0;
        case WM_DESTROY:
            // An update under way ends here; the previous picture stays whole.
            if (session_) session_->Stop();
            ::KillTimer(hwnd_, kTimerId);
            tray_.reset();
            display_.reset();
            session_.reset();
            ::PostQuitMessage(0);
            return 0;
        }
        return Default(msg, wParam, lParam);
    }

    std::optional<DisplayNotices> display_;
    std::optional<nubilux::win32::Platform> platform_;
    std::optional<Session> session_;
    const UINT endMessage_ = ::win32::NubiluxEndMessage();
    bool asking_ = false;
    bool menuOpen_ = false;  // the icon's menu is open
    HFONT font_ = nullptr;
    ::win32::UniqueIcon cloud_, sun_;
    std::optional<nubilux::win32::TrayIcon> tray_;
    std::wstring shownTip_;       // what the icon shows now
    bool shownWorking_ = false;
    std::unique_ptr<AboutWindow> about_;
};

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
    ::win32::RestrictDllSearch();
    // An attempt's worker: no window, no icon, not the one instance.
    if (const auto arguments = ::win32::CommandArguments(); IsWorkerCommand(arguments)) return RunWorker(arguments);

    // One instance: a second start brings the running one's window back.
    ::win32::UniqueHandle single(::CreateMutexW(nullptr, FALSE, L"Local\\QuintarisNubilux"));
    if (single && ::GetLastError() == ERROR_ALREADY_EXISTS) {
        // Asked, not waited on: the running one shows itself, and may come to the front.
        if (HWND running = ::FindWindowW(kMainClass, nullptr)) {
            DWORD process = 0;
            ::GetWindowThreadProcessId(running, &process);
            ::AllowSetForegroundWindow(process);
            ::PostMessageW(running, nubilux::win32::kShowWindow, 0, 0);
        }
        return 0;
    }

    if (FAILED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 1;
    int result = 1;
    {
        MainWindow window(instance);
        if (window.Create(kMainClass, texts::kCaption, 2700, 945, WS_EX_DLGMODALFRAME)) {
            // Started hidden (a silent deployment's first run): its icon only, the window a
            // double click away.
            if (show != SW_HIDE) window.Show();
            result = ::win32::RunMessageLoop();
        } else {
            const std::wstring message = std::wstring(texts::kCannotShow) + L"\n\n" + ::win32::LastError().description;
            ::MessageBoxW(nullptr, message.c_str(), texts::kQuitTitle, MB_OK | MB_ICONERROR);
        }
    }
    ::CoUninitialize();
    return result;
}
