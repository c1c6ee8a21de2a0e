#include "app/views.h"

#include <algorithm>
#include <cmath>
#include <string_view>

#include "common/text.h"

namespace nubilux {

namespace {

constexpr ViewInfo kViews[] = {
    {View::Meteosat, L"Meteosat", L"Meteosat 0\u00b0", 0.0},
    {View::MeteosatIndianOcean, L"Meteosat-IODC", L"Meteosat Indian Ocean", 45.5},
    {View::GoesEast, L"GOES-East", L"GOES-East", -75.2},
    {View::GoesWest, L"GOES-West", L"GOES-West", -137.2},
    {View::Himawari, L"Himawari", L"Himawari-9", 140.7},
};

// Degrees between two longitudes the short way round the Earth.
double Apart(double a, double b) {
    const double d = std::fmod(std::fabs(a - b), 360.0);
    return d > 180.0 ? 360.0 - d : d;
}

}  // namespace

const ViewInfo& Describe(View view) { return kViews[static_cast<int>(view)]; }

std::vector<View> ViewsByDistance(double longitude) {
    std::vector<View> order;
    for (const ViewInfo& info : kViews) order.push_back(info.view);
    std::stable_sort(order.begin(), order.end(), [&](View a, View b) {
        return Apart(Describe(a).longitude, longitude) < Apart(Describe(b).longitude, longitude);
    });
    return order;
}

double LongitudeOfBias(int standardBiasMinutes) {
    double longitude = -standardBiasMinutes / 4.0;  // 60 minutes = 15 degrees
    while (longitude > 180.0) longitude -= 360.0;
    while (longitude < -180.0) longitude += 360.0;
    return longitude;
}

std::optional<View> ViewNamed(const std::wstring& text) {
    const std::wstring_view trimmed = suite::TrimBlanks(text);
    for (const ViewInfo& info : kViews)
        if (suite::SameNoCase(trimmed, info.key))
            return info.view;
    return std::nullopt;
}

std::vector<View> ViewOrder(std::optional<View> named, double longitude) {
    std::vector<View> order = ViewsByDistance(longitude);
    if (named) {
        const auto at = std::find(order.begin(), order.end(), *named);
        std::rotate(order.begin(), at, at + 1);  // the named one first, the rest as they were
    }
    return order;
}

}  // namespace nubilux
