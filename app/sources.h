// Where the satellite picture comes from: the user's own address when set, then each
// view's published pictures, the view above the user first.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/geometry.h"
#include "app/region.h"
#include "app/views.h"

namespace nubilux {

struct Source {
    std::wstring name;  // the view and its picture, as the menu tells where it came from
    std::wstring url;
    // The UTC time (seconds since 1970) of the time slot that the address asks for, 0
    // when it asks for no slot: the newest picture the server has.
    std::int64_t slot = 0;
    // An earlier slot of the same picture: tried only when the newer one was missing.
    bool earlierSlot = false;
    // A published file, whose Last-Modified tells a stale copy from a cache.
    bool dated = false;
    // Which picture of the update it is for (one per monitor size, the primary's first).
    int picture = 0;
    // The part of the picture to show, scaled to fill the monitor: a region cut from a
    // larger picture. None: the whole picture, fitted and centred.
    std::optional<Crop> crop = std::nullopt;
};

// The size asked of a map server: the monitor's, scaled down to at most 4000 pixels a
// side with its shape kept, so the picture fills the monitor without distortion.
Screen RequestSize(Screen screen);

// The newest 10-minute slot a server has published by `nowUtc` (seconds since 1970),
// given how long it takes to publish one; `back` slots earlier for each step back.
std::int64_t LatestSlot(std::int64_t nowUtc, int publishingDelaySeconds, int back = 0);

// "2026-12-08T10:20:00Z"
std::wstring IsoTime(std::int64_t utc);

// The smallest of a square picture's published sides that covers the monitor's shorter
// side, and not above `largest`; the largest allowed one when none covers it.
int SquareSide(const std::vector<int>& published, Screen monitor, int largest);

// One view's pictures for a monitor, in the order to try them, at the time `nowUtc`: of
// the whole Earth, or of the region, which fills the monitor; none of the region when
// the view sees it too obliquely or not at all.
std::vector<Source> ViewSources(View view, Screen monitor, std::int64_t nowUtc, const Region* region = nullptr);

// An address the program can fetch: http or https, a host, nothing that would break
// the request line. Anything else is passed over.
bool IsUsableAddress(const std::wstring& url);

// The host of a usable address, which names the user's own source in the menu.
std::wstring HostOf(const std::wstring& url);

// The sources of one picture of an update: ownAddress first when it is usable, then the
// views in the given order. With a region, the views that see it come before all those,
// which stay as its fallbacks: the whole Earth rather than no new picture.
std::vector<Source> SourcesFor(const std::wstring& ownAddress, const std::vector<View>& views, Screen monitor,
                               std::int64_t nowUtc, int picture = 0, const Region* region = nullptr);

// A published file whose Last-Modified (seconds since 1970; 0 when none was sent) shows
// an old copy: older than the slot it is named after by more than an hour (a cache's copy
// of yesterday's file of the same name), or, named after no slot, older than six hours.
bool IsStale(std::int64_t lastModified, std::int64_t slot, std::int64_t nowUtc);

}  // namespace nubilux
