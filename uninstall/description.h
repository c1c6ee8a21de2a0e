// The uninstaller reads the installer's description file from its own folder.
#pragma once

#include <string>

#include "common/layout.h"
#include "common/profile.h"
#include "common/text.h"

namespace uninstall {

inline constexpr wchar_t kDescriptionFile[] = L"install.ini";

inline suite::ProfileReader MakeReader(const suite::ProfileStore& store, const std::wstring& ownFolder) {
    return suite::ProfileReader(store, suite::JoinPath(ownFolder, kDescriptionFile), L"");
}

// What the uninstaller knows for the whole run: the installation as the description
// file tells it, and where it lies on this computer.
struct UninstallState : suite::Layout {
    std::wstring Cartella_Programmi;          // the user's Start-menu Programs folder
    std::wstring Nome_Esecuzione_Automatica;  // the Startup folder's last path component
    std::wstring Cartella_Desktop;            // the user's desktop folder
    std::wstring applicationFolder;           // the uninstaller's, with the program beside it
    std::wstring settingsFolder;              // the program's per-user folder
    bool allUsers = false;                    // the all-users shortcuts and entry (/ALLUSERS)
    // The session's user, "DOMAIN\\name", when it is their own installation that another
    // account (an administrator's, typed in at a prompt) removes; else empty.
    std::wstring owner;
    // The session's user whose profile this other account could not read; else empty.
    std::wstring unreadUser;
};

}  // namespace uninstall
