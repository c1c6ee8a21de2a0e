#include "app/sources.h"

#include <algorithm>

namespace nubilux {

namespace {

constexpr wchar_t kMapServer[] = L"https://view.eumetsat.int/geoserver/wms";
constexpr wchar_t kGoesEast[] = L"https://cdn.star.nesdis.noaa.gov/GOES19/ABI/FD/GEOCOLOR/1808x1808.jpg";
constexpr int kMaxRequestSide = 4000;
// Half the side of the square that holds the Earth's disc in the geostationary view, in
// metres of the projection: the disc's edge lies at about 5,434 km; a thin margin of
// space is kept around it, as in the full-disc pictures.
constexpr long long kDiscHalfSide = 5570000;

// A GetMap request for one layer, in the view from the satellite above 0° longitude.
std::wstring MapRequest(const wchar_t* layer, Screen size) {
    // The disc fills the shorter side; the longer side shows more space around it.
    long long halfWidth = kDiscHalfSide, halfHeight = kDiscHalfSide;
    if (size.width >= size.height)
        halfWidth = kDiscHalfSide * size.width / size.height;
    else
        halfHeight = kDiscHalfSide * size.height / size.width;
    return std::wstring(kMapServer) + L"?SERVICE=WMS&VERSION=1.1.1&REQUEST=GetMap&LAYERS=" + layer +
           L"&STYLES=&SRS=AUTO:97004,9001,0,0&BBOX=" + std::to_wstring(-halfWidth) + L"," +
           std::to_wstring(-halfHeight) + L"," + std::to_wstring(halfWidth) + L"," + std::to_wstring(halfHeight) +
           L"&WIDTH=" + std::to_wstring(size.width) + L"&HEIGHT=" + std::to_wstring(size.height) +
           L"&FORMAT=image/jpeg";
}

bool StartsWithNoCase(const std::wstring& text, const std::wstring& prefix) {
    if (text.size() < prefix.size()) return false;
    const auto lower = [](wchar_t c) { return c >= L'A' && c <= L'Z' ? c - L'A' + L'a' : c; };
    return std::equal(prefix.begin(), prefix.end(), text.begin(), [&](wchar_t a, wchar_t b) { return lower(a) == lower(b); });
}

// The text after the scheme's "://"; npos when the scheme is neither http nor https.
std::size_t AfterScheme(const std::wstring& url) {
    if (StartsWithNoCase(url, L"https://")) return 8;
    if (StartsWithNoCase(url, L"http://")) return 7;
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

std::vector<Source> BuiltInSources(Screen screen) {
    const Screen size = RequestSize(screen);
    return {
        {L"EUMETSAT MTG GeoColour", MapRequest(L"mtg_fd:rgb_geocolour", size)},
        {L"EUMETSAT MTG infrared 10.5 \u00b5m", MapRequest(L"mtg_fd:ir105_hrfi", size)},
        {L"EUMETSAT Meteosat infrared 10.8 \u00b5m", MapRequest(L"msg_fes:ir108", size)},
        {L"NOAA GOES-East GeoColor", kGoesEast},
    };
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

std::vector<Source> SourcesFor(const std::wstring& ownAddress, Screen screen) {
    std::vector<Source> sources;
    if (IsUsableAddress(ownAddress)) sources.push_back({HostOf(ownAddress), ownAddress});
    for (Source& source : BuiltInSources(screen)) sources.push_back(std::move(source));
    return sources;
}

}  // namespace nubilux
