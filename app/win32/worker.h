// Nubilux.exe /ATTEMPT <order file>: one attempt in a process of its own, with no window
// and no icon. It reads its order, makes the attempt (fetch, header check, decode, bitmap
// file, wallpaper) and writes its news to its standard output, a line each, the last its
// ending; what it loaded goes when it exits.
#pragma once

#include <string>
#include <vector>

namespace nubilux::win32 {

// Whether the command line asks for a worker: "/ATTEMPT" first, in any letter case.
bool IsWorkerCommand(const std::vector<std::wstring>& arguments);

// The worker's run: 0 once its ending is written; kWorkerBadOrder at once when the order
// file is missing or not a whole order (started by hand, say).
int RunWorker(const std::vector<std::wstring>& arguments);

}  // namespace nubilux::win32
