#include "app/zones.h"

#include <string_view>

#include "app/views.h"
#include "common/text.h"

namespace nubilux {

namespace {

constexpr ZoneRow kRows[] = {
#include "zone_places.inc"
};

// An ASCII name of the table against Windows' text, letter case aside.
bool Same(std::string_view ours, std::wstring_view theirs) {
    if (ours.size() != theirs.size()) return false;
    for (std::size_t i = 0; i < ours.size(); ++i)
        if (suite::LowerAscii(static_cast<unsigned char>(ours[i])) != suite::LowerAscii(theirs[i])) return false;
    return true;
}

}  // namespace

std::span<const ZoneRow> ZoneRows() { return kRows; }

std::optional<Place> PlaceOfZone(std::wstring_view key, std::wstring_view territory) {
    std::optional<Place> zones;
    for (const ZoneRow& row : kRows) {
        if (!Same(row.key, key)) continue;
        if (!territory.empty() && Same(row.territory, territory)) return Place{row.latitude, row.longitude};
        if (std::string_view(row.territory) == "001") zones = Place{row.latitude, row.longitude};
    }
    return zones;
}

double LongitudeOf(const ClockZone& zone) {
    if (const auto place = PlaceOfZone(zone.key, zone.territory)) return place->longitude;
    return LongitudeOfBias(zone.standardBiasMinutes);
}

}  // namespace nubilux
