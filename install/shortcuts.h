// The program's Start-menu folders and its shortcuts.
#pragma once

#include <string>
#include <vector>

#include "install/description.h"
#include "install/platform.h"

namespace install {

struct Shortcut {
    std::wstring folder;  // below the Programs folder, or a full path
    std::wstring name;
    std::wstring target;
};

// The shortcuts to make, in order: program and "Uninstall" in the program's own folder,
// then, as Install.ini asks, the Startup folder and the desktop.
std::vector<Shortcut> PianoIcone(const InstallerState& state);

// Creates the group and program folders, then the shortcuts. False at the first failure:
// nothing made is undone and the rest is not made.
bool Crea_Gruppo_e_Icone(Platform& platform, const InstallerState& state);

}  // namespace install
