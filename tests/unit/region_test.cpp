#include <gtest/gtest.h>

#include <cmath>

#include "app/region.h"

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

TEST(Framing, TheRegionFillsTheMonitorsShapeAboutItsCentre) {
    const nubilux::Region rome{{41.9, 12.48}, 3000};
    for (const nubilux::Screen monitor : {nubilux::Screen{1920, 1080}, {1024, 768}, {1080, 1920}}) {
        const auto box = nubilux::FrameRegion(rome, monitor, 0);
        ASSERT_TRUE(box);
        EXPECT_NEAR(box->Width() / box->Height(), static_cast<double>(monitor.width) / monitor.height, 1e-9);
        const auto centre = ScanAnglesOf(rome.centre, 0);
        EXPECT_LT(box->west, centre->x);
        EXPECT_GT(box->east, centre->x);
        EXPECT_LT(box->south, centre->y);
        EXPECT_GT(box->north, centre->y);
    }
    // 3000 km across, seen 43 degrees off: a little over a quarter of the disc's width.
    const auto wide = nubilux::FrameRegion(rome, {1920, 1080}, 0);
    EXPECT_GT(wide->Width(), 3000e3 / nubilux::kPerspectiveHeight * 0.6);
    EXPECT_LT(wide->Width(), 3000e3 / nubilux::kPerspectiveHeight * 1.2);
    // A region that reaches over the limb is no region of that view.
    EXPECT_FALSE(nubilux::FrameRegion({{0, 75}, 3000}, {1920, 1080}, 0));
}

TEST(Framing, ACropIsTheBoxsShareOfTheFullDisc) {
    const auto crop = nubilux::CropOf({-0.05, 0.02, 0.05, 0.08}, 0.15);
    ASSERT_TRUE(crop);
    EXPECT_NEAR(crop->left, 0.1 / 0.3, 1e-12);
    EXPECT_NEAR(crop->right, 0.2 / 0.3, 1e-12);
    EXPECT_NEAR(crop->top, 0.07 / 0.3, 1e-12);  // north is up
    EXPECT_NEAR(crop->bottom, 0.13 / 0.3, 1e-12);
    EXPECT_FALSE(nubilux::CropOf({-0.16, 0, 0, 0.1}, 0.15));
}

TEST(RegionSettings, ACentreAndAWidthOrNothing) {
    const auto centre = nubilux::CentreNamed(L"41.9, 12.48");
    ASSERT_TRUE(centre);
    EXPECT_DOUBLE_EQ(centre->latitude, 41.9);
    EXPECT_DOUBLE_EQ(centre->longitude, 12.48);
    EXPECT_TRUE(nubilux::CentreNamed(L"-33.87,151.21"));
    for (const wchar_t* bad : {L"", L"-1", L"41.9", L"41.9;12.5", L"91,0", L"0,181", L"north,east", L"1,2,3"})
        EXPECT_FALSE(nubilux::CentreNamed(bad)) << bad;
    EXPECT_EQ(nubilux::RegionWidthNamed(L"2500"), 2500.0);
    for (const wchar_t* bad : {L"", L"-1", L"100", L"20000", L"wide", L"nan"})
        EXPECT_FALSE(nubilux::RegionWidthNamed(bad)) << bad;
}

}  // namespace
