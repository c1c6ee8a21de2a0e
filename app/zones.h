// Where the user's clock says they are: the Windows time zone's key and the home
// country give a place, from a table generated out of the Unicode CLDR's mapping of
// Windows zones to IANA zones and tzdata's coordinates of those zones.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace nubilux {

struct Place {
    double latitude;   // degrees, north positive
    double longitude;  // degrees, east positive
};

// What Windows says of the user's clock and country.
struct ClockZone {
    std::wstring key;        // "W. Europe Standard Time"; empty when Windows gives none
    std::wstring territory;  // the home country, "IT"; empty when unknown
    int standardBiasMinutes; // UTC minus standard local time
};

// Keys and codes are ASCII; places to a hundredth of a kilometre or so: kept small.
struct ZoneRow {
    const char* key;
    const char* territory;  // "001" for the zone's own place
    float latitude, longitude;
    bool bare;  // a bare offset ("UTC", "UTC-11"): a meridian, on the equator, but no place
};

// Every row of the table.
std::span<const ZoneRow> ZoneRows();

// The country's own row where it has one, else the zone's; nothing for a key the table
// does not know (a zone newer than the table, a hand-made one) or a bare offset, which
// virtual machines and cloud images are often set to wherever they are.
std::optional<Place> PlaceOfZone(std::wstring_view key, std::wstring_view territory);

// The longitude the satellite is chosen by: the zone's place or a bare offset's meridian,
// else 15 degrees an hour of the standard bias.
double LongitudeOf(const ClockZone& zone);

}  // namespace nubilux
