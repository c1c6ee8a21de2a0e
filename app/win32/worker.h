// Nubilux.exe as its own helper, with no window and no icon, not the one instance; what
// it loads goes when it exits.
// - /ATTEMPT <order file>: one attempt. It reads its order, makes the attempt (fetch,
//   header check, decode, bitmap file, wallpaper) and writes its news to its standard
//   output, a line each, the last its ending.
// - /MONITORS: the shell's list of monitors, written to its standard output.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace nubilux::win32 {

// The helper's run when the command line asks for one ("/ATTEMPT" or "/MONITORS" first,
// in any letter case): its exit code; nothing for Nubilux itself. An attempt's worker
// ends at once with kWorkerBadOrder when its order file is missing or not a whole order
// (started by hand, say).
std::optional<int> RunAsHelper(const std::vector<std::wstring>& arguments);

}  // namespace nubilux::win32
