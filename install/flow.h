// The installer's start: everything happens before its window is shown.
#pragma once

#include <optional>
#include <string>

#include "common/account.h"
#include "common/profile.h"
#include "common/switches.h"
#include "install/description.h"
#include "install/platform.h"

namespace install {

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
ScopeChoice ChooseScope(suite::Scope requested, suite::Account account, const std::wstring& runningAs = L"");

using suite::ScopeFolders;

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
    // The other scope's folders: all users' for a per-user installation, the installing
    // account's own for an all-users one. One installation of a program per computer: an
    // all-users one there is left as it is, a per-user one there is replaced.
    ScopeFolders other = {};
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
