// The five geostationary views of the whole Earth, and which of them is above the user.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace nubilux {

enum class View { Meteosat, MeteosatIndianOcean, GoesEast, GoesWest, Himawari };

struct ViewInfo {
    View view;
    const wchar_t* key;   // how Nubilux.ini names it (key "Satellite")
    const wchar_t* name;  // as the menu shows it
    double longitude;     // of the point below the satellite, east positive
};

const ViewInfo& Describe(View view);

// All five, the nearest to the given longitude first: the first is the user's view, the
// others its fallbacks in order of distance.
std::vector<View> ViewsByDistance(double longitude);

// The longitude a time zone's standard bias stands for: 15 degrees an hour. Windows'
// bias is UTC minus local time in minutes (Rome -60 gives 15 degrees east).
double LongitudeOfBias(int standardBiasMinutes);

// A view named in Nubilux.ini ("Meteosat", "Meteosat-IODC", "GOES-East", "GOES-West",
// "Himawari", any letter case); nothing for any other text.
std::optional<View> ViewNamed(const std::wstring& text);

// The views of one update: the named one first when there is one, then the others by
// distance from the user.
std::vector<View> ViewOrder(std::optional<View> named, double longitude);

}  // namespace nubilux
