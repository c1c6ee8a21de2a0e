#include "app/config.h"

#include <cwchar>
#include <optional>
#include <string_view>

#include "app/hourly.h"
#include "app/views.h"

namespace nubilux {

bool StartsAutomatic(const std::wstring& modo) {
    const auto value = suite::NumberIn(modo);
    return value && *value == 0.0;
}

namespace {

std::optional<int> Seconds(const std::wstring& text) {
    const std::wstring_view digits = suite::TrimBlanks(text);
    if (digits.empty()) return std::nullopt;
    int value = 0;
    for (const wchar_t digit : digits) {
        if (digit < L'0' || digit > L'9') return std::nullopt;
        value = value * 10 + (digit - L'0');
        if (value > kMaxHourOffsetSeconds) return std::nullopt;  // and never overflows
    }
    return value;
}

}  // namespace

HourOffset ChooseHourOffset(const std::wstring& beside, const std::wstring& kept, unsigned random) {
    if (const auto set = Seconds(beside)) return {*set, false};
    if (const auto own = Seconds(kept)) return {*own, false};
    return {static_cast<int>(random % (kMaxHourOffsetSeconds + 1)), true};
}

std::optional<Region> ChooseRegion(const std::wstring& centre, const std::wstring& width, std::optional<Place> zone) {
    const std::optional<Place> own = CentreNamed(centre), at = own ? own : zone;
    if (!at) return std::nullopt;
    return Region{*at, RegionWidthNamed(width).value_or(kDefaultRegionKm)};
}

RegionFault FaultOf(const std::optional<Region>& region) {
    if (!region) return RegionFault::NoPlace;
    for (const View view : ViewsByDistance(region->centre.longitude))
        if (DegreesFromBelow(region->centre, Describe(view).longitude) <= kMaxDegreesFromBelow)
            return RegionFault::None;
    return RegionFault::NotSeen;
}

std::wstring ReadSetting(const suite::ProfileStore& store, const std::wstring& userFolder,
                         const std::wstring& programFolder, const wchar_t* key) {
    // No user folder (no profile): no file of the user's, rather than one at the root of the drive.
    const std::wstring own = userFolder.empty() ? kNothingRead : MakeReader(store, userFolder).File_INI_Leggi(kSection, key);
    return own != kNothingRead ? own : MakeReader(store, programFolder).File_INI_Leggi(kSection, key);
}

}  // namespace nubilux
