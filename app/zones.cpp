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

// The country's own row where it has one, else the zone's; none for an unknown key.
const ZoneRow* RowOf(std::wstring_view key, std::wstring_view territory) {
    const ZoneRow* zones = nullptr;
    for (const ZoneRow& row : kRows) {
        if (!Same(row.key, key)) continue;
        if (!territory.empty() && Same(row.territory, territory)) return &row;
        if (std::string_view(row.territory) == "001") zones = &row;
    }
    return zones;
}

}  // namespace

std::span<const ZoneRow> ZoneRows() { return kRows; }

std::optional<Place> PlaceOfZone(std::wstring_view key, std::wstring_view territory) {
    const ZoneRow* row = RowOf(key, territory);
    if (!row || row->bare) return std::nullopt;
    return Place{row->latitude, row->longitude};
}

double LongitudeOf(const ClockZone& zone) {
    if (const ZoneRow* row = RowOf(zone.key, zone.territory)) return row->longitude;
    return LongitudeOfBias(zone.standardBiasMinutes);
}

}  // namespace nubilux
