// The program's Start-menu folders and its shortcuts.
#pragma once

#include <string>
#include <vector>

#include "install/description.h"
#include "install/platform.h"

namespace install {

using suite::Shortcut;

// The shortcuts to make (suite::ShortcutPlan, which Uninstall removes).
std::vector<Shortcut> PianoIcone(const InstallerState& state);

// Creates the group and program folders, then the shortcuts. False at the first failure:
// the rest is not made, and what this run made is undone, so that a retry is never
// blocked by leftovers of ours.
bool Crea_Gruppo_e_Icone(Platform& platform, const InstallerState& state);

}  // namespace install
