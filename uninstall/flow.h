// The uninstaller's window texts: at start, after "Procedi" and after "Annulla".
#pragma once

#include <optional>
#include <string>

#include "common/profile.h"
#include "common/switches.h"
#include "uninstall/description.h"
#include "uninstall/removal.h"

namespace uninstall {

struct StartEnvironment {
    std::wstring programs;  // the Start menu's Programs folder of the installation's scope
    std::wstring startup;   // its Startup folder
    std::wstring desktop;   // its desktop folder
    bool descriptionFound = false;
    std::wstring applicationFolder;  // the uninstaller's own, with the program beside it
    std::wstring settingsFolder;     // the program's per-user folder, %LOCALAPPDATA%\Nubilux
    bool allUsers = false;           // the installation was made for all users
    // The session's user, when it is their own installation that this other account
    // removes (the folders above are theirs); else empty.
    std::wstring owner = {};
    // The session's user, when this runs as another account and that user's profile could
    // not be read: their installation, if any, is theirs to remove.
    std::wstring unreadUser = {};
};

// Whose installation is removed.
enum class Whose { Own, SessionUser, AllUsers };

// A switch decides when given. Else the running account's own, when its Start-menu folder
// is there; then, when this is another account than the session's user (an administrator's,
// as Settings > Apps or a prompt's password runs it), that user's own; then all users'.
// Nothing there at all: the running account's own, which says so.
Whose WhoseInstallation(suite::Scope requested, bool ownMenuThere, bool sessionUsersMenuThere,
                        bool allUsersMenuThere);

// Another's installation, or all users', needs an administrator's rights: without them the
// uninstaller runs itself elevated, once (relaunched: it is that run, and never asks again).
inline bool MustElevate(Whose whose, bool elevated, bool relaunched) {
    return whose != Whose::Own && !elevated && !relaunched;
}

// What the window shows: the title or status line, the notice beneath it, and beneath
// that what stays on the computer (each hidden when empty).
struct WindowTexts {
    std::wstring label2;
    std::wstring label1;
    std::wstring stays;
};

struct Opening {
    WindowTexts texts;
    Verdict verdict = Verdict::Remove;
    bool decided = false;  // "Procedi" or "Annulla" has been pressed
    // Whether "Procedi" and "Annulla" are offered; else only "Chiudi".
    bool CanProceed() const { return !decided && (verdict == Verdict::Remove || verdict == Verdict::AlreadyRemoved); }
};

// Form_load: reads install.ini and the special folders, and judges what can be done.
Opening Form_load(Platform& platform, const suite::ProfileReader& ini, const StartEnvironment& environment,
                  UninstallState& state);

// "Procedi": the program running from the application folder is asked to end, then the
// removal, and, when it is complete, the Settings > Apps entry; then what the window says
// of it, and of what stays. Nothing at all (no text) when
// the opening offers no choice or one was made: a hidden button's click does nothing.
std::optional<WindowTexts> cmd_OK_Click(Platform& platform, const UninstallState& state, Opening& opening);

// "Annulla": nothing is removed; refused as "Procedi" is.
std::optional<WindowTexts> cmd_Annulla_Click(const UninstallState& state, Opening& opening);

// /S: what "Procedi" removes, without a question: the exit code deployment tools read, and
// the line the log gets.
struct SilentEnd {
    int exitCode = 0;
    std::wstring logLine;
};
SilentEnd RemoveSilently(Platform& platform, const UninstallState& state, Opening& opening);

}  // namespace uninstall
