// The uninstaller's window texts: at start, after "Procedi" and after "Annulla".
#pragma once

#include <string>

#include "common/profile.h"
#include "uninstall/description.h"
#include "uninstall/removal.h"

namespace uninstall {

struct StartEnvironment {
    std::wstring programs;  // special folder 2
    std::wstring startup;   // special folder 7
    std::wstring desktop;   // special folder 16
};

// What the window shows: the title or status line, and the notice beneath it (hidden
// when empty).
struct WindowTexts {
    std::wstring label2;
    std::wstring label1;
};

// Form_load: reads install.ini and the special folders; gives the title.
std::wstring Form_load(const suite::ProfileReader& ini, const StartEnvironment& environment,
                       UninstallState& state);

// "Procedi": the removal, then what the window says of it.
WindowTexts cmd_OK_Click(Platform& platform, const UninstallState& state);

// "Annulla": nothing is removed.
WindowTexts cmd_Annulla_Click(const UninstallState& state);

}  // namespace uninstall
