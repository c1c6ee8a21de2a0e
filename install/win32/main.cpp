// Install.exe: the whole installation runs before the window appears; the window then
// shows how it went, and its button starts the first-run command.
#include <windows.h>

#include <string>

#include "common/setup_log.h"
#include "common/switches.h"
#include "common/text.h"
#include "common/win32/account.h"
#include "common/win32/command_line.h"
#include "common/win32/error.h"
#include "common/win32/form.h"
#include "common/win32/profile_store.h"
#include "common/win32/setup_log.h"
#include "common/win32/special_folder.h"
#include "common/win32/startup.h"
#include "common/win32/unique.h"
#include "install/description.h"
#include "install/flow.h"
#include "install/texts.h"
#include "install/win32/first_run.h"
#include "install/win32/platform.h"
#include "install/win32/setup_lock.h"
#include "res/setup_resource.h"
#include "suite_version.h"

namespace {

constexpr int kPictureId = 100, kLabel1Id = 101, kLabel2Id = 102, kCommand1Id = 103;
constexpr COLORREF kDarkBlue = RGB(0, 0, 128);

std::wstring Environment(const wchar_t* name) {
    const DWORD n = ::GetEnvironmentVariableW(name, nullptr, 0);
    if (n == 0) return L"";
    std::wstring value(n, L'\0');
    value.resize(::GetEnvironmentVariableW(name, value.data(), n));
    return value;
}

// frmInstall.
class InstallWindow final : public win32::Form {
public:
    InstallWindow(HINSTANCE instance, install::WindowTexts texts, std::wstring primaEsecuzione, std::wstring folder)
        : Form(instance, IDI_SETUP), texts_(std::move(texts)), primaEsecuzione_(std::move(primaEsecuzione)),
          folder_(std::move(folder)) {}

private:
    void OnCreate() override {
        titleFont_ = Font(L"MS Sans Serif", 12, true);
        textFont_ = Font(L"MS Sans Serif", 8, false);
        Picture(IDB_LOGO, 120, 120, 1335, 1215, kPictureId);
        Control(L"STATIC", texts_.label1.c_str(), WS_VISIBLE | SS_LEFT | SS_NOPREFIX | SS_EDITCONTROL, 1560, 120, 3495,
                375, kLabel1Id, titleFont_);
        Control(L"STATIC", texts_.label2.c_str(), WS_VISIBLE | SS_LEFT | SS_NOPREFIX | SS_EDITCONTROL, 1560, 600, 3495,
                255, kLabel2Id, textFont_);
        ::SetFocus(Control(L"BUTTON", install::texts::kButton, WS_VISIBLE | BS_DEFPUSHBUTTON | WS_TABSTOP, 1560, 960,
                           3495, 375, kCommand1Id, textFont_));
        // Long names wrap: the labels grow, and the window with them.
        FitLabel(kLabel1Id);
        FitLabel(kLabel2Id);
    }

    // Prima_Esecuzione: starts the first-run command, if any, with the user's own rights,
    // and closes the installer.
    void Command1_Click() {
        if (!primaEsecuzione_.empty()) {
            if (const auto failure = install::win32::StartFirstRun(primaEsecuzione_, folder_); !failure) {
                const std::wstring message = std::wstring(install::texts::kCannotStart) + L"\n" + primaEsecuzione_ +
                                             L"\n\n" + failure.description;
                ::MessageBoxW(hwnd_, message.c_str(), install::texts::kCaption, MB_OK | MB_ICONERROR);
            }
        }
        ::DestroyWindow(hwnd_);
    }

    LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override {
        switch (msg) {
        case WM_COMMAND:
            if (LOWORD(wParam) == kCommand1Id && HIWORD(wParam) == BN_CLICKED) Command1_Click();
            // Escape: the window closes as with its close box, starting nothing.
            if (LOWORD(wParam) == IDCANCEL) ::DestroyWindow(hwnd_);
            return 0;
        case WM_CTLCOLORSTATIC:
            if (const LRESULT brush = ColourLabel(wParam, lParam, kLabel2Id, kDarkBlue)) return brush;
            break;
        case WM_DESTROY:
            // Form_Unload: the program ends at once.
            ::PostQuitMessage(0);
            return 0;
        }
        return Default(msg, wParam, lParam);
    }

    install::WindowTexts texts_;
    std::wstring primaEsecuzione_;
    std::wstring folder_;  // the installer's, where a program named without a folder lies
    HFONT titleFont_ = nullptr, textFont_ = nullptr;
};

// Told in a message box, unless the installer runs silently.
void Tell(const suite::Switches& switches, const wchar_t* text, UINT icon) {
    if (!switches.silent) ::MessageBoxW(nullptr, text, install::texts::kCaption, MB_OK | icon);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    win32::RestrictDllSearch();

    const std::wstring folder = win32::ProgramFolder();
    const suite::Switches switches = suite::ParseSwitches(win32::CommandArguments());
    const std::wstring logFile = switches.log.empty() ? suite::JoinPath(folder, suite::kLogFile) : switches.log;
    if (!switches.refused.empty()) {
        win32::SetupLogFile(logFile).Write(suite::RefusalLine(switches));
        Tell(switches, install::texts::kUsage, MB_ICONERROR);
        return suite::kExitBadSwitch;
    }
    if (switches.usage) {
        Tell(switches, install::texts::kUsage, MB_ICONINFORMATION);
        return suite::kExitSuccess;
    }
    bool anotherRuns = false;
    const win32::UniqueHandle lock = install::win32::TakeSetupLock(anotherRuns);
    if (anotherRuns) {
        win32::SetupLogFile(logFile).Write(install::texts::kLogAnotherRunning);
        Tell(switches, install::texts::kLogAnotherRunning, MB_ICONWARNING);
        return suite::kExitAnotherRunning;
    }

    const suite::AccountFacts facts = win32::CurrentAccountFacts();
    const suite::Account account = suite::AccountOf(facts);
    const install::ScopeChoice scope = install::ChooseScope(switches.scope, account, facts.user);
    const suite::ScopeFolders folders = win32::FoldersOf(scope.allUsers);
    win32::ProfileStore store;
    const suite::ProfileReader ini = install::MakeReader(store, folder);
    const install::StartEnvironment environment{folder,
                                                Environment(L"SystemRoot"),
                                                Environment(L"ProgramFiles"),
                                                folders.programs,
                                                folders.startup,
                                                folders.desktop,
                                                SUITE_VERSION_TEXT_WIDE,
                                                ::GetFileAttributesW(ini.File().c_str()) != INVALID_FILE_ATTRIBUTES,
                                                scope,
                                                win32::FoldersOf(!scope.allUsers)};
    install::win32::Platform platform(logFile);
    install::InstallerState state;
    install::Installation installation = install::Form_Load(platform, ini, environment, state);
    const int exitCode = install::ExitCode(installation.result);

    if (switches.silent) {
        // The first run as ever, unless asked not to, or the installer runs as another
        // account than the session's user (the system account, an administrator's): the
        // program would run as that account. It starts at the user's next logon instead.
        if (installation.result != install::Result::Failed && !switches.noStart &&
            account == suite::Account::DesktopUser && !state.PrimaEsecuzione.empty())
            install::win32::StartFirstRun(state.PrimaEsecuzione, folder, true);
        return exitCode;
    }
    InstallWindow window(instance, std::move(installation.texts), switches.noStart ? L"" : state.PrimaEsecuzione,
                         folder);
    if (!window.Create(L"frmInstall", install::texts::kCaption, 5115, 1425)) {
        const std::wstring message = std::wstring(install::texts::kCannotShow) + L"\n\n" + win32::LastError().description;
        ::MessageBoxW(nullptr, message.c_str(), install::texts::kCaption, MB_OK | MB_ICONERROR);
        return suite::kExitFailed;
    }
    window.Show();
    win32::RunMessageLoop();
    return exitCode;
}
