// One picture per monitor size: which files an update makes and which monitors show them.
#pragma once

#include <optional>
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

// How the shell lays a wallpaper on the desktop (IDesktopWallpaper's positions). Each
// picture is made its monitor's size, so any position that lays each monitor's own on it
// alone shows it pixel for pixel; Tile repeats from the desktop's corner, off where the
// monitors' sizes differ, and Span stretches one over all of them.
enum class WallpaperPosition { Center = 0, Tile = 1, Stretch = 2, Fit = 3, Fill = 4, Span = 5 };
// The position to set instead of the user's: Fill in place of Tile or Span (or one the
// shell does not know); nothing to leave the user's as it is.
std::optional<WallpaperPosition> PositionToSet(int current);

// The same for the desktop's one wallpaper, as its registry values give it
// (Control Panel\Desktop: WallpaperStyle "0" centred or tiled, "2" stretched, "6" fit,
// "10" filled, "22" spanned; TileWallpaper "1" tiled): the values to write instead, or
// nothing to leave them.
struct DesktopStyle {
    std::wstring wallpaperStyle, tileWallpaper;
};
std::optional<DesktopStyle> DesktopStyleToSet(const std::wstring& wallpaperStyle, const std::wstring& tileWallpaper);

}  // namespace nubilux
