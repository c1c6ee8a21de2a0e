#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <regex>
#include <set>
#include <string>

#include "app/config.h"
#include "app/views.h"
#include "app/zones.h"

namespace {

using nubilux::ClockZone;
using nubilux::PlaceOfZone;
using nubilux::View;

View ViewOf(const ClockZone& zone) { return nubilux::ViewsByDistance(nubilux::LongitudeOf(zone)).front(); }

void ExpectNear(const std::optional<nubilux::Place>& place, double latitude, double longitude) {
    ASSERT_TRUE(place.has_value());
    EXPECT_NEAR(place->latitude, latitude, 0.1);
    EXPECT_NEAR(place->longitude, longitude, 0.1);
}

TEST(Zones, ACountrysOwnRowComesBeforeTheZones) {
    ExpectNear(PlaceOfZone(L"W. Europe Standard Time", L"IT"), 41.9, 12.48);   // Rome
    ExpectNear(PlaceOfZone(L"W. Europe Standard Time", L"001"), 52.5, 13.37);  // Berlin
    // A country without a row of its own, or none known, takes the zone's.
    ExpectNear(PlaceOfZone(L"W. Europe Standard Time", L"US"), 52.5, 13.37);
    ExpectNear(PlaceOfZone(L"W. Europe Standard Time", L""), 52.5, 13.37);
    ExpectNear(PlaceOfZone(L"Eastern Standard Time", L"CA"), 43.65, -79.38);  // Toronto
    ExpectNear(PlaceOfZone(L"eastern standard time", L"us"), 40.71, -74.01);  // New York, any case
}

TEST(Zones, EachZoneOfALargeCountryChoosesItsOwnSatellite) {
    EXPECT_EQ(ViewOf({L"Pacific Standard Time", L"US", 480}), View::GoesWest);
    EXPECT_EQ(ViewOf({L"Eastern Standard Time", L"US", 300}), View::GoesEast);
    EXPECT_EQ(ViewOf({L"Hawaiian Standard Time", L"US", 600}), View::GoesWest);
    EXPECT_EQ(ViewOf({L"Russian Standard Time", L"RU", -180}), View::MeteosatIndianOcean);  // Moscow
    EXPECT_EQ(ViewOf({L"Arab Standard Time", L"US", -180}), View::MeteosatIndianOcean);     // Riyadh
    EXPECT_EQ(ViewOf({L"India Standard Time", L"IN", -330}), View::MeteosatIndianOcean);
    EXPECT_EQ(ViewOf({L"Tokyo Standard Time", L"JP", -540}), View::Himawari);
    EXPECT_EQ(ViewOf({L"AUS Eastern Standard Time", L"AU", -600}), View::Himawari);
    EXPECT_EQ(ViewOf({L"E. South America Standard Time", L"BR", 180}), View::GoesEast);
    EXPECT_EQ(ViewOf({L"Central Europe Standard Time", L"HU", -60}), View::Meteosat);
    // One key, two countries, two satellites: Edmonton's row is nearer GOES-West, Denver's
    // (and the key's offset, 105 W) nearer GOES-East.
    EXPECT_EQ(ViewOf({L"Mountain Standard Time", L"CA", 420}), View::GoesWest);
    EXPECT_EQ(ViewOf({L"Mountain Standard Time", L"US", 420}), View::GoesEast);
    // Western Australia is 115 E by its place, where 8 hours of bias (120 E) would still be
    // Himawari's; but Perth's place must be what chooses.
    ExpectNear(PlaceOfZone(L"W. Australia Standard Time", L"AU"), -31.95, 115.85);
}

TEST(Zones, AKeyTheTableDoesNotKnowFallsBackToTheBias) {
    EXPECT_FALSE(PlaceOfZone(L"Mars Standard Time", L"US").has_value());
    EXPECT_FALSE(PlaceOfZone(L"", L"").has_value());
    EXPECT_DOUBLE_EQ(nubilux::LongitudeOf({L"Mars Standard Time", L"US", -540}), 135.0);
    EXPECT_DOUBLE_EQ(nubilux::LongitudeOf({L"", L"", 300}), -75.0);
    // A key that only begins like a known one is not that one.
    EXPECT_DOUBLE_EQ(nubilux::LongitudeOf({L"UTC-1", L"", 60}), -15.0);
    EXPECT_DOUBLE_EQ(nubilux::LongitudeOf({L"UT", L"", -120}), 30.0);
}

// The whole table against the file it was made from: every Windows zone the CLDR names has
// a row of its own, each row names a zone and a country, and places are on the Earth.
TEST(Zones, EveryWindowsZoneHasARow) {
    std::ifstream cldr(CLDR_WINDOWS_ZONES);
    ASSERT_TRUE(cldr) << CLDR_WINDOWS_ZONES;
    const std::string text((std::istreambuf_iterator<char>(cldr)), std::istreambuf_iterator<char>());
    const std::regex mapZone("<mapZone other=\"([^\"]+)\" territory=\"001\"");
    std::set<std::wstring> keys;
    for (auto it = std::sregex_iterator(text.begin(), text.end(), mapZone); it != std::sregex_iterator(); ++it) {
        const std::string key = it->str(1);
        keys.insert(std::wstring(key.begin(), key.end()));
    }
    ASSERT_GT(keys.size(), 130u);
    std::size_t bare = 0;
    for (const std::wstring& key : keys) {
        const bool placed = PlaceOfZone(key, L"001").has_value();
        bare += !placed;
        // A zone without a place is a bare offset, and still has its meridian.
        EXPECT_TRUE(placed || key == L"UTC" || key.rfind(L"UTC", 0) == 0 || key == L"Dateline Standard Time")
            << std::string(key.begin(), key.end());
    }
    EXPECT_GE(bare, 8u);  // UTC, UTC-11, UTC-09, UTC-08, UTC-02, UTC+12, UTC+13, Dateline

    std::size_t own = 0;
    for (const auto& row : nubilux::ZoneRows()) {
        const std::string territory = row.territory, key = row.key;
        EXPECT_TRUE(territory == "001" || territory.size() == 2);
        own += territory == "001";
        EXPECT_TRUE(keys.count(std::wstring(key.begin(), key.end()))) << key;
        EXPECT_LE(std::fabs(row.latitude), 90.0);
        EXPECT_LE(std::fabs(row.longitude), 180.0);
        // Bare offsets lie on the equator, and are their zone's own row.
        if (row.bare) {
            EXPECT_EQ(row.latitude, 0.0f) << key;
            EXPECT_EQ(territory, "001") << key;
        }
    }
    EXPECT_EQ(own, keys.size());  // one row of its own for each zone, no more
}

// A clock set to a bare offset ("UTC", as virtual machines and cloud images often are) says
// nothing of where its user is: no place, so no region (not the sea off Africa); its
// meridian still chooses the view.
TEST(Zones, AZoneOfABareOffsetHasAMeridianButNoPlace) {
    for (const wchar_t* key : {L"UTC", L"UTC-11", L"UTC+12", L"UTC-02", L"Dateline Standard Time"}) {
        EXPECT_FALSE(PlaceOfZone(key, L"001")) << key;
        EXPECT_FALSE(PlaceOfZone(key, L"IT")) << key;  // wherever the computer is
        EXPECT_FALSE(PlaceOfZone(key, L"")) << key;
    }
    EXPECT_DOUBLE_EQ(nubilux::LongitudeOf({L"UTC-11", L"", 660}), -165.0);
    EXPECT_DOUBLE_EQ(nubilux::LongitudeOf({L"Dateline Standard Time", L"", 720}), -180.0);
    EXPECT_EQ(ViewOf({L"UTC", L"IT", 0}), View::Meteosat);
    EXPECT_EQ(ViewOf({L"UTC-08", L"", 480}), View::GoesWest);
    ExpectNear(PlaceOfZone(L"UTC-11", L"AS"), -14.27, -170.7);  // a country of it has a place
    EXPECT_FALSE(nubilux::ChooseRegion(L"-1", L"-1", PlaceOfZone(L"UTC", L"IT")));  // no region offered
    EXPECT_TRUE(nubilux::ChooseRegion(L"41.9,12.48", L"-1", PlaceOfZone(L"UTC", L"IT")));  // unless Centro= says
}

}  // namespace
