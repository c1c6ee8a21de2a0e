// Nubilux.ini beside the program: section Nubilux, key Aggiornamento.
#pragma once

#include <optional>
#include <string>

#include "app/region.h"
#include "common/profile.h"
#include "common/text.h"

namespace nubilux {

inline constexpr wchar_t kConfigFile[] = L"Nubilux.ini";
inline constexpr wchar_t kSection[] = L"Nubilux";
inline constexpr wchar_t kKey[] = L"Aggiornamento";
inline constexpr wchar_t kNothingRead[] = L"-1";

// The user's own address for the picture (a company mirror), tried before the built-in ones.
inline constexpr wchar_t kAddressKey[] = L"Indirizzo";
// The view the user wants first, by its name ("Himawari"); else the one above the user.
inline constexpr wchar_t kViewKey[] = L"Satellite";
// When, and from which source, the picture on the wallpaper came, and when it was taken.
inline constexpr wchar_t kLastUpdateKey[] = L"UltimoAggiornamento";
inline constexpr wchar_t kLastSourceKey[] = L"Fonte";
inline constexpr wchar_t kPictureTimeKey[] = L"OraImmagine";
// What the wallpaper shows: "1" the region around the user, anything else the whole Earth
// (kept for the user beside the mode); the region's centre ("latitude,longitude", in
// degrees) and its width across the monitor, in kilometres.
inline constexpr wchar_t kRegionKey[] = L"Regione";
inline constexpr wchar_t kCentreKey[] = L"Centro";
inline constexpr wchar_t kRegionWidthKey[] = L"Larghezza";
// How many seconds after each new hour this installation fetches it (0 to 300).
inline constexpr wchar_t kHourOffsetKey[] = L"Ritardo";

inline suite::ProfileReader MakeReader(const suite::ProfileStore& store, const std::wstring& ownFolder) {
    return suite::ProfileReader(store, suite::JoinPath(ownFolder, kConfigFile), kNothingRead);
}

// A setting as the program reads it: from Nubilux.ini in the user's own folder, where
// the program writes, and else from the one beside the program; "-1" when neither has it.
std::wstring ReadSetting(const suite::ProfileStore& store, const std::wstring& userFolder,
                         const std::wstring& programFolder, const wchar_t* key);

// This installation's wait after the hour: set beside the program (by an administrator,
// or a test, to 0), else the one kept for the user, else a new one drawn from `random`,
// to be kept. Text that is not a whole number from 0 to 300 is passed over.
struct HourOffset {
    int seconds;
    bool drawn;  // new: keep it
};
HourOffset ChooseHourOffset(const std::wstring& beside, const std::wstring& kept, unsigned random);

// The region to show: centred where Nubilux.ini says, else at the place of the user's time
// zone, else none; as wide as it says, else 3000 km. A bad value is passed over.
std::optional<Region> ChooseRegion(const std::wstring& centre, const std::wstring& width, std::optional<Place> zone);

// Why "Your region" cannot be what the wallpaper shows: no place is known for it (no
// Centro=, a clock set to a bare offset); or no view sees its place well (Reykjavik, the
// North Pole: each view's point below more than 65 degrees away).
enum class RegionFault { None, NoPlace, NotSeen };
RegionFault FaultOf(const std::optional<Region>& region);

// The start mode: Automatic when the stored text reads as the number 0 ("0", " 0",
// "0.0"), Manual for any other number, anything that is not a number, and "-1".
bool StartsAutomatic(const std::wstring& modo);

// What an option click stores: "0" for Automatic, "1" for Manual.
inline const wchar_t* StoredMode(bool automatic) { return automatic ? L"0" : L"1"; }

}  // namespace nubilux
