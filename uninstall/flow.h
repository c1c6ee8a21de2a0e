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
    bool descriptionFound = false;
};

// What the window shows: the title or status line, and the notice beneath it (hidden
// when empty).
struct WindowTexts {
    std::wstring label2;
    std::wstring label1;
};

struct Opening {
    WindowTexts texts;
    Verdict verdict = Verdict::Remove;
    // Whether "Procedi" and "Annulla" are offered; else only "Chiudi".
    bool CanProceed() const { return verdict == Verdict::Remove || verdict == Verdict::AlreadyRemoved; }
};

// Form_load: reads install.ini and the special folders, and judges what can be done.
Opening Form_load(Platform& platform, const suite::ProfileReader& ini, const StartEnvironment& environment,
                  UninstallState& state);

// "Procedi": the removal, then what the window says of it.
WindowTexts cmd_OK_Click(Platform& platform, const UninstallState& state, Verdict verdict);

// "Annulla": nothing is removed.
WindowTexts cmd_Annulla_Click(const UninstallState& state);

}  // namespace uninstall
