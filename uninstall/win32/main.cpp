// uninstall.exe: asks once, then removes the shortcuts and Start-menu folders the
// installer made.
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "common/layout.h"
#include "common/setup_log.h"
#include "common/switches.h"
#include "common/text.h"
#include "common/win32/account.h"
#include "common/win32/command_line.h"
#include "common/win32/elevation.h"
#include "common/win32/error.h"
#include "common/win32/files.h"
#include "common/win32/form.h"
#include "common/win32/profile_store.h"
#include "common/win32/setup_log.h"
#include "common/win32/special_folder.h"
#include "common/win32/startup.h"
#include "res/setup_resource.h"
#include "uninstall/flow.h"
#include "uninstall/texts.h"
#include "uninstall/win32/platform.h"

namespace {

constexpr int kOkId = 100, kAnnullaId = 101, kPictureId = 102, kLabel2Id = 103, kUnloadId = 104, kLabel1Id = 105,
              kStaysId = 106;
constexpr COLORREF kDarkRed = RGB(128, 0, 0);

// frmUnInstall.
class UninstallWindow final : public win32::Form {
public:
    UninstallWindow(HINSTANCE instance, uninstall::Platform& platform, uninstall::UninstallState state,
                    uninstall::Opening opening)
        : Form(instance, IDI_SETUP), platform_(platform), state_(std::move(state)), opening_(std::move(opening)) {}

private:
    void OnCreate() override {
        font_ = Font(L"MS Sans Serif", 8.25, false);
        boldFont_ = Font(L"MS Sans Serif", 8.25, true);
        // Made in tab order: "Procedi" first, so it has the focus.
        HWND ok = Control(L"BUTTON", uninstall::texts::kOk, WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 1800, 960,
                          1215, 375, kOkId, font_);
        Control(L"BUTTON", uninstall::texts::kCancel, WS_VISIBLE | WS_TABSTOP, 3600, 960, 1215, 375, kAnnullaId,
                font_);
        Picture(IDB_LOGO, 120, 120, 1335, 1215, kPictureId);
        Control(L"STATIC", L"", WS_VISIBLE | SS_CENTER | SS_NOPREFIX | SS_EDITCONTROL, 1560, 120, 3495, 255, kLabel2Id,
                boldFont_);
        Control(L"BUTTON", uninstall::texts::kClose, WS_TABSTOP, 1560, 960, 3495, 375, kUnloadId, font_);
        Control(L"STATIC", L"", SS_CENTER | SS_NOPREFIX | SS_EDITCONTROL, 1560, 420, 3495, 495, kLabel1Id, font_);
        // Beneath the outcome: what stays on the computer; the window grows to show it.
        Control(L"STATIC", L"", SS_LEFT | SS_NOPREFIX | SS_EDITCONTROL, 120, 1425, 4935, 0, kStaysId, font_);
        if (opening_.CanProceed()) {
            SetText(kLabel2Id, opening_.texts.label2);
            SetText(kLabel1Id, opening_.texts.label1);  // whose installation, when another's
            FitLabel(kLabel2Id);
            FitLabel(kLabel1Id);
            Display(kLabel1Id, !opening_.texts.label1.empty());
            ::SetFocus(ok);
        } else {
            ShowOutcome(opening_.texts);  // nothing can be told: nothing is offered but "Chiudi"
        }
    }

    // After either choice only "Chiudi" is left.
    void ShowOutcome(const uninstall::WindowTexts& texts) {
        SetText(kLabel2Id, texts.label2);
        SetText(kLabel1Id, texts.label1);
        SetText(kStaysId, texts.stays);
        FitLabel(kLabel2Id);
        FitLabel(kLabel1Id);
        FitLabel(kStaysId);
        Display(kLabel1Id, !texts.label1.empty());
        Display(kStaysId, !texts.stays.empty());
        if (!texts.stays.empty()) GrowBy(120);  // a margin beneath it
        Display(kOkId, false);
        Display(kAnnullaId, false);
        // "Chiudi" is now the button Enter presses, and looks it.
        ::SendMessageW(hwnd_, DM_SETDEFID, kUnloadId, 0);
        ::SendMessageW(::GetDlgItem(hwnd_, kUnloadId), BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
        Display(kUnloadId, true);
        ::SetFocus(::GetDlgItem(hwnd_, kUnloadId));
    }

    LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override {
        switch (msg) {
        case WM_COMMAND:
            if (HIWORD(wParam) != BN_CLICKED) break;
            switch (LOWORD(wParam)) {
            case kOkId:
                if (const auto texts = uninstall::cmd_OK_Click(platform_, state_, opening_)) ShowOutcome(*texts);
                return 0;
            case IDCANCEL:  // Escape: "Annulla" while it is offered, else "Chiudi"
                if (opening_.CanProceed()) {
                    if (const auto texts = uninstall::cmd_Annulla_Click(state_, opening_)) ShowOutcome(*texts);
                    return 0;
                }
                [[fallthrough]];
            case kUnloadId: ::DestroyWindow(hwnd_); return 0;
            case kAnnullaId:
                if (const auto texts = uninstall::cmd_Annulla_Click(state_, opening_)) ShowOutcome(*texts);
                return 0;
            }
            break;
        case WM_CTLCOLORSTATIC:
            if (const LRESULT brush = ColourLabel(wParam, lParam, kLabel1Id, kDarkRed)) return brush;
            break;
        case WM_DESTROY:
            // The close box ends the program at once, in any state.
            ::PostQuitMessage(0);
            return 0;
        }
        return Default(msg, wParam, lParam);
    }

    uninstall::Platform& platform_;
    uninstall::UninstallState state_;
    uninstall::Opening opening_;
    HFONT font_ = nullptr, boldFont_ = nullptr;
};

// The same removal, run again with an administrator's rights: its exit code; a refused
// prompt removes nothing, and says so.
int RunElevated(const suite::Switches& switches, uninstall::Whose whose, win32::SetupLogFile& log) {
    log.Write(uninstall::texts::kLogElevating);
    std::vector<std::wstring> arguments = win32::CommandArguments();
    // As decided here; another user's installation is looked for again by the elevated run.
    if (whose == uninstall::Whose::AllUsers && switches.scope != suite::Scope::AllUsers)
        arguments.push_back(L"/ALLUSERS");
    arguments.push_back(L"/ELEVATED");
    wchar_t program[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, program, MAX_PATH);
    DWORD exitCode = 0;
    const suite::Outcome ran = win32::RunElevated(program, suite::CommandLineOf(arguments), exitCode);
    if (ran) return static_cast<int>(exitCode);
    const bool refused = ran.number == ERROR_CANCELLED;
    const std::wstring line =
        refused ? std::wstring(uninstall::texts::kElevationRefused) : uninstall::texts::kCannotElevate + ran.description;
    log.Write(line);
    if (!switches.silent)
        ::MessageBoxW(nullptr, line.c_str(), uninstall::texts::kCaption, MB_OK | (refused ? MB_ICONINFORMATION : MB_ICONERROR));
    return refused ? suite::kExitCancelled : suite::kExitFailed;
}

// The folders of the installation to remove: the running account's own (CSIDL 2, 7, 16),
// the session's user's as read from their profile, or all users' (23, 24, 25).
uninstall::StartEnvironment Environment(uninstall::Whose whose, const std::optional<win32::UserProfile>& theirs) {
    uninstall::StartEnvironment environment;
    const bool all = whose == uninstall::Whose::AllUsers;
    environment.allUsers = all;
    if (whose == uninstall::Whose::SessionUser) {
        environment.programs = theirs->programs;
        environment.startup = theirs->startup;
        environment.desktop = theirs->desktop;
        environment.settingsFolder = theirs->localAppData;
    } else {
        const suite::ScopeFolders folders = win32::FoldersOf(all);
        environment.programs = folders.programs;
        environment.startup = folders.startup;
        environment.desktop = folders.desktop;
        environment.settingsFolder = win32::GetSpecialFolder(28);  // CSIDL_LOCAL_APPDATA: Nubilux's settings are per user
    }
    if (!environment.settingsFolder.empty()) environment.settingsFolder += L"\\Nubilux";
    return environment;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    win32::RestrictDllSearch();
    const std::wstring folder = win32::ProgramFolder();
    suite::Switches switches = suite::ParseSwitches(win32::CommandArguments());
    // The installer's log, beside both programs, unless the command line names another.
    win32::SetupLogFile log(switches.log.empty() ? suite::JoinPath(folder, suite::kLogFile) : switches.log);
    if (switches.refused.empty() && switches.noStart) switches.refused = L"/NOSTART";  // the installer's alone
    if (!switches.refused.empty()) {
        log.Write(suite::RefusalLine(switches));
        if (!switches.silent)
            ::MessageBoxW(nullptr, uninstall::texts::kUsage, uninstall::texts::kCaption, MB_OK | MB_ICONERROR);
        return suite::kExitBadSwitch;
    }
    if (switches.usage) {
        if (!switches.silent)
            ::MessageBoxW(nullptr, uninstall::texts::kUsage, uninstall::texts::kCaption, MB_OK | MB_ICONINFORMATION);
        return suite::kExitSuccess;
    }

    win32::ProfileStore store;
    const suite::ProfileReader ini = uninstall::MakeReader(store, folder);
    // Whose installation: the switch, else the Start-menu folder that is there; under
    // another account than the session's user, that user's own too.
    const suite::Layout layout = suite::ReadLayout(ini);
    const auto menuThere = [&](const std::wstring& programs) {
        return !programs.empty() && win32::IsFolder(suite::ProgramMenuFolder(layout, programs));
    };
    const suite::AccountFacts facts = win32::CurrentAccountFacts();
    const std::wstring sessionUser =
        suite::AccountOf(facts) == suite::Account::OtherUser ? facts.sessionUser.value_or(L"") : L"";
    const std::optional<win32::UserProfile> theirs =
        sessionUser.empty() ? std::nullopt : win32::ProfileOf(sessionUser);
    const uninstall::Whose whose =
        uninstall::WhoseInstallation(switches.scope, menuThere(win32::GetSpecialFolder(2)),
                                     theirs && menuThere(theirs->programs), menuThere(win32::GetSpecialFolder(23)));
    if (uninstall::MustElevate(whose, win32::IsElevated(), switches.relaunched))
        return RunElevated(switches, whose, log);
    uninstall::StartEnvironment environment = Environment(whose, theirs);
    environment.descriptionFound = ::GetFileAttributesW(ini.File().c_str()) != INVALID_FILE_ATTRIBUTES;
    environment.applicationFolder = folder;
    if (whose == uninstall::Whose::SessionUser) environment.owner = sessionUser;
    if (!theirs) environment.unreadUser = sessionUser;
    uninstall::win32::Platform platform(whose == uninstall::Whose::SessionUser ? theirs->hive.get()
                                                                               : HKEY_CURRENT_USER);
    uninstall::UninstallState state;
    uninstall::Opening opening = uninstall::Form_load(platform, ini, environment, state);
    if (switches.silent) {
        const uninstall::SilentEnd end = uninstall::RemoveSilently(platform, state, opening);
        log.Write(end.logLine);
        return end.exitCode;
    }
    UninstallWindow window(instance, platform, std::move(state), std::move(opening));
    if (!window.Create(L"frmUnInstall", uninstall::texts::kCaption, 5115, 1425)) {
        const std::wstring message =
            std::wstring(uninstall::texts::kCannotShow) + L"\n\n" + win32::LastError().description;
        ::MessageBoxW(nullptr, message.c_str(), uninstall::texts::kCaption, MB_OK | MB_ICONERROR);
        return suite::kExitFailed;
    }
    window.Show();
    return win32::RunMessageLoop();
}
