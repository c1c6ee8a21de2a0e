// The region around the user as a geostationary satellite sees it: latitude and longitude
// projected forward to the satellite's scan angles, as the satellite operators publish it
// for their pictures (NOAA's GOES-R Product User Guide, vol. 3, section 5.1.2.8.1, whose
// worked example the tests use; EUMETSAT's and JMA's agree), and the region framed to a
// monitor's shape in those angles.
#pragma once

#include <optional>
#include <string>

#include "app/geometry.h"
#include "app/zones.h"

namespace nubilux {

// Scan angles in radians: x east of the point below the satellite, y north of it.
struct ScanAngles {
    double x, y;
};

// A point's scan angles from the satellite above subLongitude; nothing when the point is
// beyond the Earth's limb, on the side the satellite cannot see.
std::optional<ScanAngles> ScanAnglesOf(Place place, double subLongitude);

// The place a line of sight at these scan angles meets first; nothing when it passes the
// Earth by.
std::optional<Place> PlaceAt(ScanAngles seen, double subLongitude);

// The distance between two places along the Earth's surface (a sphere of the mean radius).
double KmBetween(Place a, Place b);

// The satellite's height above the Earth's surface at the point below it: scan angles
// times this are the metres of the geostationary projection (the map server's AUTO:97004).
inline constexpr double kPerspectiveHeight = 35785831.0;

// How far a place lies from the point below the satellite, in degrees of arc on the Earth.
double DegreesFromBelow(Place place, double subLongitude);
// Beyond this the satellite sees the ground too obliquely to be worth a region of it.
inline constexpr double kMaxDegreesFromBelow = 65.0;

// The region: its centre and its width in kilometres across the monitor.
struct Region {
    Place centre;
    double widthKm;
};
inline constexpr double kDefaultRegionKm = 3000, kMinRegionKm = 500, kMaxRegionKm = 8000;

// A box of scan angles, west < east, south < north.
struct AngleBox {
    double west, south, east, north;
    double Width() const { return east - west; }
    double Height() const { return north - south; }
};

// The region in the satellite's angles, with the monitor's shape and all of it Earth: the
// place at the middle and the asked width from end to end of the middle row. Near the
// limb the box is moved toward the point below the satellite until it lies on the disc,
// the place still within the middle four fifths of it, and narrowed only where that is not
// enough. Nothing when the place itself is not on the disc or no box will do.
std::optional<AngleBox> FrameRegion(const Region& region, Screen monitor, double subLongitude);

// The part of a picture spanning the scan angles `picture` (a full disc spans its half
// angle either side of the point below) that shows the box: fractions of its width and
// height from its top-left corner. Nothing when the box reaches outside the picture.
struct Crop {
    double left, top, right, bottom;
};
std::optional<Crop> CropOf(const AngleBox& box, const AngleBox& picture);
inline AngleBox FullDisc(double halfAngle) { return {-halfAngle, -halfAngle, halfAngle, halfAngle}; }

// Settings: "latitude,longitude" in degrees and the width in kilometres, as Nubilux.ini
// gives them; nothing for text that is not one, or out of bounds.
std::optional<Place> CentreNamed(const std::wstring& text);
std::optional<double> RegionWidthNamed(const std::wstring& text);

}  // namespace nubilux
