// Where the satellite picture comes from: the user's own address when set, then the
// built-in public sources, tried in this order within one update.
#pragma once

#include <string>
#include <vector>

namespace nubilux {

// The primary monitor's size in pixels.
struct Screen {
    int width = 0;
    int height = 0;
};

struct Source {
    std::wstring name;  // as the menu tells where the picture came from
    std::wstring url;
};

// The size asked of a map server: the screen's, scaled down to at most 4000 pixels a
// side with its shape kept, so the picture fills the screen without distortion.
Screen RequestSize(Screen screen);

// EUMETSAT's geostationary views (GeoColour, then two infrared layers) framed to the
// screen's shape, then NOAA's GOES-East full disc.
std::vector<Source> BuiltInSources(Screen screen);

// An address the program can fetch: http or https, a host, nothing that would break
// the request line. Anything else is passed over.
bool IsUsableAddress(const std::wstring& url);

// The host of a usable address, which names the user's own source in the menu.
std::wstring HostOf(const std::wstring& url);

// The sources of one update: ownAddress first when it is usable, then the built-in ones.
std::vector<Source> SourcesFor(const std::wstring& ownAddress, Screen screen);

}  // namespace nubilux
