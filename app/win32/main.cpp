// Nubilux.exe: keeps the wallpaper up to date with the latest satellite picture, from
// the notification area. The window translates Windows' messages into the session's
// events and shows what the session answers.
#include <windows.h>

#include <objbase.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <string>

#include "app/session.h"
#include "app/status.h"
#include "app/texts.h"
#include "app/win32/about_window.h"
#include "app/win32/clock.h"
#include "app/win32/instance.h"
#include "app/win32/messages.h"
#include "app/win32/platform.h"
#include "app/win32/power.h"
#include "app/win32/tray_icon.h"
#include "app/win32/worker.h"
#include "app/window_rules.h"
#include "common/text.h"
#include "common/win32/command_line.h"
#include "common/win32/error.h"
#include "common/win32/form.h"
#include "common/win32/nubilux_window.h"
#include "common/win32/startup.h"
#include "res/nubilux_resource.h"

namespace {

using namespace nubilux;
using namespace nubilux::win32;

constexpr int kUpdateId = 100, kInfoId = 101, kFrameId = 102, kAutomaticId = 103, kManualId = 104,
              kLabel1Id = 105, kLabel2Id = 106, kLabel3Id = 107;
constexpr int kExitCommand = 200, kUpdateCommand = 201, kLastUpdateCommand = 202, kShowCommand = 203,
              kWholeEarthCommand = 204, kRegionCommand = 205;
// One timer, due when the session next has something to do.
constexpr UINT_PTR kTimerId = 1;

Moment Now() { return {static_cast<std::int64_t>(::GetTickCount64()), LocalSeconds()}; }

// frm_Nubilux.
class MainWindow final : public ::win32::Form {
public:
    explicit MainWindow(HINSTANCE instance) : Form(instance, IDI_CLOUD) {}

    // What the message loop waits on besides messages, and what it does when one is set.
    std::vector<HANDLE> Waiting() const { return platform_ ? platform_->Waiting() : std::vector<HANDLE>{}; }
    void Poll() { platform_->Poll(); }

private:
    void OnCreate() override {
        font_ = Font(L"Microsoft Sans Serif", 8.25, false);
        // Made in tab order.
        Control(L"BUTTON", texts::kUpdate, WS_VISIBLE | WS_TABSTOP, 0, 600, 1335, 345, kUpdateId, font_);
        Control(L"BUTTON", texts::kInfo, WS_VISIBLE | WS_TABSTOP, 1350, 600, 1335, 345, kInfoId, font_);
        Control(L"BUTTON", texts::kFrame, WS_VISIBLE | BS_GROUPBOX, 0, 0, 2685, 585, kFrameId, font_);
        Control(L"BUTTON", texts::kAutomatic, WS_VISIBLE | WS_TABSTOP | WS_GROUP | BS_AUTORADIOBUTTON, 150, 240, 1215,
                195, kAutomaticId, font_);
        Control(L"BUTTON", texts::kManual, WS_VISIBLE | BS_AUTORADIOBUTTON, 1380, 240, 915, 195, kManualId, font_);
        // The status fields lie below the client area: never seen, kept for diagnosis.
        Control(L"STATIC", L"", WS_VISIBLE, 120, 1800, 375, 255, kLabel1Id, font_);
        Control(L"STATIC", L"", WS_VISIBLE, 480, 1800, 2295, 255, kLabel2Id, font_);
        Control(L"STATIC", L"", WS_VISIBLE, 120, 2160, 2655, 255, kLabel3Id, font_);

        KeepOnTop(hwnd_);
        tray_.emplace(hwnd_, kTrayMessage, instance_, IDI_CLOUD, IDI_SUN, texts::kIdleTip);

        display_.emplace(hwnd_);
        platform_.emplace(hwnd_);
        session_.emplace(*platform_);
        session_->Start(platform_->ReadKept());
        Refresh();
    }

    // Shows what the session now says: the mode, Update, the icon and its tip, and sets
    // the one timer for its next event, or stops it when none is to come.
    void Refresh() {
        const Moment now = Now();
        const bool automatic = session_->Automatic(), working = session_->Working();
        ::CheckRadioButton(hwnd_, kAutomaticId, kManualId, automatic ? kAutomaticId : kManualId);
        Enable(kUpdateId, session_->UpdateEnabled());
        const std::wstring tip = session_->Tip(now);
        if (const auto state = session_->DownloadState(); state && *state != shownState_) Inet1_StateChanged(*state);
        if (tray_ && (tip != shownTip_ || working != shownWorking_)) {
            tray_->Change(working, tip.c_str());
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
        shownState_ = state;
        SetText(kLabel1Id, suite::Decimal(state));
        const auto texts = DescribeState(state);
        SetText(kLabel2Id, texts ? texts->name : L"");
        SetText(kLabel3Id, texts ? texts->description : L"");
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
        const wchar_t* const why = session_->RegionNote();
        const bool region = session_->RegionShown();
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
        const UINT chosen = tray_ ? tray_->TrackMenu(menu, at) : 0;
        if (chosen == kShowCommand) ShowWindowInFront();
        if (chosen == kWholeEarthCommand || chosen == kRegionCommand) session_->ChooseRegion(chosen == kRegionCommand, Now());
        if (chosen == kUpdateCommand) session_->UpdateClicked(Now());
        if (chosen == kExitCommand) Close(CloseCause::Exit);
    }

    void ShowWindowInFront() {
        ::ShowWindow(hwnd_, SW_SHOW);
        ::SetForegroundWindow(hwnd_);
    }

    void Close(CloseCause cause) {
        switch (OnCloseRequest(cause)) {
        case CloseAction::Hide: ::ShowWindow(hwnd_, SW_HIDE); return;
        case CloseAction::HideAndAsk: {
            ::ShowWindow(hwnd_, SW_HIDE);
            if (asking_) return;  // the question is open already
            const ::win32::Flag asking(asking_);
            const int answer = ::MessageBoxW(hwnd_, texts::kQuitQuestion, texts::kQuitTitle,
                                             MB_YESNO | MB_ICONSTOP | MB_DEFBUTTON1 | MB_SETFOREGROUND | MB_TOPMOST);
            if (answer == IDYES && hwnd_) ::DestroyWindow(hwnd_);
            return;
        }
        case CloseAction::End: ::DestroyWindow(hwnd_); return;
        }
    }

    LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override {
        if (tray_ && tray_->OnMessage(msg, wParam)) {
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
        for (const UINT teller : {kTrayMessage, UINT{WM_TIMER}, UINT{WM_TIMECHANGE}, UINT{WM_DISPLAYCHANGE}, kAttemptState,
                                  kAttemptDone, UINT{WM_POWERBROADCAST}, UINT{WM_COMMAND}})
            if (msg == teller) return true;
        return false;
    }

    LRESULT Handle(UINT msg, WPARAM wParam, LPARAM lParam) {
        switch (msg) {
        case kTrayMessage:
            if (!tray_) break;
            switch (OnTrayMessage(tray_->EventOf(lParam))) {
            case TrayAction::ShowWindow: ShowWindowInFront(); return 0;
            case TrayAction::ShowMenu: ShowMenu(tray_->Anchor(wParam)); return 0;
            case TrayAction::Nothing: return 0;
            case TrayAction::PassToDefault: break;
            }
            break;
        case WM_TIMER:
            if (wParam == kPollTimerId) platform_->Poll();
            if (wParam == kTimerId) session_->Wake(Now());
            return 0;
        case WM_TIMECHANGE:
            return 0;  // the clock was set: the timer is armed again for the hour it now waits for
        case kAttemptState:
            session_->AttemptState(static_cast<unsigned>(wParam), static_cast<int>(lParam));
            return 0;
        case kAttemptDone:
            if (const auto report = TakeReport(lParam)) session_->AttemptEnded(*report, Now());
            return 0;
        case WM_DISPLAYCHANGE:
            session_->LayoutChanged(Now());
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
            case kInfoId: ShowAbout(about_, instance_, hwnd_); return 0;
            case kAutomaticId: session_->SelectMode(true); return 0;
            case kManualId: session_->SelectMode(false); return 0;
            }
            break;
        case WM_SYSCOMMAND:
            // The close box, Alt+F4 and the system menu come this way.
            if ((wParam & 0xFFF0) != SC_CLOSE) break;
            Close(CloseCause::User);
            return 0;
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
            if (session_) session_->Stop(Now());
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
    bool asking_ = false, menuOpen_ = false;  // the quit question, the icon's menu, is open
    HFONT font_ = nullptr;
    std::optional<nubilux::win32::TrayIcon> tray_;
    std::wstring shownTip_;       // what the icon shows now
    bool shownWorking_ = false;
    int shownState_ = -1;         // the download state the status fields show
    std::unique_ptr<AboutWindow> about_;
};

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
    ::win32::RestrictDllSearch();
    // One of its own helpers: no window, no icon, not the one instance.
    if (const auto helper = RunAsHelper(::win32::CommandArguments())) return *helper;

    const auto single = ClaimTheOneInstance();
    if (!single) return 0;

    if (FAILED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 1;
    int result = 1;
    {
        MainWindow window(instance);
        if (window.Create(::win32::kNubiluxWindowClass, texts::kCaption, 2700, 945, WS_EX_DLGMODALFRAME)) {
            // Started hidden (a silent deployment's first run): its icon only, the window a
            // double click away.
            if (show != SW_HIDE) window.Show();
            result = ::win32::RunMessageLoop([&window] { return window.Waiting(); }, [&window] { window.Poll(); });
        } else {
            const std::wstring message = std::wstring(texts::kCannotShow) + L"\n\n" + ::win32::LastError().description;
            ::MessageBoxW(nullptr, message.c_str(), texts::kQuitTitle, MB_OK | MB_ICONERROR);
        }
    }
    ::CoUninitialize();
    return result;
}
