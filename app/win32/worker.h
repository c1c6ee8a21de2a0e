// Nubilux.exe as its own helper, with no window and no icon, not the one instance; what
// it loads goes when it exits.
// - /ATTEMPT <order file>: one attempt. It reads its order, makes the attempt (fetch,
//   header check, decode, bitmap file, wallpaper) and writes its news to its standard
//   output, a line each, the last its ending.
// - /MONITORS, /METERED, /CONNECTIONS: the shell's list of monitors, whether the
//   connection is metered, the open remote-access connections; written to its standard
//   output (worker_protocol.h).
// - /HANGUP <entry>: hangs up that remote-access entry's connection (EntryArgument).
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace nubilux::win32 {

// The helper's run when the command line asks for one (one of the switches above first,
// in any letter case): its exit code; nothing for Nubilux itself. An attempt's worker
// ends at once with kWorkerBadOrder when its order file is missing or not a whole order
// (started by hand, say), the hang-up helper when its entry is not one.
std::optional<int> RunAsHelper(const std::vector<std::wstring>& arguments);

}  // namespace nubilux::win32
