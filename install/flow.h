// The installer's start: everything happens before its window is shown.
#pragma once

#include <optional>
#include <string>

#include "common/profile.h"
#include "common/switches.h"
#include "install/description.h"
#include "install/platform.h"

namespace install {

// Who runs the installer, as against the user whose desktop is on the screen.
enum class Account { DesktopUser, OtherUser, System };

// What Windows tells of both: the installer's own token, which can always be read, and
// the user signed in to its session, which works across accounts (another account's
// token does not: it needs a privilege an elevated administrator holds but not enabled).
struct AccountFacts {
    bool system = false;  // the token's user is the system account
    std::wstring user;    // the token's user, "DOMAIN\\name"; empty when it could not be named
    // The session's user, "DOMAIN\\name"; empty when no one is signed in; nothing when
    // it could not be asked.
    std::optional<std::wstring> sessionUser;
};

// The system account; the session's own user (names compared as Windows does, without
// regard to case); else another account, such as an administrator's typed in at the
// elevation prompt, or one with no one signed in. Nothing known: the session's user, as
// the installer always took it.
Account AccountOf(const AccountFacts& facts);

// Whose shortcuts and Settings > Apps entry, and the log line that says so.
struct ScopeChoice {
    bool allUsers = false;
    std::wstring note;
};

// A switch decides when given; else all users when the installer does not run as the
// user at the desktop: the system account of a deployment tool, or an administrator's
// account typed in at the elevation prompt, whose own profile the user never sees.
// runningAs: the account's name, which the log gives when its own shortcuts are asked
// for (/CURRENTUSER) and it is not the session's user.
ScopeChoice ChooseScope(suite::Scope requested, Account account, const std::wstring& runningAs = L"");

// What the start reads from the system.
struct StartEnvironment {
    std::wstring installerFolder;  // the application folder, which the shortcuts point into
    std::wstring systemRoot;    // %SystemRoot%, empty when unset
    std::wstring programFiles;  // %ProgramFiles%, empty when unset
    std::wstring programs;      // the Start menu's Programs folder of the chosen scope
    std::wstring startup;       // its Startup folder
    std::wstring desktop;       // its desktop folder
    std::wstring version = {};  // the suite's, for the Settings > Apps entry
    bool descriptionFound = true;
    ScopeChoice scope = {};
};

struct WindowTexts {
    std::wstring label1;
    std::wstring label2;
};

// How an installation ended. Found already in place is no failure: deployment tools run
// installers again.
enum class Result { Installed, AlreadyInstalled, Failed };

struct Installation {
    WindowTexts texts;
    Result result = Result::Installed;
};

// The exit code deployment tools read.
int ExitCode(Result result);

// Works out the folders from Install.ini's values and the environment.
void Calcola_Cartelle(const StartEnvironment& environment, InstallerState& state);

// Reads Install.ini, deploys the components, makes the folders and shortcuts, lists the
// installation under Settings > Apps (a failure there is logged and stops nothing), logs
// the outcome, and gives the texts the window then shows. Without Install.ini only the
// shortcut library is deployed, and the installation fails.
Installation Form_Load(Platform& platform, const suite::ProfileReader& ini, const StartEnvironment& environment,
                       InstallerState& state);

}  // namespace install
