// What Nubilux asks Windows about the user's desktop and place: the monitors, the
// wallpaper of each, the connection's cost, where on Earth the user is.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/monitors.h"
#include "app/zones.h"

namespace nubilux::win32 {

// The primary monitor's size in pixels, and the largest monitor's.
Screen PrimaryScreen();
Screen LargestScreen();

// The monitors as the shell's per-monitor wallpaper lists them; none where the shell has
// no such object (Windows 7, Wine): then one wallpaper covers the desktop.
std::vector<Monitor> WallpaperMonitors();

// Makes `path` the wallpaper of the given monitors, or, with none given, of the whole
// desktop. When the shell's per-monitor object refuses, the primary monitor's picture
// becomes the whole desktop's the old way. False when it could not be set. Other programs
// are told without waiting on any that does not answer.
bool SetWallpaper(const std::vector<std::wstring>& monitors, const std::wstring& path, bool primary);

// Whether Windows says the current connection is metered (IsMeteredCost of its cost).
bool MeteredConnection();
// A connection's cost (NLM_CONNECTION_COST flags) is metered when it is not unrestricted,
// or when roaming or over its data limit. Unknown (0) is not metered.
bool IsMeteredCost(DWORD cost);

// The Windows time zone's key and bias, and the home country.
ClockZone UserClockZone();

}  // namespace nubilux::win32
