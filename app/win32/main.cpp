// Nubilux.exe: keeps the wallpaper up to date with the latest satellite picture, from
// the notification area.
#include <windows.h>

#include <objbase.h>
#include <shellapi.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <string>

#include "app/addresses.h"
#include "app/config.h"
#include "app/hourly.h"
#include "app/monitors.h"
#include "app/status.h"
#include "app/texts.h"
#include "app/update.h"
#include "app/views.h"
#include "app/win32/clock.h"
#include "app/win32/desktop.h"
#include "app/win32/messages.h"
#include "app/win32/platform.h"
#include "app/win32/tray_icon.h"
#include "app/window_rules.h"
#include "common/win32/error.h"
#include "common/win32/form.h"
#include "common/win32/nubilux_window.h"
#include "common/win32/profile_store.h"
#include "common/win32/startup.h"
#include "res/nubilux_resource.h"

namespace {

using namespace nubilux;
using namespace nubilux::win32;

constexpr const wchar_t* kMainClass = ::win32::kNubiluxWindowClass;
constexpr int kUpdateId = 100, kInfoId = 101, kFrameId = 102, kAutomaticId = 103, kManualId = 104,
              kLabel1Id = 105, kLabel2Id = 106, kLabel3Id = 107;
constexpr int kAboutTextId = 100, kLinkId = 101, kCreditsId = 102;
constexpr int kExitCommand = 200, kUpdateCommand = 201, kLastUpdateCommand = 202;
// One timer, due at the next event: while an update runs, its attempt's deadline; at rest
// in Automatic mode, the next clock hour or retry; none at rest in Manual mode.
constexpr UINT_PTR kTimerId = 1, kLayoutTimerId = 2;
constexpr UINT kFirstTickMs = 1000;  // Automatic's first update comes about a second after it takes effect
// Monitors are looked at again this long after the last change: a layout that settles
// through several changes (docking, a resolution switch) makes one download, not many.
constexpr UINT kLayoutSettleMs = 60 * 1000;
constexpr COLORREF kBlue = RGB(0, 0, 255), kPurple = RGB(128, 0, 128);

HICON LoadIconSized(HINSTANCE instance, int id, int size) {
    return static_cast<HICON>(::LoadImageW(instance, MAKEINTRESOURCEW(id), IMAGE_ICON, size, size, LR_SHARED));
}

void KeepOnTop(HWND hwnd) { ::SetWindowPos(hwnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE); }

std::int64_t MonotonicMs() { return static_cast<std::int64_t>(::GetTickCount64()); }

// frm_NubiluxInfo.
class AboutWindow final : public ::win32::Form {
public:
    explicit AboutWindow(HINSTANCE instance) : Form(instance, IDI_CLOUD) {}

private:
    void OnCreate() override {
        boldFont_ = Font(L"MS Sans Serif", 8.25, true);
        font_ = Font(L"MS Sans Serif", 8.25, false);
        Control(L"STATIC", texts::kAboutText, WS_VISIBLE | SS_CENTER | SS_NOPREFIX, 120, 120, 3135, 885, kAboutTextId,
                boldFont_.get());
        Control(L"STATIC", texts::kAboutCredits, WS_VISIBLE | SS_CENTER | SS_NOPREFIX, 120, 1035, 3135, 390, kCreditsId,
                font_.get());
        const std::wstring link = std::wstring(L" ") + kWebSite;
        Control(L"STATIC", link.c_str(), WS_VISIBLE | SS_CENTER | SS_NOPREFIX | SS_NOTIFY, 120, 1440, 3135, 225, kLinkId,
                font_.get());
        ::SetFocus(Control(L"BUTTON", texts::kAboutOk, WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 990, 2040, 1335,
                           345, IDOK, font_.get()));
        KeepOnTop(hwnd_);
    }

    LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override {
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

    ::win32::UniqueFont boldFont_, font_;
    bool visited_ = false;
};

// frm_Nubilux.
class MainWindow final : public ::win32::Form {
public:
    explicit MainWindow(HINSTANCE instance) : Form(instance, IDI_CLOUD) {}

private:
    void OnCreate() override {
        font_ = Font(L"MS Sans Serif", 8.25, false);
        // Made in tab order.
        Control(L"BUTTON", texts::kUpdate, WS_VISIBLE | WS_TABSTOP, 0, 600, 1335, 345, kUpdateId, font_.get());
        Control(L"BUTTON", texts::kInfo, WS_VISIBLE | WS_TABSTOP, 1350, 600, 1335, 345, kInfoId, font_.get());
        Control(L"BUTTON", texts::kFrame, WS_VISIBLE | BS_GROUPBOX, 0, 0, 2685, 585, kFrameId, font_.get());
        Control(L"BUTTON", texts::kAutomatic, WS_VISIBLE | WS_TABSTOP | WS_GROUP | BS_AUTORADIOBUTTON, 150, 240, 1215,
                195, kAutomaticId, font_.get());
        Control(L"BUTTON", texts::kManual, WS_VISIBLE | BS_AUTORADIOBUTTON, 1380, 240, 915, 195, kManualId,
                font_.get());
        // The status fields lie below the client area: never seen, kept for diagnosis.
        Control(L"STATIC", L"", WS_VISIBLE, 120, 1800, 375, 255, kLabel1Id, font_.get());
        Control(L"STATIC", L"", WS_VISIBLE, 480, 1800, 2295, 255, kLabel2Id, font_.get());
        Control(L"STATIC", L"", WS_VISIBLE, 120, 2160, 2655, 255, kLabel3Id, font_.get());

        KeepOnTop(hwnd_);
        cloud_ = LoadIconSized(instance_, IDI_CLOUD, ::GetSystemMetrics(SM_CXSMICON));
        sun_ = LoadIconSized(instance_, IDI_SUN, ::GetSystemMetrics(SM_CXSMICON));
        tray_.emplace(hwnd_, kTrayCallback, cloud_, texts::kIdleTip);

        platform_.emplace(
            hwnd_, [this](int state) { Inet1_StateChanged(state); }, [this](bool working) { ShowWorking(working); },
            [this](const Source* from, Reason why) { Finished(from, why); });
        updater_.emplace(*platform_);
        platform_->RemoveLeftovers();

        userFolder_ = nubilux::win32::UserFolder();
        lastUpdate_ = Setting(kLastUpdateKey);
        lastSource_ = Setting(kLastSourceKey);
        pictureTime_ = Setting(kPictureTimeKey);
        SelectMode(StartsAutomatic(Setting(kKey)), false);
    }

    // A setting of the user's own Nubilux.ini, else of the one beside the program.
    std::wstring Setting(const wchar_t* key) const {
        ::win32::ProfileStore store;
        return ReadSetting(store, userFolder_, ::win32::ProgramFolder(), key);
    }

    // Written where a standard user may write; a file that cannot be written is passed over.
    void KeepSetting(const wchar_t* key, const std::wstring& value) const {
        if (userFolder_.empty()) return;
        const std::wstring file = suite::JoinPath(userFolder_, kConfigFile);
        ::WritePrivateProfileStringW(kSection, key, value.c_str(), file.c_str());
    }

    // Option1_Click: Automatic runs the timer and disables Update; Manual the other way.
    void SelectMode(bool automatic, bool byUser) {
        automatic_ = automatic;
        ::CheckRadioButton(hwnd_, kAutomaticId, kManualId, automatic ? kAutomaticId : kManualId);
        ::EnableWindow(::GetDlgItem(hwnd_, kUpdateId), !automatic && !updater_->Running());
        ArmTimer();
        if (tray_ && !updater_->Running()) tray_->Change(cloud_, IdleTip().c_str());  // the next try moves
        // The user's choice is kept for the next start.
        if (byUser) KeepSetting(kKey, StoredMode(automatic));
    }

    // Sets the one timer for the next event, or stops it when none is to come.
    void ArmTimer() {
        std::int64_t ms = -1;
        if (const auto deadline = updater_->Deadline()) {
            ms = std::max<std::int64_t>(1, *deadline - MonotonicMs());
        } else if (automatic_ && !updater_->Running()) {
            const std::int64_t seconds = schedule_.SecondsUntilDue(LocalSeconds());
            ms = seconds ? seconds * 1000 : kFirstTickMs;
        }
        if (ms < 0)
            ::KillTimer(hwnd_, kTimerId);
        else
            ::SetTimer(hwnd_, kTimerId, static_cast<UINT>(ms), nullptr);
    }

    // Timer1_Timer: the attempt's deadline while an update runs, else Automatic's next update.
    void OnTimer() {
        if (updater_->Running())
            updater_->OnClock(MonotonicMs());
        else if (automatic_ && schedule_.Tick(LocalSeconds()) && !MeteredPause())
            Update();
        ArmTimer();
    }

    void Inet1_StateChanged(int state) {
        SetText(kLabel1Id, std::to_wstring(state));
        if (const auto texts = DescribeState(state)) {
            SetText(kLabel2Id, texts->name);
            SetText(kLabel3Id, texts->description);
        }
    }

    // The sun while an update runs; the cloud, with the update's outcome, comes in Finished.
    void ShowWorking(bool working) {
        if (tray_ && working) tray_->Change(sun_, texts::kWorkingTip);
        // A new wallpaper repaints the desktop; make sure the window is drawn over it again.
        if (!working) ::RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
    }

    // Automatic mode's own updates wait while Windows says the connection is metered.
    bool MeteredPause() {
        meteredSkip_ = IsMetered(ConnectionCost());
        return meteredSkip_;
    }

    // One picture per monitor size, each from the view above the user first.
    void Update() {
        if (updater_->Running()) return;
        const std::vector<PicturePlan> plan = PlanPictures(WallpaperMonitors(), PrimaryScreen());
        const std::vector<View> views = ViewOrder(ViewNamed(Setting(kViewKey)), nubilux::win32::UserLongitude());
        const std::wstring own = Setting(kAddressKey);
        const std::int64_t now = NowUtc();
        std::vector<Source> sources;
        for (std::size_t i = 0; i < plan.size(); ++i)
            for (Source& source : SourcesFor(own, views, plan[i].size, now, static_cast<int>(i)))
                sources.push_back(std::move(source));
        madeFor_ = PlannedSizes(plan);
        shownTakenAt_ = -1;
        platform_->Plan(plan);
        if (!updater_->Aggiorna_Sfondo(std::move(sources), MonotonicMs())) return;
        // Running: a click or tick starts nothing, and the deadline is watched.
        if (updater_->Running()) ::EnableWindow(::GetDlgItem(hwnd_, kUpdateId), FALSE);
        ArmTimer();
    }

    void Finished(const Source* from, Reason why) {
        ::EnableWindow(::GetDlgItem(hwnd_, kUpdateId), !automatic_);
        SYSTEMTIME now;
        const std::int64_t seconds = LocalSeconds(&now);
        // Retrying soon cannot help a computer that could not keep the picture.
        schedule_.Finished(from != nullptr, seconds, !IsLocal(why));
        ArmTimer();
        failedAt_ = from ? L"" : StoredStamp(now);
        failure_ = why;
        if (from) Installed(*from, now);
        if (tray_) tray_->Change(cloud_, IdleTip().c_str());
    }

    // The update's picture is on the desktop: where it came from is kept for the menu.
    void Installed(const Source& from, const SYSTEMTIME& now) {
        meteredSkip_ = false;
        lastUpdate_ = StoredStamp(now);
        lastSource_ = from.name;
        SYSTEMTIME taken;
        pictureTime_ = shownTakenAt_ > 0 && LocalTimeOf(shownTakenAt_, taken) ? StoredStamp(taken) : L"";
        KeepSetting(kLastUpdateKey, lastUpdate_);
        KeepSetting(kLastSourceKey, lastSource_);
        KeepSetting(kPictureTimeKey, pictureTime_);
    }

    // A new layout of monitors has settled: its pictures follow, if the ones on the
    // desktop were made for another.
    void LayoutSettled() {
        ::KillTimer(hwnd_, kLayoutTimerId);
        if (!automatic_ || updater_->Running() || madeFor_.empty()) return;
        if (PlannedSizes(PlanPictures(WallpaperMonitors(), PrimaryScreen())) == madeFor_) return;
        if (!MeteredPause()) Update();
    }

    // What the menu's greyed line and the tooltip tell: the last update's failure, when
    // it failed, else where the picture on the desktop came from.
    std::wstring LastUpdateText() const {
        if (updater_->Running()) return texts::kUpdating;
        if (!failedAt_.empty()) {
            std::wstring next;
            if (automatic_) {
                const std::int64_t now = LocalSeconds();
                next = ShownStamp(StoredStamp(WallClockTime(now + schedule_.SecondsUntilDue(now))), false);
            }
            return FailureLine(ShownStamp(failedAt_, false), failure_, next);
        }
        if (lastUpdate_ == kNothingRead) return texts::kNotUpdatedYet;
        std::wstring text = texts::kUpdatedAt + ShownStamp(lastUpdate_);
        if (lastSource_ != kNothingRead) text += texts::kUpdatedFrom + lastSource_;
        if (pictureTime_ != kNothingRead && !pictureTime_.empty()) text += texts::kPictureOf + ShownStamp(pictureTime_, false);
        return text;
    }

    // The caption, and below it what the menu's greyed line tells.
    std::wstring IdleTip() const {
        const std::wstring line = LastUpdateText();
        return line == texts::kNotUpdatedYet ? texts::kIdleTip : std::wstring(texts::kIdleTip) + L"\n" + line;
    }

    void ShowAbout() {
        if (!about_ || !about_->Handle()) {
            about_ = std::make_unique<AboutWindow>(instance_);
            if (!about_->Create(L"frm_NubiluxInfo", texts::kAboutCaption, 3345, 2535, WS_EX_DLGMODALFRAME, hwnd_))
                return;
        }
        about_->Show();
    }

    void ShowMenu() {
        const ::win32::UniqueMenu owned(::CreatePopupMenu());
        const HMENU menu = owned.get();
        if (!menu) return;
        if (meteredSkip_ && automatic_ && !updater_->Running())
            ::AppendMenuW(menu, MF_STRING | MF_GRAYED, kLastUpdateCommand, texts::kMeteredPause);
        ::AppendMenuW(menu, MF_STRING | MF_GRAYED, kLastUpdateCommand, LastUpdateText().c_str());
        ::AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
        if (!automatic_)
            ::AppendMenuW(menu, MF_STRING | (updater_->Running() ? MF_GRAYED : 0u), kUpdateCommand, texts::kUpdate);
        ::AppendMenuW(menu, MF_STRING, kExitCommand, texts::kExit);
        POINT at;
        ::GetCursorPos(&at);
        ::SetForegroundWindow(hwnd_);  // so that the menu closes when the user clicks elsewhere
        const UINT chosen = ::TrackPopupMenuEx(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, at.x, at.y,
                                               hwnd_, nullptr);
        ::PostMessageW(hwnd_, WM_NULL, 0, 0);
        if (chosen == kUpdateCommand) Update();
        if (chosen == kExitCommand) Close(CloseCause::Exit);
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
        if (tray_ && tray_->OnMessage(msg)) return 0;
        // The uninstaller of this installation asks: end as at the end of the session.
        if (msg == endMessage_ && endMessage_) {
            Close(CloseCause::SessionEnd);
            return 0;
        }
        switch (msg) {
        case kTrayMessage:
            switch (OnTrayMessage(static_cast<unsigned>(lParam))) {
            case TrayAction::ShowWindow: ::ShowWindow(hwnd_, SW_SHOW); return 0;
            case TrayAction::ShowMenu: ShowMenu(); return 0;
            case TrayAction::Nothing: return 0;
            case TrayAction::PassToDefault: break;
            }
            break;
        case WM_TIMER:
            if (wParam == kTimerId) {
                OnTimer();
                return 0;
            }
            if (wParam == kLayoutTimerId) {
                LayoutSettled();
                return 0;
            }
            break;
        case WM_TIMECHANGE:
            // The clock was set: the next hour falls elsewhere, or has come already.
            ArmTimer();
            return 0;
        case kAttemptState:
            if (wParam == updater_->Attempt()) Inet1_StateChanged(static_cast<int>(lParam));
            return 0;
        case kAttemptDone: {
            const auto number = static_cast<unsigned>(wParam);
            const Ending ending = EndingOf(lParam);
            // When the picture the menu tells of was taken: the update's first one installed,
            // the primary monitor's unless that failed.
            if (ending == Ending::Installed && number == updater_->Attempt() && updater_->Running() && shownTakenAt_ < 0)
                shownTakenAt_ = platform_->TakenAt(number);
            updater_->OnAttemptDone(number, ending, ReasonOf(lParam), MonotonicMs());
            ArmTimer();  // the next attempt's deadline
            return 0;
        }
        case WM_DISPLAYCHANGE:
            ::SetTimer(hwnd_, kLayoutTimerId, kLayoutSettleMs, nullptr);
            break;
        case kShowWindow:
            ::ShowWindow(hwnd_, SW_SHOW);
            ::SetForegroundWindow(hwnd_);
            return 0;
        case WM_POWERBROADCAST:
            // Back from sleep: fetch this hour's picture if it is missing.
            if ((wParam == PBT_APMRESUMEAUTOMATIC || wParam == PBT_APMRESUMESUSPEND) && automatic_ &&
                !updater_->Running() && schedule_.Resumed(LocalSeconds()) && !MeteredPause())
                Update();
            ArmTimer();  // the hour it was armed for may have passed while asleep
            return TRUE;
        case WM_COMMAND:
            if (HIWORD(wParam) != BN_CLICKED) break;
            switch (LOWORD(wParam)) {
            case kUpdateId:  // greyed in Automatic mode: a click sent to it anyway starts nothing
                if (!automatic_) Update();
                return 0;
            case kInfoId: ShowAbout(); return 0;
            case kAutomaticId: SelectMode(true, true); return 0;
            case kManualId: SelectMode(false, true); return 0;
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
            updater_->Stop();
            ::KillTimer(hwnd_, kTimerId);
            tray_.reset();
            ::PostQuitMessage(0);
            return 0;
        }
        return Default(msg, wParam, lParam);
    }

    std::optional<nubilux::win32::Platform> platform_;
    std::optional<Updater> updater_;
    Schedule schedule_;
    std::wstring userFolder_, lastUpdate_, lastSource_, pictureTime_;
    std::vector<Screen> madeFor_;   // the monitor sizes the last update's pictures were made for
    std::int64_t shownTakenAt_ = -1;  // when the update's picture was taken: 0 unknown, -1 none yet
    std::wstring failedAt_;         // when the last update failed, as kept stamps are; empty after a success
    Reason failure_ = Reason::None;  // and why
    bool meteredSkip_ = false;      // Automatic's last update was skipped on a metered connection
    const UINT endMessage_ = ::win32::NubiluxEndMessage();
    bool automatic_ = false;
    bool asking_ = false;
    ::win32::UniqueFont font_;
    HICON cloud_ = nullptr, sun_ = nullptr;
    std::optional<nubilux::win32::TrayIcon> tray_;
    std::unique_ptr<AboutWindow> about_;
};

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    ::win32::RestrictDllSearch();

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
            window.Show();
            result = ::win32::RunMessageLoop();
        } else {
            const std::wstring message = std::wstring(texts::kCannotShow) + L"\n\n" + ::win32::LastError().description;
            ::MessageBoxW(nullptr, message.c_str(), texts::kQuitTitle, MB_OK | MB_ICONERROR);
        }
    }
    ::CoUninitialize();
    // A transfer's thread may still be blocked in a server's call: end without waiting on it.
    if (nubilux::win32::Transfer::AnyRunning()) ::TerminateProcess(::GetCurrentProcess(), static_cast<UINT>(result));
    return result;
}
