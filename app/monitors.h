// One picture per monitor size: which files an update makes and which monitors show them.
#pragma once

#include <string>
#include <vector>

#include "app/geometry.h"

namespace nubilux {

// A monitor as the shell's per-monitor wallpaper lists it.
struct Monitor {
    std::wstring id;  // the shell's device path
    Screen size;
    bool primary = false;
};

struct PicturePlan {
    Screen size;                        // the bitmap is exactly this size
    std::wstring fileName;              // NUBILUX.BMP for the primary monitor's size
    std::vector<std::wstring> monitors;  // empty: the one wallpaper of the whole desktop
};

// The pictures of one update: one per distinct monitor size (monitors of one size share
// a download), the primary's first. With no monitor listed (no per-monitor wallpaper on
// this system), one picture the primary screen's size, set as the desktop's wallpaper.
std::vector<PicturePlan> PlanPictures(const std::vector<Monitor>& monitors, Screen primary);

// The sizes the plan's pictures are made for: what a change of monitors is compared on.
std::vector<Screen> PlannedSizes(const std::vector<PicturePlan>& plan);

}  // namespace nubilux
