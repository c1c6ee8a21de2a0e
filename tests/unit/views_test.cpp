#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "app/hourly.h"
#include "app/monitors.h"
#include "app/picture.h"
#include "app/sources.h"
#include "app/views.h"

namespace {

using nubilux::View;
using ::testing::ElementsAre;

constexpr std::int64_t kMorningUtc = 1796726833;  // 2026-12-08 10:47:13 UTC
constexpr std::int64_t kNightInEuropeUtc = 1796695200;  // 2026-12-08 02:00:00 UTC

View FirstForBias(int biasMinutes) { return nubilux::ViewsByDistance(nubilux::LongitudeOfBias(biasMinutes)).front(); }

std::vector<std::wstring> Urls(const std::vector<nubilux::Source>& sources) {
    std::vector<std::wstring> urls;
    for (const auto& source : sources) urls.push_back(source.url);
    return urls;
}

TEST(Views, TheSatelliteAboveEachTimeZoneComesFirst) {
    EXPECT_EQ(FirstForBias(-60), View::Meteosat);              // Europe/Rome, 15 E
    EXPECT_EQ(FirstForBias(-330), View::MeteosatIndianOcean);  // Asia/Kolkata, 82.5 E
    EXPECT_EQ(FirstForBias(-540), View::Himawari);             // Asia/Tokyo, 135 E
    EXPECT_EQ(FirstForBias(300), View::GoesEast);              // America/New_York, 75 W
    EXPECT_EQ(FirstForBias(480), View::GoesWest);              // America/Los_Angeles, 120 W
    EXPECT_EQ(FirstForBias(0), View::Meteosat);                // UTC
    // Across the date line, distance goes the short way round.
    EXPECT_EQ(FirstForBias(-765), View::GoesWest);  // Pacific/Chatham, 168.75 W
    EXPECT_EQ(FirstForBias(-720), View::Himawari);  // Pacific/Auckland, 180
}

TEST(Views, TheOthersFollowByDistance) {
    EXPECT_THAT(nubilux::ViewsByDistance(15.0), ElementsAre(View::Meteosat, View::MeteosatIndianOcean, View::GoesEast,
                                                            View::Himawari, View::GoesWest));
    EXPECT_THAT(nubilux::ViewsByDistance(-120.0), ElementsAre(View::GoesWest, View::GoesEast, View::Himawari,
                                                              View::Meteosat, View::MeteosatIndianOcean));
}

TEST(Views, TheUsersNamedViewComesFirstAndABadNameIsPassedOver) {
    EXPECT_EQ(nubilux::ViewNamed(L" himawari "), View::Himawari);
    EXPECT_EQ(nubilux::ViewNamed(L"GOES-WEST"), View::GoesWest);
    EXPECT_EQ(nubilux::ViewNamed(L"Meteosat-IODC"), View::MeteosatIndianOcean);
    for (const wchar_t* bad : {L"-1", L"", L"GOES", L"Himawari-9x", L"Meteosat 0"})
        EXPECT_FALSE(nubilux::ViewNamed(bad)) << bad;
    EXPECT_THAT(nubilux::ViewOrder(View::Himawari, 15.0), ElementsAre(View::Himawari, View::Meteosat,
                                                                     View::MeteosatIndianOcean, View::GoesEast,
                                                                     View::GoesWest));
    EXPECT_EQ(nubilux::ViewOrder(std::nullopt, 15.0), nubilux::ViewsByDistance(15.0));
}

TEST(Requests, MapServerAsksForTheNewestSlotOnBlackInTheSatellitesOwnView) {
    const auto sources = nubilux::ViewSources(View::Meteosat, {1920, 1080}, kMorningUtc);
    ASSERT_EQ(sources.size(), 9u);  // three layers, each at three slots
    EXPECT_EQ(sources[0].url,
              L"https://view.eumetsat.int/geoserver/wms?SERVICE=WMS&VERSION=1.3.0&REQUEST=GetMap"
              L"&LAYERS=mtg_fd:rgb_geocolour&STYLES=&CRS=AUTO:97004,9001,0,0"
              L"&BBOX=-9902222,-5570000,9902222,5570000&WIDTH=1920&HEIGHT=1080&FORMAT=image/jpeg"
              L"&BGCOLOR=0x000000&TRANSPARENT=FALSE&TIME=2026-12-08T10:10:00Z");
    // Stepped back one slot, then another; no more.
    EXPECT_NE(sources[1].url.find(L"&TIME=2026-12-08T10:00:00Z"), std::wstring::npos);
    EXPECT_NE(sources[2].url.find(L"&TIME=2026-12-08T09:50:00Z"), std::wstring::npos);
    EXPECT_FALSE(sources[0].earlierSlot);
    EXPECT_TRUE(sources[1].earlierSlot && sources[2].earlierSlot);
    EXPECT_FALSE(sources[3].earlierSlot);
    EXPECT_NE(sources[3].url.find(L"LAYERS=mtg_fd:ir105_hrfi&"), std::wstring::npos);
    EXPECT_NE(sources[6].url.find(L"LAYERS=msg_fes:ir108&"), std::wstring::npos);
    EXPECT_EQ(sources[0].slot, kMorningUtc - 37 * 60 - 13);
    EXPECT_FALSE(sources[0].dated);
    // A portrait monitor shows more space above and below the disc.
    EXPECT_NE(nubilux::ViewSources(View::Meteosat, {1080, 1920}, kMorningUtc)[0].url.find(
                  L"&BBOX=-5570000,-9902222,5570000,9902222&WIDTH=1080&"),
              std::wstring::npos);
}

TEST(Requests, IndianOceanIsCentredOnItsSatelliteNaturalColourOnlyByDay) {
    const auto day = nubilux::ViewSources(View::MeteosatIndianOcean, {1024, 768}, kMorningUtc);
    ASSERT_EQ(day.size(), 6u);
    EXPECT_NE(day[0].url.find(L"LAYERS=msg_iodc:rgb_natural&STYLES=&CRS=AUTO:97004,9001,45.5,0&"), std::wstring::npos);
    EXPECT_NE(day[3].url.find(L"LAYERS=msg_iodc:ir108&"), std::wstring::npos);
    const auto night = nubilux::ViewSources(View::MeteosatIndianOcean, {1024, 768}, kMorningUtc + 9 * 3600);
    ASSERT_EQ(night.size(), 3u);
    EXPECT_NE(night[0].url.find(L"LAYERS=msg_iodc:ir108&"), std::wstring::npos);
}

TEST(Requests, HimawariStillsAreNamedByTheirUtcSlotAndDated) {
    // 10:47 UTC is night below Himawari: infrared only. JMA's stills are asked 40 minutes
    // back (they come out 20 to 30 minutes late), where the map server's are 30.
    EXPECT_THAT(Urls(nubilux::ViewSources(View::Himawari, {1024, 768}, kMorningUtc)),
                ElementsAre(L"https://www.data.jma.go.jp/mscweb/data/himawari/img/fd_/fd__b13_1000.jpg",
                            L"https://www.data.jma.go.jp/mscweb/data/himawari/img/fd_/fd__b13_0950.jpg",
                            L"https://www.data.jma.go.jp/mscweb/data/himawari/img/fd_/fd__b13_0940.jpg"));
    EXPECT_NE(nubilux::ViewSources(View::Meteosat, {1024, 768}, kMorningUtc)[0].url.find(L"TIME=2026-12-08T10:10:00Z"),
              std::wstring::npos);
    const auto day = nubilux::ViewSources(View::Himawari, {1024, 768}, kNightInEuropeUtc);  // 11:22 there
    ASSERT_EQ(day.size(), 6u);
    EXPECT_EQ(day[0].url, L"https://www.data.jma.go.jp/mscweb/data/himawari/img/fd_/fd__trm_0120.jpg");
    EXPECT_TRUE(day[0].dated);
    EXPECT_EQ(day[0].name, L"Himawari-9, true colour");
    // Just after midnight UTC the newest slot is the day before's.
    EXPECT_EQ(nubilux::ViewSources(View::Himawari, {1024, 768}, kNightInEuropeUtc - 2 * 3600 + 600).front().url,
              L"https://www.data.jma.go.jp/mscweb/data/himawari/img/fd_/fd__trm_2330.jpg");
}

TEST(Requests, SquarePicturesComeInTheSmallestSizeCoveringTheShorterSide) {
    const auto goes = [](View view, int w, int h) { return nubilux::ViewSources(view, {w, h}, kMorningUtc).at(0).url; };
    EXPECT_EQ(goes(View::GoesEast, 1024, 768), L"https://cdn.star.nesdis.noaa.gov/GOES19/ABI/FD/GEOCOLOR/1808x1808.jpg");
    EXPECT_EQ(goes(View::GoesWest, 1920, 1080), L"https://cdn.star.nesdis.noaa.gov/GOES18/ABI/FD/GEOCOLOR/1808x1808.jpg");
    // Always the newest picture of that name: none is an earlier slot of another.
    for (const View view : {View::GoesEast, View::GoesWest})
        for (const auto& source : nubilux::ViewSources(view, {1024, 768}, kMorningUtc)) EXPECT_FALSE(source.earlierSlot);
    const std::vector<int> sides = {339, 678, 1808, 5424, 10848, 21696};
    EXPECT_EQ(nubilux::SquareSide(sides, {800, 600}, 4096), 678);
    EXPECT_EQ(nubilux::SquareSide(sides, {600, 339}, 4096), 339);
    EXPECT_EQ(nubilux::SquareSide(sides, {678, 1200}, 4096), 678);  // exactly covered
    EXPECT_EQ(nubilux::SquareSide(sides, {3840, 2160}, 7680), 5424);
    EXPECT_EQ(nubilux::SquareSide(sides, {3840, 2160}, 4096), 1808);  // never above what is taken
    EXPECT_EQ(nubilux::SquareSide(sides, {0, 0}, 4096), 339);
}

TEST(Requests, TimesAndStaleCopies) {
    EXPECT_EQ(nubilux::IsoTime(0), L"1970-01-01T00:00:00Z");
    EXPECT_EQ(nubilux::IsoTime(951782400), L"2000-02-29T00:00:00Z");
    EXPECT_EQ(nubilux::IsoTime(kMorningUtc), L"2026-12-08T10:47:13Z");
    EXPECT_EQ(nubilux::LatestSlot(kMorningUtc, 0), kMorningUtc - 7 * 60 - 13);
    const std::int64_t slot = nubilux::LatestSlot(kMorningUtc, 1800);
    EXPECT_FALSE(nubilux::IsStale(0, slot, kMorningUtc));  // no date sent
    EXPECT_FALSE(nubilux::IsStale(slot + 300, slot, kMorningUtc));
    EXPECT_TRUE(nubilux::IsStale(slot - 86400 + 300, slot, kMorningUtc));  // yesterday's of the same name
    EXPECT_FALSE(nubilux::IsStale(kMorningUtc - 3600, 0, kMorningUtc));
    EXPECT_TRUE(nubilux::IsStale(kMorningUtc - 7 * 3600, 0, kMorningUtc));
    // The newest picture of its name may be six hours old, not a second more.
    EXPECT_FALSE(nubilux::IsStale(kMorningUtc - 6 * 3600, 0, kMorningUtc));
    EXPECT_TRUE(nubilux::IsStale(kMorningUtc - 6 * 3600 - 1, 0, kMorningUtc));
}

TEST(Requests, EveryPictureOfAnUpdateHasItsOwnSources) {
    const std::vector<View> views = {View::GoesEast, View::Meteosat};
    const auto second = nubilux::SourcesFor(L"http://mirror/x.jpg", views, {800, 600}, kMorningUtc, 1);
    ASSERT_EQ(second.size(), 11u);
    for (const auto& source : second) EXPECT_EQ(source.picture, 1);
    EXPECT_EQ(second[1].url, L"https://cdn.star.nesdis.noaa.gov/GOES19/ABI/FD/GEOCOLOR/678x678.jpg");
    EXPECT_NE(second[2].url.find(L"&WIDTH=800&HEIGHT=600&"), std::wstring::npos);
}

TEST(Monitors, OnePicturePerSizeThePrimarysFirstAsNubiluxBmp) {
    const auto plan = nubilux::PlanPictures(
        {{L"\\\\?\\B", {800, 600}, false}, {L"\\\\?\\A", {1024, 768}, true}, {L"\\\\?\\C", {800, 600}, false}},
        {1024, 768});
    ASSERT_EQ(plan.size(), 2u);
    EXPECT_EQ(plan[0].fileName, L"NUBILUX.BMP");
    EXPECT_EQ(plan[0].size, (nubilux::Screen{1024, 768}));
    EXPECT_THAT(plan[0].monitors, ElementsAre(L"\\\\?\\A"));
    EXPECT_EQ(plan[1].fileName, L"NUBILUX-800x600.BMP");
    EXPECT_THAT(plan[1].monitors, ElementsAre(L"\\\\?\\B", L"\\\\?\\C"));  // one download for both
    EXPECT_THAT(nubilux::PlannedSizes(plan), ElementsAre(nubilux::Screen{1024, 768}, nubilux::Screen{800, 600}));
}

// The commonest desktop of two monitors: a laptop's 2880 x 1800 at 150 % and an external
// 3840 x 2160 at 100 %. Measured in real pixels, each gets a picture of its own size and
// the picture bound follows the larger; a system-aware program would have been handed
// 1920 x 1200 for the laptop and 5760 x 3240 for the other, one blurred, one oversized.
TEST(Monitors, EachPictureIsItsMonitorsRealPixels) {
    const auto plan = nubilux::PlanPictures(
        {{L"LAPTOP", {2880, 1800}, true}, {L"EXTERNAL", {3840, 2160}, false}}, {2880, 1800});
    EXPECT_THAT(nubilux::PlannedSizes(plan), ElementsAre(nubilux::Screen{2880, 1800}, nubilux::Screen{3840, 2160}));
    EXPECT_NE(nubilux::ViewSources(View::Meteosat, plan[0].size, kMorningUtc)[0].url.find(L"&WIDTH=2880&HEIGHT=1800&"),
              std::wstring::npos);
    EXPECT_NE(nubilux::ViewSources(View::Meteosat, plan[1].size, kMorningUtc)[0].url.find(L"&WIDTH=3840&HEIGHT=2160&"),
              std::wstring::npos);
    EXPECT_EQ(nubilux::MaxPictureSide({3840, 2160}), 7680);
}

TEST(Monitors, SizesThatShareOnlyAWidthShareNoPicture) {
    const auto plan = nubilux::PlanPictures({{L"A", {1920, 1080}, true}, {L"B", {1920, 1200}, false}}, {1920, 1080});
    ASSERT_EQ(plan.size(), 2u);
    EXPECT_EQ(plan[1].fileName, L"NUBILUX-1920x1200.BMP");
    EXPECT_THAT(plan[1].monitors, ElementsAre(L"B"));
}

// DESKTOP_WALLPAPER_POSITION, from Microsoft's documentation of IDesktopWallpaper: Tile
// repeats one picture from the desktop's corner and Span stretches one over every monitor,
// so a monitor's own picture would not show on it as made; the others lay each monitor's
// picture, its own size, on it alone. The registry's old values ("Control Panel\\Desktop")
// the same: WallpaperStyle 22 spans, TileWallpaper 1 tiles.
TEST(Monitors, EachPictureShowsOnItsMonitorAsMade) {
    using nubilux::WallpaperPosition;
    for (const int kept : {0, 2, 3, 4}) EXPECT_FALSE(nubilux::PositionToSet(kept)) << kept;
    for (const int changed : {1, 5, 6, -1}) EXPECT_EQ(nubilux::PositionToSet(changed), WallpaperPosition::Fill) << changed;

    for (const wchar_t* kept : {L"0", L"2", L"6", L"10", L" 10 ", L""})
        EXPECT_FALSE(nubilux::DesktopStyleToSet(kept, L"0")) << kept;
    EXPECT_FALSE(nubilux::DesktopStyleToSet(L"2", L""));
    for (const auto& [style, tile] : {std::pair{L"22", L"0"}, {L"0", L"1"}, {L"10", L"1"}, {L"99", L"0"}}) {
        const auto set = nubilux::DesktopStyleToSet(style, tile);
        ASSERT_TRUE(set) << style << tile;
        EXPECT_EQ(set->wallpaperStyle, L"10");
        EXPECT_EQ(set->tileWallpaper, L"0");
    }
}

TEST(Requests, TheIndianOceansDaylightBeginsAndEndsWithTheSunBelowTheSatellite) {
    // Its local solar hour is UTC plus 3 h 02 min: day from 03:58 to 13:58 UTC.
    const std::int64_t midnight = kMorningUtc - (10 * 3600 + 47 * 60 + 13);
    const auto natural = [&](int hour, int minute) {
        const auto sources = nubilux::ViewSources(View::MeteosatIndianOcean, {1024, 768}, midnight + hour * 3600 + minute * 60);
        return sources[0].url.find(L"rgb_natural") != std::wstring::npos;
    };
    EXPECT_FALSE(natural(3, 57));
    EXPECT_TRUE(natural(4, 0));
    EXPECT_TRUE(natural(13, 0));
    EXPECT_TRUE(natural(13, 57));
    EXPECT_FALSE(natural(13, 59));
    EXPECT_FALSE(natural(15, 0));
}

TEST(Monitors, WithoutPerMonitorWallpaperOnePictureForTheDesktop) {
    const auto plan = nubilux::PlanPictures({}, {1920, 1080});
    ASSERT_EQ(plan.size(), 1u);
    EXPECT_EQ(plan[0].fileName, L"NUBILUX.BMP");
    EXPECT_EQ(plan[0].size, (nubilux::Screen{1920, 1080}));
    EXPECT_TRUE(plan[0].monitors.empty());
}

TEST(Views, AnOffsetPastTheDateLineIsTheMeridianOnTheOtherSide) {
    EXPECT_DOUBLE_EQ(nubilux::LongitudeOfBias(-840), -150.0);  // UTC+14, Kiribati's Line Islands
    EXPECT_DOUBLE_EQ(nubilux::LongitudeOfBias(900), 135.0);    // a bias no zone has: 225 W
    EXPECT_DOUBLE_EQ(nubilux::LongitudeOfBias(720), -180.0);   // UTC-12
    EXPECT_DOUBLE_EQ(nubilux::LongitudeOfBias(-780), -165.0);  // UTC+13, Tonga
}

TEST(Sources, RequestSizeKeepsTheShapeWithin4000) {
    const auto same = nubilux::RequestSize({3840, 2160});
    EXPECT_EQ(std::pair(same.width, same.height), std::pair(3840, 2160));
    const auto wide = nubilux::RequestSize({7680, 2160});
    EXPECT_EQ(std::pair(wide.width, wide.height), std::pair(4000, 1125));
    const auto unknown = nubilux::RequestSize({0, 0});
    EXPECT_EQ(std::pair(unknown.width, unknown.height), std::pair(1024, 768));
    // A strip of LEDs: never a side of no pixels.
    const auto strip = nubilux::RequestSize({8000, 1}), column = nubilux::RequestSize({1, 8000});
    EXPECT_EQ(std::pair(strip.width, strip.height), std::pair(4000, 1));
    EXPECT_EQ(std::pair(column.width, column.height), std::pair(1, 4000));
}

TEST(Sources, OwnAddressFirstWhenUsableElsePassedOver) {
    const std::vector<nubilux::View> goes = {nubilux::View::GoesEast};
    const auto own = nubilux::SourcesFor(L"https://user:pw@mirror.azienda.it:8443/sat/latest.jpg", goes, {1024, 768}, 0);
    ASSERT_EQ(own.size(), 2u);
    EXPECT_EQ(own[0].name, L"mirror.azienda.it");
    EXPECT_EQ(own[0].url, L"https://user:pw@mirror.azienda.it:8443/sat/latest.jpg");
    EXPECT_EQ(nubilux::HostOf(L"HTTP://[::1]:80/x"), L"[::1]");
    for (const wchar_t* bad : {L"-1", L"", L"ftp://host/x.jpg", L"https://", L"https:///path", L"http://host/a b.jpg",
                               L"file://C:/x.jpg", L"mirror.azienda.it/sat.jpg", L"http://host/\x01"}) {
        EXPECT_FALSE(nubilux::IsUsableAddress(bad)) << bad;
        EXPECT_EQ(nubilux::SourcesFor(bad, goes, {1024, 768}, 0).size(), 1u) << bad;
    }
}

}  // namespace
