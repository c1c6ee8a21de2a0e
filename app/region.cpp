#include "app/region.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "common/text.h"

namespace nubilux {

namespace {

// The Earth as GRS 80 has it, and the satellite's distance from its centre.
constexpr double kEquatorRadius = 6378137.0, kPolarRadius = 6356752.31414;
constexpr double kFromCentre = kPerspectiveHeight + kEquatorRadius;
constexpr double kKmPerDegree = 111.195;  // along a meridian, on a sphere of the mean radius

double Radians(double degrees) { return degrees * std::numbers::pi / 180.0; }

}  // namespace

std::optional<ScanAngles> ScanAnglesOf(Place place, double subLongitude) {
    const double ratio = (kPolarRadius * kPolarRadius) / (kEquatorRadius * kEquatorRadius);
    const double eccentricity2 = 1.0 - ratio;
    // The geocentric latitude, and the distance of the point from the Earth's centre.
    const double latitude = std::atan(ratio * std::tan(Radians(place.latitude)));
    const double radius = kPolarRadius / std::sqrt(1.0 - eccentricity2 * std::cos(latitude) * std::cos(latitude));
    const double across = Radians(place.longitude - subLongitude);
    const double sx = kFromCentre - radius * std::cos(latitude) * std::cos(across);
    const double sy = -radius * std::cos(latitude) * std::sin(across);
    const double sz = radius * std::sin(latitude);
    // Seen from the satellite, the point is behind the Earth's edge.
    if (kFromCentre * (kFromCentre - sx) < sy * sy + sz * sz / ratio) return std::nullopt;
    const double distance = std::sqrt(sx * sx + sy * sy + sz * sz);
    return ScanAngles{std::asin(-sy / distance), std::atan(sz / sx)};
}

double DegreesFromBelow(Place place, double subLongitude) {
    const double cosine = std::cos(Radians(place.latitude)) * std::cos(Radians(place.longitude - subLongitude));
    return std::acos(cosine) * 180.0 / std::numbers::pi;  // a product of cosines: never past ±1
}

std::optional<AngleBox> FrameRegion(const Region& region, Screen monitor, double subLongitude) {
    if (monitor.width <= 0 || monitor.height <= 0) return std::nullopt;
    const double heightKm = region.widthKm * monitor.height / monitor.width;
    const double halfLatitude = heightKm / 2 / kKmPerDegree;
    const double cosine = std::max(std::cos(Radians(region.centre.latitude)), 0.05);
    const double halfLongitude = region.widthKm / 2 / (kKmPerDegree * cosine);
    // The box's edges, five points each, as the satellite sees them.
    std::optional<AngleBox> box;
    for (int i = 0; i <= 4; ++i) {
        const double along = -1.0 + i * 0.5;
        for (const auto& [north, east] : {std::pair{along, -1.0}, {along, 1.0}, {-1.0, along}, {1.0, along}}) {
            // Past a pole is behind the limb as the pole itself is: refused below.
            const Place point{region.centre.latitude + north * halfLatitude, region.centre.longitude + east * halfLongitude};
            const auto seen = ScanAnglesOf(point, subLongitude);
            if (!seen) return std::nullopt;
            if (!box) box = AngleBox{seen->x, seen->y, seen->x, seen->y};
            box = AngleBox{std::min(box->west, seen->x), std::min(box->south, seen->y), std::max(box->east, seen->x),
                           std::max(box->north, seen->y)};
        }
    }
    // Widened about its middle to the monitor's shape: the picture fills it, unstretched.
    const double shape = static_cast<double>(monitor.width) / monitor.height;
    const double middleX = (box->west + box->east) / 2, middleY = (box->south + box->north) / 2;
    double width = box->Width(), height = box->Height();
    if (width < height * shape)
        width = height * shape;
    else
        height = width / shape;
    return AngleBox{middleX - width / 2, middleY - height / 2, middleX + width / 2, middleY + height / 2};
}

std::optional<Crop> CropOf(const AngleBox& box, const AngleBox& picture) {
    const Crop crop{(box.west - picture.west) / picture.Width(), (picture.north - box.north) / picture.Height(),
                    (box.east - picture.west) / picture.Width(), (picture.north - box.south) / picture.Height()};
    if (crop.left < 0 || crop.top < 0 || crop.right > 1 || crop.bottom > 1) return std::nullopt;
    return crop;
}

std::optional<Place> CentreNamed(const std::wstring& text) {
    const auto comma = text.find(L',');
    if (comma == std::wstring::npos) return std::nullopt;
    const auto latitude = suite::NumberIn(text.substr(0, comma)), longitude = suite::NumberIn(text.substr(comma + 1));
    if (!latitude || !longitude || std::fabs(*latitude) > 90 || std::fabs(*longitude) > 180) return std::nullopt;
    return Place{*latitude, *longitude};
}

std::optional<double> RegionWidthNamed(const std::wstring& text) {
    const auto km = suite::NumberIn(text);
    if (!km || *km < kMinRegionKm || *km > kMaxRegionKm) return std::nullopt;
    return *km;
}

}  // namespace nubilux
