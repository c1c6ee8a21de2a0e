// The installer's start: everything happens before its window is shown.
#pragma once

#include <string>

#include "common/profile.h"
#include "install/description.h"
#include "install/platform.h"

namespace install {

// What the start reads from the system.
struct StartEnvironment {
    std::wstring installerFolder;
    std::wstring systemRoot;    // %SystemRoot%, empty when unset
    std::wstring programFiles;  // %ProgramFiles%, empty when unset
    std::wstring programs;      // special folder 2
    std::wstring startup;       // special folder 7
    std::wstring desktop;       // special folder 16
    std::wstring version;       // the suite's, for the Settings > Apps entry
};

struct WindowTexts {
    std::wstring label1;
    std::wstring label2;
};

// Works out the folders from Install.ini's values and the environment.
void Calcola_Cartelle(const StartEnvironment& environment, InstallerState& state);

// Reads Install.ini, deploys the components, makes the folders and shortcuts, lists the
// installation under Settings > Apps (a failure there is logged and stops nothing), and
// gives the texts the window then shows.
WindowTexts Form_Load(Platform& platform, const suite::ProfileReader& ini, const StartEnvironment& environment,
                      InstallerState& state);

}  // namespace install
