#include "app/zones.h"

#include <iterator>

#include "app/views.h"
#include "common/text.h"

namespace nubilux {

namespace {

constexpr ZoneRow kRows[] = {
#include "zone_places.inc"
};

bool Same(std::wstring_view a, std::wstring_view b) {
    return a.size() == b.size() && suite::StartsWithNoCase(a, b);
}

}  // namespace

std::span<const ZoneRow> ZoneRows() { return kRows; }

std::optional<Place> PlaceOfZone(std::wstring_view key, std::wstring_view territory) {
    std::optional<Place> zones;
    for (const ZoneRow& row : kRows) {
        if (!Same(row.key, key)) continue;
        if (!territory.empty() && Same(row.territory, territory)) return Place{row.latitude, row.longitude};
        if (std::wstring_view(row.territory) == L"001") zones = Place{row.latitude, row.longitude};
    }
    return zones;
}

double LongitudeOf(const ClockZone& zone) {
    if (const auto place = PlaceOfZone(zone.key, zone.territory)) return place->longitude;
    return LongitudeOfBias(zone.standardBiasMinutes);
}

}  // namespace nubilux
