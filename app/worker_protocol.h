// What Nubilux and its helper processes say to each other: the order an attempt's worker
// is started with (a small text file of its own format), and the news it sends back, a
// line each, ending with its one ending; and the shell's list of monitors. Text only, so that a worker that dies mid-line
// or an order that is not one is told apart from a good one.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/attempt.h"
#include "app/monitors.h"
#include "app/sources.h"

namespace nubilux {

// One attempt, as the worker is to make it.
struct WorkerOrder {
    unsigned number = 0;
    Source source;
    AttemptPlan plan;
    std::vector<std::wstring> monitors;  // whose wallpaper it becomes; none: the desktop's
    bool primary = true;                 // the primary monitor's picture
};

// The order as its file holds it, and back; nothing for text that is not a whole order
// of this version (a field missing, unknown or out of range, a value over a line).
std::wstring WriteOrder(const WorkerOrder& order);
std::optional<WorkerOrder> ReadOrder(std::wstring_view text);

// A worker's news, in the order it comes: its download's states as the status fields
// show them, the picture being put in place (from then on it has its own time to
// finish), and the attempt's end.
struct WorkerNews {
    enum class Kind { State, Installing, Ended };
    Kind kind = Kind::State;
    int state = 0;       // Kind::State
    AttemptEnd end = {};  // Kind::Ended
};

std::wstring NewsLine(const WorkerNews& news);  // one line, without its line break
// Nothing for a line that is not news (a worker cut off mid-line, another program's text).
std::optional<WorkerNews> ReadNews(std::wstring_view line);

// The shell's monitors as a helper process (Nubilux.exe /MONITORS) lists them: a line
// each, then an end line; nothing for a list cut off, or text that is not one.
std::wstring MonitorsText(const std::vector<Monitor>& monitors);
std::optional<std::vector<Monitor>> ReadMonitors(std::wstring_view text);

// A remote-access connection as the system lists it. Its entry names it: its handle is
// only good in the process that listed it, and each list is asked in a helper of its own.
struct Connection {
    std::wstring entryName;
    bool vpn = false;  // a virtual private network, which an update never dials
};

// The open remote-access connections, as their helper tells them (an entry whose name
// would break its line is left out); nothing when the text is not a whole list.
std::wstring ConnectionsText(const std::vector<Connection>& connections);
std::optional<std::vector<Connection>> ReadConnections(std::wstring_view text);

// An entry's name as one argument of the hang-up helper's command line, whatever it holds
// (quotes, blanks): four hexadecimal digits a character; nothing when it is not one.
std::wstring EntryArgument(const std::wstring& entryName);
std::optional<std::wstring> EntryOfArgument(std::wstring_view argument);

// Whether the connection is metered, as its helper tells it; nothing when the text says
// neither.
std::wstring MeteredText(bool metered);
std::optional<bool> ReadMetered(std::wstring_view text);

// What a worker started without a readable order exits with, at once.
inline constexpr int kWorkerBadOrder = 2;

// The name of the one temporary file a worker writes at a time, in each target's folder:
// its process's own, so that what a worker that died leaves is found and removed.
std::wstring WorkerTemporaryName(unsigned long processId);

// The memory a worker may commit, where the system enforces it: the largest picture the
// header check lets through, decoded, the canvas, the largest body and a margin for the
// system's own libraries. A picture past it is that source's failure, not Nubilux's.
std::uint64_t WorkerMemoryLimit(const AttemptPlan& plan);

}  // namespace nubilux
