#include "app/sources.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>

#include "app/picture.h"
#include "common/text.h"

namespace nubilux {

namespace {

constexpr wchar_t kMapServer[] = L"https://view.eumetsat.int/geoserver/wms";
constexpr wchar_t kNoaa[] = L"https://cdn.star.nesdis.noaa.gov/";
constexpr wchar_t kJma[] = L"https://www.data.jma.go.jp/mscweb/data/himawari/img/fd_/fd__";
// NOAA's full-disc GeoColor pictures are published in these sizes.
const std::vector<int> kNoaaSides = {339, 678, 1808, 5424, 10848, 21696};
// Its continental United States in these (the view's own 1 km grid at 5000 x 3000), over
// these scan angles: the ABI's CONUS sector from GOES-East, and PACUS from GOES-West.
const std::vector<int> kConusWidths = {1250, 2500, 5000};  // each 5 by 3
constexpr AngleBox kConusEast{-0.101332, 0.044268, 0.038612, 0.128212};
constexpr AngleBox kConusWest{-0.069972, 0.044268, 0.069972, 0.128212};
// The scan angles a full-disc picture spans either side of its centre: the ABI's 5424
// columns of 56 microradians, the AHI's 5500.
constexpr double kGoesHalfAngle = 0.151872, kHimawariHalfAngle = 0.154;
constexpr int kMaxRequestSide = 4000;
// Half the side of the square that holds the Earth's disc in the geostationary view, in
// metres of the projection: the disc's edge lies at about 5,434 km; a thin margin of
// space is kept around it, as in the full-disc pictures.
constexpr long long kDiscHalfSide = 5570000;
// How long after its slot a full-disc picture is out, with some time to spare; a slot
// still missing is stepped back from, at most twice.
constexpr int kPublishingDelay = 30 * 60;
// JMA's full-disc stills come out 20 to 30 minutes after their slot.
constexpr int kJmaPublishingDelay = 40 * 60;
constexpr int kStepsBack = 2;
constexpr std::int64_t kSlot = 600;

// Whether the sun is up at the point below the satellite: its local solar hour is
// between 7 and 17. By night a natural-colour picture is dark, so only infrared is asked.
bool DaylightBelow(double longitude, std::int64_t nowUtc) {
    double solar = std::fmod(static_cast<double>(nowUtc % 86400) / 3600.0 + longitude / 15.0, 24.0);
    if (solar < 0) solar += 24.0;
    return solar >= 7.0 && solar < 17.0;
}

// To a tenth of a degree, without a trailing ".0" or a sign on zero.
std::wstring Degrees(double longitude) {
    const long long tenths = std::llround(longitude * 10);
    std::wstring out = (tenths < 0 ? L"-" : L"") + suite::Decimal(std::llabs(tenths) / 10);
    if (tenths % 10) out += L"." + suite::Decimal(std::llabs(tenths) % 10);
    return out;
}

std::wstring TwoDigits(int n) { return {wchar_t(L'0' + n / 10 % 10), wchar_t(L'0' + n % 10)}; }

// The map's box in metres of the projection: the whole disc, filling the shorter side
// (the longer side shows more space around it), or the region's box.
std::wstring MapBox(Screen size, const std::optional<AngleBox>& region) {
    if (region) {
        const auto metres = [](double angle) { return suite::Decimal(std::llround(angle * kPerspectiveHeight)); };
        return metres(region->west) + L"," + metres(region->south) + L"," + metres(region->east) + L"," +
               metres(region->north);
    }
    long long halfWidth = kDiscHalfSide, halfHeight = kDiscHalfSide;
    if (size.width >= size.height)
        halfWidth = kDiscHalfSide * size.width / size.height;
    else
        halfHeight = kDiscHalfSide * size.height / size.width;
    return suite::Decimal(-halfWidth) + L"," + suite::Decimal(-halfHeight) + L"," + suite::Decimal(halfWidth) + L"," +
           suite::Decimal(halfHeight);
}

// A GetMap request for one layer, in the view from the satellite above `longitude`, of
// the given box, for one time slot: a new address each slot, so no cache can answer
// with an old frame.
std::wstring MapRequest(const wchar_t* layer, double longitude, Screen size, std::int64_t slot, const std::wstring& box) {
    // Outside the disc the server paints its background colour, white unless asked.
    return std::wstring(kMapServer) + L"?SERVICE=WMS&VERSION=1.3.0&REQUEST=GetMap&LAYERS=" + layer +
           L"&STYLES=&CRS=AUTO:97004,9001," + Degrees(longitude) + L",0&BBOX=" + box +
           L"&WIDTH=" + suite::Decimal(size.width) + L"&HEIGHT=" + suite::Decimal(size.height) +
           L"&FORMAT=image/jpeg&BGCOLOR=0x000000&TRANSPARENT=FALSE&TIME=" + IsoTime(slot);
}

// One picture of a view at the newest slot, then stepped back.
void AddSlots(std::vector<Source>& out, const std::wstring& name, std::int64_t nowUtc, int delay, bool dated,
              const auto& urlForSlot) {
    for (int back = 0; back <= kStepsBack; ++back) {
        const std::int64_t slot = LatestSlot(nowUtc, delay, back);
        out.push_back({name, urlForSlot(slot), slot, back > 0, dated});
    }
}

void AddMapLayer(std::vector<Source>& out, View view, const wchar_t* layer, const wchar_t* kind, Screen monitor,
                 std::int64_t nowUtc, const std::optional<AngleBox>& region) {
    const ViewInfo& info = Describe(view);
    const Screen size = RequestSize(monitor);
    const std::wstring box = MapBox(size, region);
    AddSlots(out, std::wstring(info.name) + L", " + kind, nowUtc, kPublishingDelay, false,
             [&](std::int64_t slot) { return MapRequest(layer, info.longitude, size, slot, box); });
}

void AddHimawari(std::vector<Source>& out, const wchar_t* band, const wchar_t* kind, std::int64_t nowUtc,
                 const std::optional<AngleBox>& region) {
    std::optional<Crop> crop;
    if (region && !(crop = CropOf(*region, FullDisc(kHimawariHalfAngle)))) return;
    // JMA names each full-disc still after its UTC slot, hhmm, and keeps a day of them:
    // the same name is yesterday's picture until today's is out (a stale copy, dated).
    const std::size_t first = out.size();
    AddSlots(out, std::wstring(Describe(View::Himawari).name) + L", " + kind, nowUtc, kJmaPublishingDelay, true,
             [&](std::int64_t slot) {
                 const int minutes = static_cast<int>(slot % 86400 / 60);
                 return std::wstring(kJma) + band + L"_" + TwoDigits(minutes / 60) + TwoDigits(minutes % 60) + L".jpg";
             });
    for (std::size_t i = first; i < out.size(); ++i) out[i].crop = crop;
}

// The smallest of the published sizes (ascending) that is enough, and not above `largest`;
// the largest allowed one when none is enough.
int SmallestEnough(const std::vector<int>& published, int largest, const auto& enough) {
    int best = 0;
    for (const int size : published) {
        if (size > largest) break;
        best = size;
        if (enough(size)) break;
    }
    return best ? best : published.front();
}

// How many of a picture's pixels across the region would show, for a picture `side`
// pixels wide spanning `span` radians.
double PixelsAcross(const AngleBox& box, double side, double span) { return side * box.Width() / span; }

void AddGoes(std::vector<Source>& out, View view, const wchar_t* satellite, Screen monitor,
             const std::optional<AngleBox>& region) {
    const std::wstring name = std::wstring(Describe(view).name) + L", GeoColor";
    const std::wstring base = std::wstring(kNoaa) + satellite + L"/ABI/";
    const int limit = MaxPictureSide(monitor);
    if (!region) {
        const int side = SquareSide(kNoaaSides, monitor, limit);
        const std::wstring size = suite::Decimal(side) + L"x" + suite::Decimal(side);
        // Always the newest picture of that name.
        out.push_back({name, base + L"FD/GEOCOLOR/" + size + L".jpg", 0, false, true});
        return;
    }
    // The full disc's smallest size that shows the region at the monitor's resolution, or
    // its largest allowed; the continental picture instead where it holds the region more
    // finely.
    const auto showing = [&](double span) {
        return [&, span](int size) { return PixelsAcross(*region, size, span) >= monitor.width; };
    };
    const int side = SmallestEnough(kNoaaSides, limit, showing(2 * kGoesHalfAngle));
    const AngleBox& conus = view == View::GoesEast ? kConusEast : kConusWest;
    if (const auto crop = CropOf(*region, conus)) {
        const int width = SmallestEnough(kConusWidths, limit, showing(conus.Width()));
        if (PixelsAcross(*region, width, conus.Width()) > PixelsAcross(*region, side, 2 * kGoesHalfAngle)) {
            out.push_back({name, base + L"CONUS/GEOCOLOR/" + suite::Decimal(width) + L"x" +
                                     suite::Decimal(width * 3 / 5) + L".jpg",
                           0, false, true, 0, crop});
            return;
        }
    }
    if (const auto crop = CropOf(*region, FullDisc(kGoesHalfAngle)))
        out.push_back({name, base + L"FD/GEOCOLOR/" + suite::Decimal(side) + L"x" + suite::Decimal(side) + L".jpg", 0,
                       false, true, 0, crop});
}

// The text after the scheme's "://"; npos when the scheme is neither http nor https.
std::size_t AfterScheme(const std::wstring& url) {
    if (suite::StartsWithNoCase(url, L"https://")) return 8;
    if (suite::StartsWithNoCase(url, L"http://")) return 7;
    return std::wstring::npos;
}

}  // namespace

Screen RequestSize(Screen screen) {
    if (screen.width <= 0 || screen.height <= 0) return {1024, 768};
    const int longer = std::max(screen.width, screen.height);
    if (longer <= kMaxRequestSide) return screen;
    return {std::max(1, static_cast<int>(static_cast<long long>(screen.width) * kMaxRequestSide / longer)),
            std::max(1, static_cast<int>(static_cast<long long>(screen.height) * kMaxRequestSide / longer))};
}

std::int64_t LatestSlot(std::int64_t nowUtc, int publishingDelaySeconds, int back) {
    const std::int64_t published = nowUtc - publishingDelaySeconds;
    const std::int64_t slot = published - ((published % kSlot) + kSlot) % kSlot;
    return slot - back * kSlot;
}

std::wstring IsoTime(std::int64_t utc) {
    using namespace std::chrono;
    const sys_seconds time{seconds{utc}};
    const sys_days day = floor<days>(time);
    const year_month_day date{day};
    const hh_mm_ss clock{time - day};
    return suite::Decimal(static_cast<int>(date.year())) + L"-" + TwoDigits(static_cast<int>(unsigned{date.month()})) +
           L"-" + TwoDigits(static_cast<int>(unsigned{date.day()})) + L"T" +
           TwoDigits(static_cast<int>(clock.hours().count())) + L":" +
           TwoDigits(static_cast<int>(clock.minutes().count())) + L":" +
           TwoDigits(static_cast<int>(clock.seconds().count())) + L"Z";
}

int SquareSide(const std::vector<int>& published, Screen monitor, int largest) {
    const int shorter = std::max(1, std::min(monitor.width, monitor.height));
    return SmallestEnough(published, largest, [&](int side) { return side >= shorter; });
}

std::vector<Source> ViewSources(View view, Screen monitor, std::int64_t nowUtc, const Region* region) {
    std::vector<Source> out;
    const double below = Describe(view).longitude;
    std::optional<AngleBox> box;
    if (region) {
        if (DegreesFromBelow(region->centre, below) > kMaxDegreesFromBelow) return out;
        if (!(box = FrameRegion(*region, monitor, below))) return out;
    }
    const bool day = DaylightBelow(below, nowUtc);
    switch (view) {
    case View::Meteosat:
        AddMapLayer(out, view, L"mtg_fd:rgb_geocolour", L"GeoColour", monitor, nowUtc, box);
        AddMapLayer(out, view, L"mtg_fd:ir105_hrfi", L"infrared", monitor, nowUtc, box);
        AddMapLayer(out, view, L"msg_fes:ir108", L"infrared", monitor, nowUtc, box);
        break;
    case View::MeteosatIndianOcean:
        // No GeoColour over the Indian Ocean: natural colour by day, infrared at any hour.
        if (day) AddMapLayer(out, view, L"msg_iodc:rgb_natural", L"natural colour", monitor, nowUtc, box);
        AddMapLayer(out, view, L"msg_iodc:ir108", L"infrared", monitor, nowUtc, box);
        break;
    case View::GoesEast: AddGoes(out, view, L"GOES19", monitor, box); break;
    case View::GoesWest: AddGoes(out, view, L"GOES18", monitor, box); break;
    case View::Himawari:
        if (day) AddHimawari(out, L"trm", L"true colour", nowUtc, box);
        AddHimawari(out, L"b13", L"infrared", nowUtc, box);
        break;
    }
    return out;
}

bool IsUsableAddress(const std::wstring& url) {
    const std::size_t start = AfterScheme(url);
    if (start == std::wstring::npos || url.size() > 2048) return false;
    for (const wchar_t c : url)
        if (c <= L' ' || c == 0x7F || c == L'"' || c == L'<' || c == L'>' || c == L'\\') return false;
    return !HostOf(url).empty();
}

std::wstring HostOf(const std::wstring& url) {
    const std::size_t start = AfterScheme(url);
    if (start == std::wstring::npos) return L"";
    std::wstring authority = url.substr(start, url.find_first_of(L"/?#", start) - start);
    authority = authority.substr(authority.rfind(L'@') + 1);  // no user name or password
    if (!authority.empty() && authority.front() == L'[') return authority.substr(0, authority.find(L']') + 1);
    return authority.substr(0, authority.find(L':'));
}

std::vector<Source> SourcesFor(const std::wstring& ownAddress, const std::vector<View>& views, Screen monitor,
                               std::int64_t nowUtc, int picture, const Region* region) {
    std::vector<Source> sources;
    if (region)
        for (const View view : views)
            for (Source& source : ViewSources(view, monitor, nowUtc, region)) sources.push_back(std::move(source));
    if (IsUsableAddress(ownAddress)) sources.push_back({HostOf(ownAddress), ownAddress});
    for (const View view : views)
        for (Source& source : ViewSources(view, monitor, nowUtc)) sources.push_back(std::move(source));
    for (Source& source : sources) source.picture = picture;
    return sources;
}

bool IsStale(std::int64_t lastModified, std::int64_t slot, std::int64_t nowUtc) {
    if (lastModified <= 0) return false;
    if (slot) return lastModified < slot - 3600;
    return lastModified < nowUtc - 6 * 3600;
}

}  // namespace nubilux
