// The user's place from Windows' own time zone, as Wine derives it from TZ. Run once for
// each zone of the list (the build registers one run per zone), and with TZ unset in the
// process of the whole tier's run.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "app/views.h"
#include "app/win32/desktop.h"
#include "app/zones.h"

namespace {

using nubilux::View;

struct Expected {
    const wchar_t* tz;
    const wchar_t* key;  // Wine takes the first Windows zone with the same rules
    double latitude, longitude;
    View view;
};

// The home country is Wine's, the United States, unless a test sets it.
constexpr Expected kZones[] = {
    {L"America/Los_Angeles", L"Pacific Standard Time", 34.05, -118.24, View::GoesWest},
    {L"America/New_York", L"Eastern Standard Time", 40.71, -74.01, View::GoesEast},
    {L"Pacific/Honolulu", L"Hawaiian Standard Time", 21.31, -157.86, View::GoesWest},
    {L"Europe/Moscow", L"Arab Standard Time", 24.63, 46.72, View::MeteosatIndianOcean},
    {L"Asia/Kolkata", L"India Standard Time", 22.53, 88.37, View::MeteosatIndianOcean},
    {L"Asia/Tokyo", L"Tokyo Standard Time", 35.65, 139.74, View::Himawari},
    {L"Australia/Sydney", L"AUS Eastern Standard Time", -33.87, 151.22, View::Himawari},
    {L"America/Sao_Paulo", L"Argentina Standard Time", -34.6, -58.45, View::GoesEast},
    {L"Europe/Rome", L"Central Europe Standard Time", 47.5, 19.08, View::Meteosat},
};

std::wstring Variable(const wchar_t* name) {
    wchar_t value[256]{};
    const DWORD n = ::GetEnvironmentVariableW(name, value, 256);
    return n > 0 && n < 256 ? value : L"";
}

// Sets the user's home country for one test, and puts the previous one back.
class HomeCountry {
public:
    explicit HomeCountry(GEOID nation) : previous_(::GetUserGeoID(GEOCLASS_NATION)) { ::SetUserGeoID(nation); }
    ~HomeCountry() { ::SetUserGeoID(previous_); }

private:
    GEOID previous_;
};

TEST(ClockZone, TheClocksZoneGivesThePlaceAndTheSatellite) {
    const std::wstring tz = Variable(L"TZ");
    const Expected* expected = nullptr;
    for (const Expected& zone : kZones)
        if (tz == zone.tz) expected = &zone;
    ASSERT_NE(expected, nullptr) << "TZ names no zone of the list";

    const nubilux::ClockZone zone = nubilux::win32::UserClockZone();
    EXPECT_EQ(zone.key, expected->key);
    EXPECT_EQ(zone.territory, L"US");
    const auto place = nubilux::PlaceOfZone(zone.key, zone.territory);
    ASSERT_TRUE(place.has_value());
    EXPECT_NEAR(place->latitude, expected->latitude, 0.1);
    EXPECT_NEAR(place->longitude, expected->longitude, 0.1);
    EXPECT_EQ(nubilux::ViewsByDistance(nubilux::LongitudeOf(zone)).front(), expected->view);
}

TEST(ClockZone, TheHomeCountryChoosesAmongTheZonesPlaces) {
    const std::wstring key = nubilux::win32::UserClockZone().key;
    {
        const HomeCountry italy(118);
        EXPECT_EQ(nubilux::win32::UserClockZone().territory, L"IT");
    }
    {
        const HomeCountry canada(39);
        const nubilux::ClockZone zone = nubilux::win32::UserClockZone();
        EXPECT_EQ(zone.territory, L"CA");
        EXPECT_EQ(zone.key, key);
    }
    EXPECT_EQ(nubilux::win32::UserClockZone().territory, L"US");
}

}  // namespace
