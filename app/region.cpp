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
constexpr double kMeanRadiusKm = 6371.0088;

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

std::optional<Place> PlaceAt(ScanAngles seen, double subLongitude) {
    // The inverse of ScanAnglesOf, as the same guide gives it: where the line of sight
    // meets the ellipsoid first, if it meets it at all.
    const double squares = (kEquatorRadius * kEquatorRadius) / (kPolarRadius * kPolarRadius);
    const double sinX = std::sin(seen.x), cosX = std::cos(seen.x), sinY = std::sin(seen.y), cosY = std::cos(seen.y);
    const double a = sinX * sinX + cosX * cosX * (cosY * cosY + squares * sinY * sinY);
    const double b = -2.0 * kFromCentre * cosX * cosY;
    const double c = kFromCentre * kFromCentre - kEquatorRadius * kEquatorRadius;
    const double discriminant = b * b - 4.0 * a * c;
    if (discriminant < 0) return std::nullopt;
    const double range = (-b - std::sqrt(discriminant)) / (2.0 * a);
    const double sx = range * cosX * cosY, sy = -range * sinX, sz = range * cosX * sinY;
    const double latitude = std::atan(squares * sz / std::hypot(kFromCentre - sx, sy));
    double longitude = subLongitude - std::atan(sy / (kFromCentre - sx)) * 180.0 / std::numbers::pi;
    if (longitude > 180) longitude -= 360;
    if (longitude < -180) longitude += 360;
    return Place{latitude * 180.0 / std::numbers::pi, longitude};
}

double KmBetween(Place a, Place b) {
    const double dLatitude = Radians(b.latitude - a.latitude), dLongitude = Radians(b.longitude - a.longitude);
    const double h = std::sin(dLatitude / 2) * std::sin(dLatitude / 2) +
                     std::cos(Radians(a.latitude)) * std::cos(Radians(b.latitude)) * std::sin(dLongitude / 2) *
                         std::sin(dLongitude / 2);
    return 2.0 * kMeanRadiusKm * std::asin(std::min(1.0, std::sqrt(h)));
}

namespace {

// The box's edges stay this share of the disc's radius inside the limb: the pictures'
// own rounding never shows a sliver of space, and a full-disc picture, which spans the
// disc exactly, always holds the box.
constexpr double kLimbMargin = 0.01;

// Whether a point lies on the disc, the margin inside its edge: the point scaled out
// from the centre by the margin must still meet the Earth.
bool OnDisc(double x, double y) {
    return PlaceAt({x * (1 + kLimbMargin), y * (1 + kLimbMargin)}, 0).has_value();
}

// Whether the whole box lies on the disc: the disc is convex, so its corners tell.
bool OnDisc(const AngleBox& box) {
    return OnDisc(box.west, box.south) && OnDisc(box.east, box.south) && OnDisc(box.west, box.north) &&
           OnDisc(box.east, box.north);
}

// The box of half sizes (halfWidth, halfHeight) about (x, y).
AngleBox BoxAbout(double x, double y, double halfWidth, double halfHeight) {
    return {x - halfWidth, y - halfHeight, x + halfWidth, y + halfHeight};
}

// The half width in scan angles over which the row through `middle` spans widthKm on the
// ground, from end to end; nothing when the row reaches the limb first.
std::optional<double> HalfWidthFor(ScanAngles middle, double widthKm, double subLongitude) {
    const auto ends = [&](double half) -> std::optional<double> {  // the row's length, while on the disc
        if (!OnDisc(middle.x - half, middle.y) || !OnDisc(middle.x + half, middle.y)) return std::nullopt;
        const auto west = PlaceAt({middle.x - half, middle.y}, subLongitude),
                   east = PlaceAt({middle.x + half, middle.y}, subLongitude);
        return KmBetween(*west, *east);
    };
    double low = 0, high = 0.16;  // past the disc's half width of 0.152
    for (int i = 0; i < 50; ++i) {
        const auto km = ends((low + high) / 2);
        (km && *km <= widthKm ? low : high) = (low + high) / 2;
    }
    const auto reached = ends(high);
    if (!reached) return std::nullopt;
    return low;
}

}  // namespace

std::optional<AngleBox> FrameRegion(const Region& region, Screen monitor, double subLongitude) {
    if (monitor.width <= 0 || monitor.height <= 0) return std::nullopt;
    const auto place = ScanAnglesOf(region.centre, subLongitude);
    if (!place || !OnDisc(place->x, place->y)) return std::nullopt;
    const double shape = static_cast<double>(monitor.height) / monitor.width;
    // The place at the middle, the asked width across the middle row, the monitor's shape.
    // Where that row meets the limb first, the width is taken on a row nearer the point
    // below, where the box will be moved to.
    std::optional<double> sized;
    for (double moved = 0; !sized && moved <= 1.0; moved += 0.05)
        sized = HalfWidthFor({place->x * (1 - moved), place->y * (1 - moved)}, region.widthKm, subLongitude);
    if (!sized) return std::nullopt;
    double halfWidth = *sized;
    // Near the limb the box moves toward the point below until it lies on the disc,
    // keeping the place within the middle of it; only where that cannot be done is it
    // narrowed, a step at a time.
    constexpr double kKeptWithin = 0.8;  // of the half sizes, from the middle
    for (int narrowed = 0; narrowed < 40; ++narrowed, halfWidth *= 0.9) {
        const double halfHeight = halfWidth * shape;
        const auto at = [&](double moved) {
            return BoxAbout(place->x * (1 - moved), place->y * (1 - moved), halfWidth, halfHeight);
        };
        if (OnDisc(at(0))) return at(0);
        if (!OnDisc(at(1))) continue;
        double low = 0, high = 1;  // off the disc at low, on it at high
        for (int i = 0; i < 40; ++i) (OnDisc(at((low + high) / 2)) ? high : low) = (low + high) / 2;
        if (std::fabs(place->x) * high <= halfWidth * kKeptWithin &&
            std::fabs(place->y) * high <= halfHeight * kKeptWithin)
            return at(high);
    }
    return std::nullopt;
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
