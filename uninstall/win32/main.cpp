// uninstall.exe: asks once, then removes the shortcuts and Start-menu folders the
// installer made.
#include <windows.h>

#include <string>
#include <vector>

#include "common/layout.h"
#include "common/setup_log.h"
#include "common/switches.h"
#include "common/text.h"
#include "common/win32/command_line.h"
#include "common/win32/elevation.h"
#include "common/win32/error.h"
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
            FitLabel(kLabel2Id);
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
int RunElevated(const suite::Switches& switches, win32::SetupLogFile& log) {
    log.Write(uninstall::texts::kLogElevating);
    std::vector<std::wstring> arguments = win32::CommandArguments();
    if (switches.scope != suite::Scope::AllUsers) arguments.push_back(L"/ALLUSERS");  // as decided here
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
    // The installation's scope: the switch, else the Start-menu folder that is there.
    const suite::Layout layout = suite::ReadLayout(ini);
    const bool allUsers = uninstall::RemovesForAllUsers(
        switches.scope, ::GetFileAttributesW(suite::ProgramMenuFolder(layout, win32::GetSpecialFolder(2)).c_str()) !=
                            INVALID_FILE_ATTRIBUTES,
        ::GetFileAttributesW(suite::ProgramMenuFolder(layout, win32::GetSpecialFolder(23)).c_str()) !=
            INVALID_FILE_ATTRIBUTES);
    if (uninstall::MustElevate(allUsers, win32::IsElevated(), switches.relaunched))
        return RunElevated(switches, log);
    const std::wstring local = win32::GetSpecialFolder(28);  // CSIDL_LOCAL_APPDATA, where Nubilux keeps its settings
    const uninstall::StartEnvironment environment{win32::GetSpecialFolder(allUsers ? 23 : 2),
                                                  win32::GetSpecialFolder(allUsers ? 24 : 7),
                                                  win32::GetSpecialFolder(allUsers ? 25 : 16),
                                                  ::GetFileAttributesW(ini.File().c_str()) != INVALID_FILE_ATTRIBUTES,
                                                  folder,
                                                  local.empty() ? L"" : local + L"\\Nubilux",
                                                  allUsers};
    uninstall::win32::Platform platform;
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
