#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "app/config.h"
#include "app/region.h"
#include "app/sources.h"

namespace {

using nubilux::Place;
using nubilux::ScanAnglesOf;

// The worked example printed with the projection in the GOES-R Product User Guide:
// 33.846162 N, 84.690932 W seen from GOES-East at 75 W.
TEST(Projection, TheGuidesWorkedExample) {
    const auto seen = ScanAnglesOf({33.846162, -84.690932}, -75.0);
    ASSERT_TRUE(seen);
    EXPECT_NEAR(seen->x, -0.024052, 0.000001);
    EXPECT_NEAR(seen->y, 0.095340, 0.000001);
}

TEST(Projection, ThePointBelowIsTheCentreAndTheViewIsSymmetric) {
    const auto below = ScanAnglesOf({0, 140.7}, 140.7);
    ASSERT_TRUE(below);
    EXPECT_NEAR(below->x, 0, 1e-12);
    EXPECT_NEAR(below->y, 0, 1e-12);
    const auto east = ScanAnglesOf({30, 20}, 0), west = ScanAnglesOf({30, -20}, 0), south = ScanAnglesOf({-30, 20}, 0);
    ASSERT_TRUE(east && west && south);
    EXPECT_GT(east->x, 0);
    EXPECT_GT(east->y, 0);
    EXPECT_NEAR(east->x, -west->x, 1e-12);
    EXPECT_NEAR(east->y, west->y, 1e-12);
    EXPECT_NEAR(east->y, -south->y, 1e-12);
    EXPECT_NEAR(east->x, south->x, 1e-12);
    // The disc's edge is about 0.1518 rad out, 5,434 km of the projection.
    const auto edge = ScanAnglesOf({0, 81.2}, 0);
    ASSERT_TRUE(edge);
    EXPECT_NEAR(edge->x * nubilux::kPerspectiveHeight, 5'434'000, 8'000);
}

TEST(Projection, PointsBeyondTheLimbAreRefused) {
    EXPECT_FALSE(ScanAnglesOf({0, 90}, 0));
    EXPECT_FALSE(ScanAnglesOf({0, -100}, 0));
    EXPECT_FALSE(ScanAnglesOf({89, 0}, 0));  // beyond the northern limb
    EXPECT_FALSE(ScanAnglesOf({0, 180}, 0));
    EXPECT_TRUE(ScanAnglesOf({0, 80}, 0));
    EXPECT_NEAR(nubilux::DegreesFromBelow({41.9, 12.5}, 0), 43.4, 0.1);  // Rome from Meteosat 0
    EXPECT_NEAR(nubilux::DegreesFromBelow({0, -137.2}, 140.7), 82.1, 0.1);
}

// The inverse projection meets the forward one, which the guide's worked example checks:
// each place comes back from its own scan angles; a line of sight past the Earth has none.
TEST(Projection, APlaceComesBackFromItsScanAngles) {
    for (const double below : {0.0, -75.2, 140.7})
        for (const double latitude : {-70.0, -33.9, 0.0, 41.9, 59.3, 70.0})
            for (const double east : {-60.0, -10.0, 0.0, 25.0, 60.0}) {
                const Place place{latitude, below + east};
                const auto seen = ScanAnglesOf(place, below);
                if (!seen) continue;
                const auto back = nubilux::PlaceAt(*seen, below);
                ASSERT_TRUE(back) << latitude << " " << east;
                EXPECT_NEAR(back->latitude, place.latitude, 1e-7);
                EXPECT_NEAR(std::remainder(back->longitude - place.longitude, 360.0), 0, 1e-7);
            }
    EXPECT_FALSE(nubilux::PlaceAt({0.16, 0}, 0));
    EXPECT_FALSE(nubilux::PlaceAt({0, -0.153}, 0));
    EXPECT_TRUE(nubilux::PlaceAt({0.15, 0}, 0));
    EXPECT_NEAR(nubilux::KmBetween({41.9, 12.5}, {48.86, 2.35}), 1106, 5);  // Rome to Paris
    EXPECT_NEAR(nubilux::KmBetween({0, 179.5}, {0, -179.5}), 111.2, 0.1);   // across the date line
}

// A point the satellite surely sees Earth at, checked without the product's own limb: the
// line of sight within the angle under which a sphere of the polar radius fills the view.
bool SurelyEarth(double x, double y) {
    return std::acos(std::cos(x) * std::cos(y)) <= std::asin(6356752.31414 / (35785831.0 + 6378137.0));
}

struct Framed {
    Place place;
    double below;
    double km;
    nubilux::Screen monitor;
};

// What every frame must be, anywhere a view sees well, from 70 N to 55 S and out to the
// limb: Earth from edge to edge, the monitor's shape, the place inside its middle four
// fifths; and, where the box need not move, the place at its middle and the width asked
// across its middle row.
void ExpectFramed(const Framed& f, const nubilux::AngleBox& box) {
    const std::string where = std::to_string(f.place.latitude) + "," + std::to_string(f.place.longitude) + " from " +
                              std::to_string(f.below) + ", " + std::to_string(static_cast<int>(f.km)) + " km, " +
                              std::to_string(f.monitor.width) + "x" + std::to_string(f.monitor.height);
    for (int i = 0; i <= 10; ++i)
        for (int j = 0; j <= 10; ++j)
            ASSERT_TRUE(SurelyEarth(box.west + box.Width() * i / 10, box.south + box.Height() * j / 10)) << where;
    EXPECT_NEAR(box.Width() / box.Height(), static_cast<double>(f.monitor.width) / f.monitor.height, 1e-9) << where;
    const auto seen = ScanAnglesOf(f.place, f.below);
    const double middleX = (box.west + box.east) / 2, middleY = (box.south + box.north) / 2;
    EXPECT_LE(std::fabs(seen->x - middleX), box.Width() / 2 * 0.8 + 1e-9) << where;
    EXPECT_LE(std::fabs(seen->y - middleY), box.Height() / 2 * 0.8 + 1e-9) << where;
    if (std::fabs(seen->x - middleX) > 1e-12 || std::fabs(seen->y - middleY) > 1e-12) return;  // moved off the limb
    // Narrowed where even the point below holds no box that wide: it reaches the limb.
    for (int i = 0; i <= 10; ++i)
        for (const double side : {-1.0, 1.0}) {
            const double along = -1.0 + i * 0.2;
            if (!SurelyEarth(middleX + side * box.Width() / 2 * 1.05, middleY + along * box.Height() / 2 * 1.05) ||
                !SurelyEarth(middleX + along * box.Width() / 2 * 1.05, middleY + side * box.Height() / 2 * 1.05))
                return;
        }
    const auto west = nubilux::PlaceAt({box.west, middleY}, f.below), east = nubilux::PlaceAt({box.east, middleY}, f.below);
    ASSERT_TRUE(west && east) << where;
    EXPECT_NEAR(nubilux::KmBetween(*west, *east), f.km, f.km * 0.05) << where;
}

TEST(Framing, AllEarthThePlaceWithinAndAsWideAsAsked) {
    int framed = 0, moved = 0;
    for (const double below : {0.0, 45.5, -75.2, -137.2, 140.7})
        for (const double latitude : {70.0, 60.0, 45.0, 30.0, 0.0, -30.0, -45.0, -55.0})
            for (const double east : {-60.0, -35.0, -10.0, 0.0, 20.0, 45.0, 60.0}) {
                const Place place{latitude, std::remainder(below + east, 360.0)};
                if (nubilux::DegreesFromBelow(place, below) > nubilux::kMaxDegreesFromBelow) continue;
                for (const double km : {500.0, 3000.0, 8000.0})
                    for (const nubilux::Screen monitor : {nubilux::Screen{1024, 768}, {1920, 1080}, {1080, 1920}}) {
                        const Framed f{place, below, km, monitor};
                        const auto box = nubilux::FrameRegion({place, km}, monitor, below);
                        ASSERT_TRUE(box) << latitude << " " << east << " " << km;
                        ExpectFramed(f, *box);
                        ++framed;
                        const auto seen = ScanAnglesOf(place, below);
                        moved += std::fabs(seen->y - (box->south + box->north) / 2) > 1e-12;
                    }
            }
    EXPECT_GT(framed, 1000);
    EXPECT_GT(moved, 50);  // the limb was reached, and the box moved off it
}

// The places a user found space above: Stockholm, Moscow, Budapest, Rome on a 1024 x 768
// monitor from Meteosat 0; Cape Town at 8000 km; Anchorage from GOES-West. Each whole
// Earth now; away from the limb (Rome, Cairo), centred and as wide as asked.
TEST(Framing, NorthernAndSouthernRegionsAreAllEarth) {
    const nubilux::Screen monitor{1024, 768};
    for (const Framed f : {Framed{{59.33, 18.07}, 0, 3000, monitor}, {{55.76, 37.62}, 0, 3000, monitor},
                           {{47.5, 19.04}, 0, 3000, monitor}, {{41.9, 12.48}, 0, 3000, monitor},
                           {{-33.92, 18.42}, 0, 8000, monitor}, {{61.22, -149.9}, -137.2, 3000, monitor},
                           {{30.04, 31.24}, 0, 1000, monitor}}) {
        const auto box = nubilux::FrameRegion({f.place, f.km}, f.monitor, f.below);
        ASSERT_TRUE(box) << f.place.latitude;
        ExpectFramed(f, *box);
    }
    const auto cairo = nubilux::FrameRegion({{30.04, 31.24}, 1000}, monitor, 0);
    const auto seen = ScanAnglesOf({30.04, 31.24}, 0);
    EXPECT_NEAR((cairo->west + cairo->east) / 2, seen->x, 1e-12);
    EXPECT_NEAR((cairo->south + cairo->north) / 2, seen->y, 1e-12);
    // At the equator's limb the place's own row meets the Earth's edge before 3000 km: the
    // width is taken on a row nearer the point below, where the box is moved to, and comes
    // out near the asked, not as narrow as the place's row.
    for (const double east : {60.0, 63.0}) {
        const auto limb = nubilux::FrameRegion({{0, east}, 3000}, monitor, 0);
        ASSERT_TRUE(limb);
        const double middle = (limb->south + limb->north) / 2;
        const auto west = nubilux::PlaceAt({limb->west, middle}, 0), eastEnd = nubilux::PlaceAt({limb->east, middle}, 0);
        EXPECT_NEAR(nubilux::KmBetween(*west, *eastEnd), 3000, 3000 * 0.15) << east;
    }
    // Stockholm's box moved south of it, toward the point below.
    const auto stockholm = nubilux::FrameRegion({{59.33, 18.07}, 3000}, monitor, 0);
    EXPECT_LT((stockholm->south + stockholm->north) / 2, ScanAnglesOf({59.33, 18.07}, 0)->y);
    // NOAA's full disc holds Anchorage's frame: GOES-West shows it, cut from the disc.
    const nubilux::Region anchorage{{61.22, -149.9}, 3000};
    const auto sources = nubilux::ViewSources(nubilux::View::GoesWest, monitor, 1796731200, &anchorage);
    ASSERT_EQ(sources.size(), 1u);
    EXPECT_TRUE(sources[0].crop);
}

TEST(Framing, NoFrameForNoMonitorOrAPlaceBeyondTheLimb) {
    EXPECT_TRUE(nubilux::FrameRegion({{41.9, 12.48}, 3000}, {1, 1}, 0));  // a monitor a pixel wide has one
    EXPECT_FALSE(nubilux::FrameRegion({{41.9, 12.48}, 3000}, {0, 768}, 0));
    EXPECT_FALSE(nubilux::FrameRegion({{41.9, 12.48}, 3000}, {1024, 0}, 0));
    EXPECT_FALSE(nubilux::FrameRegion({{0, 85}, 3000}, {1920, 1080}, 0));   // at the very limb
    EXPECT_FALSE(nubilux::FrameRegion({{0, 100}, 3000}, {1920, 1080}, 0));  // behind it
}

TEST(Framing, ACropIsTheBoxsShareOfTheFullDisc) {
    const auto crop = nubilux::CropOf({-0.05, 0.02, 0.05, 0.08}, nubilux::FullDisc(0.15));
    ASSERT_TRUE(crop);
    EXPECT_NEAR(crop->left, 0.1 / 0.3, 1e-12);
    EXPECT_NEAR(crop->right, 0.2 / 0.3, 1e-12);
    EXPECT_NEAR(crop->top, 0.07 / 0.3, 1e-12);  // north is up
    EXPECT_NEAR(crop->bottom, 0.13 / 0.3, 1e-12);
    // Past any edge of the picture: no crop of it.
    for (const nubilux::AngleBox past : {nubilux::AngleBox{-0.16, 0, 0, 0.1}, {0, -0.16, 0.1, 0}, {0, 0, 0.16, 0.1},
                                         {0, 0, 0.1, 0.16}})
        EXPECT_FALSE(nubilux::CropOf(past, nubilux::FullDisc(0.15))) << past.west << past.south << past.east << past.north;
    // Of a picture of part of the disc: fractions of that part.
    const auto part = nubilux::CropOf({0.0, 0.05, 0.02, 0.06}, {-0.02, 0.04, 0.02, 0.08});
    ASSERT_TRUE(part);
    EXPECT_NEAR(part->left, 0.5, 1e-12);
    EXPECT_NEAR(part->top, 0.5, 1e-12);
    EXPECT_NEAR(part->bottom, 0.75, 1e-12);
}

TEST(RegionSettings, ACentreAndAWidthOrNothing) {
    const auto centre = nubilux::CentreNamed(L"41.9, 12.48");
    ASSERT_TRUE(centre);
    EXPECT_DOUBLE_EQ(centre->latitude, 41.9);
    EXPECT_DOUBLE_EQ(centre->longitude, 12.48);
    EXPECT_TRUE(nubilux::CentreNamed(L"-33.87,151.21"));
    for (const wchar_t* edge : {L"90,180", L"-90,-180"}) EXPECT_TRUE(nubilux::CentreNamed(edge)) << edge;
    for (const wchar_t* bad : {L"", L"-1", L"41.9", L"41.9;12.5", L"91,0", L"0,181", L"north,east", L"1,2,3"})
        EXPECT_FALSE(nubilux::CentreNamed(bad)) << bad;
    EXPECT_EQ(nubilux::RegionWidthNamed(L"2500"), 2500.0);
    EXPECT_EQ(nubilux::RegionWidthNamed(L"500"), 500.0);  // both limits are widths one may ask
    EXPECT_EQ(nubilux::RegionWidthNamed(L"8000"), 8000.0);
    for (const wchar_t* bad : {L"", L"-1", L"100", L"20000", L"wide", L"nan"})
        EXPECT_FALSE(nubilux::RegionWidthNamed(bad)) << bad;
}

}  // namespace

namespace {

using nubilux::View;

constexpr std::int64_t kNoonInEuropeUtc = 1796731200;  // 2026-12-08 12:00:00 UTC
const nubilux::Screen kWide{1920, 1080};

// The numbers of a map request's BBOX.
std::vector<double> Box(const std::wstring& url) {
    const auto at = url.find(L"&BBOX=") + 6;
    std::vector<double> numbers;
    std::wstring text = url.substr(at, url.find(L'&', at) - at);
    for (std::size_t start = 0; start <= text.size();) {
        const auto comma = std::min(text.find(L',', start), text.size());
        numbers.push_back(std::stod(text.substr(start, comma - start)));
        start = comma + 1;
    }
    return numbers;
}

TEST(RegionSources, TheMapServerIsAskedForTheRegionsBoxAtTheMonitorsSize) {
    const nubilux::Region rome{{41.9, 12.48}, 3000};
    const auto sources = nubilux::ViewSources(View::Meteosat, kWide, kNoonInEuropeUtc, &rome);
    ASSERT_EQ(sources.size(), 9u);
    const std::wstring& url = sources[0].url;
    EXPECT_NE(url.find(L"LAYERS=mtg_fd:rgb_geocolour&"), std::wstring::npos);
    EXPECT_NE(url.find(L"&WIDTH=1920&HEIGHT=1080&"), std::wstring::npos);
    const auto box = Box(url);
    ASSERT_EQ(box.size(), 4u);
    EXPECT_NEAR((box[2] - box[0]) / (box[3] - box[1]), 1920.0 / 1080.0, 1e-5);
    const auto centre = nubilux::ScanAnglesOf(rome.centre, 0);
    EXPECT_NEAR((box[0] + box[2]) / 2, centre->x * nubilux::kPerspectiveHeight, 150e3);
    EXPECT_NEAR((box[1] + box[3]) / 2, centre->y * nubilux::kPerspectiveHeight, 150e3);
    EXPECT_FALSE(sources[0].crop);  // the server frames it itself
}

TEST(RegionSources, NoaaCutsTheContinentWhereItHoldsTheRegionElseTheDisc) {
    // San Francisco, 1500 km across, lies within GOES-West's picture of the Pacific states.
    const nubilux::Region sanFrancisco{{37.77, -122.42}, 1500};
    const auto west = nubilux::ViewSources(View::GoesWest, kWide, kNoonInEuropeUtc, &sanFrancisco);
    ASSERT_EQ(west.size(), 1u);
    EXPECT_EQ(west[0].url, L"https://cdn.star.nesdis.noaa.gov/GOES18/ABI/CONUS/GEOCOLOR/2500x1500.jpg");
    ASSERT_TRUE(west[0].crop);
    const auto& crop = *west[0].crop;
    EXPECT_GT(crop.left, 0);
    EXPECT_LT(crop.right, 1);
    // The crop has the monitor's shape in the continental picture's square pixels.
    EXPECT_NEAR((crop.right - crop.left) * 2500 / ((crop.bottom - crop.top) * 1500), 1920.0 / 1080.0, 1e-3);
    const nubilux::Region chicago{{41.88, -87.63}, 2000};
    EXPECT_EQ(nubilux::ViewSources(View::GoesEast, kWide, kNoonInEuropeUtc, &chicago).at(0).url,
              L"https://cdn.star.nesdis.noaa.gov/GOES19/ABI/CONUS/GEOCOLOR/2500x1500.jpg");
    // Los Angeles, 3000 km across, reaches beyond it; Honolulu lies outside it: the full
    // disc, as large as allowed (4096 on this monitor).
    for (const nubilux::Place place : {Place{34.05, -118.24}, Place{21.31, -157.86}}) {
        const nubilux::Region region{place, 3000};
        const auto disc = nubilux::ViewSources(View::GoesWest, kWide, kNoonInEuropeUtc, &region);
        ASSERT_EQ(disc.size(), 1u);
        EXPECT_EQ(disc[0].url, L"https://cdn.star.nesdis.noaa.gov/GOES18/ABI/FD/GEOCOLOR/1808x1808.jpg");
        ASSERT_TRUE(disc[0].crop);
        EXPECT_LT(disc[0].crop->top, 0.5);  // north of the equator
        EXPECT_FALSE(disc[0].earlierSlot);  // the newest of its name, as the continent's
    }
    EXPECT_FALSE(west[0].earlierSlot);
}

// Off the Carolinas, 1500 km across: the continental picture holds the region until its
// east edge passes the picture's by a fraction of a degree.
TEST(RegionSources, ARegionPartlyOutsideTheContinentalPictureIsCutFromTheDisc) {
    const nubilux::Region inside{{31, -68.5}, 1500}, across{{31, -67.75}, 1500};
    EXPECT_NE(nubilux::ViewSources(View::GoesEast, kWide, kNoonInEuropeUtc, &inside).at(0).url.find(L"/CONUS/"),
              std::wstring::npos);
    EXPECT_NE(nubilux::ViewSources(View::GoesEast, kWide, kNoonInEuropeUtc, &across).at(0).url.find(L"/FD/"),
              std::wstring::npos);
}

TEST(RegionSources, HimawariIsCutFromTheFullDisc) {
    const nubilux::Region tokyo{{35.65, 139.74}, 3000};
    const auto sources = nubilux::ViewSources(View::Himawari, kWide, kNoonInEuropeUtc, &tokyo);
    ASSERT_FALSE(sources.empty());
    for (const auto& source : sources) {
        ASSERT_TRUE(source.crop);
        EXPECT_LT(source.crop->top, 0.5);  // north of the equator
        EXPECT_NEAR((source.crop->right - source.crop->left) / (source.crop->bottom - source.crop->top),
                    1920.0 / 1080.0, 1e-9);
    }
}

TEST(RegionSources, AViewThatSeesTheRegionTooObliquelyHasNone) {
    const nubilux::Region rome{{41.9, 12.48}, 3000};
    EXPECT_TRUE(nubilux::ViewSources(View::GoesEast, kWide, kNoonInEuropeUtc, &rome).empty());  // 88 degrees off
    EXPECT_TRUE(nubilux::ViewSources(View::Himawari, kWide, kNoonInEuropeUtc, &rome).empty());  // beyond the limb
    EXPECT_FALSE(nubilux::ViewSources(View::MeteosatIndianOcean, kWide, kNoonInEuropeUtc, &rome).empty());
    const nubilux::Region svalbard{{78.2, 15.6}, 3000};  // 79 degrees north: no view sees it well
    for (const View view : nubilux::ViewsByDistance(15.6))
        EXPECT_TRUE(nubilux::ViewSources(view, kWide, kNoonInEuropeUtc, &svalbard).empty());
    // The whole Earth stays behind the region's sources as their fallback.
    const auto all = nubilux::SourcesFor(L"", nubilux::ViewsByDistance(15.6), kWide, kNoonInEuropeUtc, 0, &svalbard);
    ASSERT_FALSE(all.empty());
    EXPECT_FALSE(all[0].crop);
    EXPECT_NE(all[0].url.find(L"&BBOX=-9902222,-5570000,9902222,5570000&"), std::wstring::npos);
}

}  // namespace

namespace {

TEST(RegionSettings, TheIniCentreThenTheTimeZonesPlaceElseNone) {
    const nubilux::Place sydney{-33.87, 151.22};
    const auto own = nubilux::ChooseRegion(L"45.46,9.19", L"1200", sydney);
    ASSERT_TRUE(own);
    EXPECT_DOUBLE_EQ(own->centre.latitude, 45.46);
    EXPECT_DOUBLE_EQ(own->widthKm, 1200);
    const auto zone = nubilux::ChooseRegion(L"-1", L"9e9", sydney);  // none set, a width out of bounds
    ASSERT_TRUE(zone);
    EXPECT_DOUBLE_EQ(zone->centre.longitude, 151.22);
    EXPECT_DOUBLE_EQ(zone->widthKm, nubilux::kDefaultRegionKm);
    EXPECT_TRUE(nubilux::ChooseRegion(L"north", L"-1", sydney));  // a bad centre: the zone's
    EXPECT_FALSE(nubilux::ChooseRegion(L"-1", L"-1", std::nullopt));
}

// A region no view sees well is said, not shown as chosen: Reykjavik is 66 degrees from
// Meteosat 0's point below, the North Pole 90 from every view's; Oslo and Anchorage are seen.
TEST(RegionSettings, ARegionNoViewSeesWellIsSaidSo) {
    using nubilux::RegionFault;
    EXPECT_EQ(nubilux::FaultOf(std::nullopt), RegionFault::NoPlace);
    EXPECT_EQ(nubilux::FaultOf(nubilux::Region{{64.15, -21.94}, 3000}), RegionFault::NotSeen);
    EXPECT_EQ(nubilux::FaultOf(nubilux::Region{{90, 0}, 3000}), RegionFault::NotSeen);
    EXPECT_EQ(nubilux::FaultOf(nubilux::Region{{-85, 120}, 3000}), RegionFault::NotSeen);
    EXPECT_EQ(nubilux::FaultOf(nubilux::Region{{59.91, 10.75}, 3000}), RegionFault::None);
    EXPECT_EQ(nubilux::FaultOf(nubilux::Region{{61.22, -149.9}, 3000}), RegionFault::None);
    EXPECT_EQ(nubilux::FaultOf(nubilux::Region{{0, 65}, 3000}), RegionFault::None);  // over the Indian Ocean view
}

}  // namespace
