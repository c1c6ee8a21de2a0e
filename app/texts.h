// Everything Nubilux shows the user.
#pragma once

#include "suite_version.h"

namespace nubilux::texts {

inline constexpr wchar_t kCaption[] = L"QuintarisMeteo";
inline constexpr wchar_t kFrame[] = L"Updating";
inline constexpr wchar_t kAutomatic[] = L"Automatic";
inline constexpr wchar_t kManual[] = L"Manual";
inline constexpr wchar_t kUpdate[] = L"&Update";
inline constexpr wchar_t kInfo[] = L"&Info";
inline constexpr wchar_t kExit[] = L"E&xit";

// The notification icon's menu: its first, default item shows the window.
inline constexpr wchar_t kShowWindow[] = L"&Open QuintarisMeteo";
// What the wallpaper shows, a radio pair; the region greyed, with why, when no place is known.
inline constexpr wchar_t kWholeEarth[] = L"&Whole Earth";
inline constexpr wchar_t kRegion[] = L"Your &region";
inline constexpr wchar_t kNoRegion[] = L"Your region needs a place: set Centro= in Nubilux.ini";
inline constexpr wchar_t kRegionUnseen[] =
    L"Your region cannot be seen well from any satellite: the whole Earth is shown";
// Then where the picture on the wallpaper came from, greyed.
inline constexpr wchar_t kNotUpdatedYet[] = L"No picture fetched yet";
inline constexpr wchar_t kUpdating[] = L"Fetching the latest picture...";
inline constexpr wchar_t kUpdatedAt[] = L"Updated ";
inline constexpr wchar_t kUpdatedFrom[] = L" from ";
inline constexpr wchar_t kPictureOf[] = L", picture of ";
// After a failed update: kFailedAt + time + ": " + reason [+ kNextTry + time].
inline constexpr wchar_t kFailedAt[] = L"Last update failed at ";
inline constexpr wchar_t kNextTry[] = L"; next try ";
inline constexpr wchar_t kNoConnection[] = L"no connection";
inline constexpr wchar_t kNoAnswer[] = L"the server did not answer in time";
inline constexpr wchar_t kCertificate[] = L"the server's certificate was refused";
inline constexpr wchar_t kNoPicture[] = L"no new picture on the server";
inline constexpr wchar_t kBadPicture[] = L"the picture could not be used";
inline constexpr wchar_t kCannotSave[] = L"the picture could not be saved";
inline constexpr wchar_t kDiskFull[] = L"the disk is full";
inline constexpr wchar_t kNoWallpaper[] = L"the wallpaper could not be set";
inline constexpr wchar_t kMeteredPause[] = L"Automatic update skipped: the connection is metered";

inline constexpr wchar_t kIdleTip[] = L"QuintarisMeteo";
inline constexpr wchar_t kWorkingTip[] = L"QuintarisMeteo - Aggiornamento in corso ...";

// The window could not be made; the platform's description follows.
inline constexpr wchar_t kCannotShow[] = L"Nubilux could not open its window:";

inline constexpr wchar_t kQuitQuestion[] = L"Do you want really quit from Nubilux?";
inline constexpr wchar_t kQuitTitle[] = L"Nubilux";

inline constexpr wchar_t kAboutCaption[] = L"INFO";
inline constexpr wchar_t kAboutText[] =
    L"Software to update desktop's background with photo from weather satellite.\r\n"
    L"Version " SUITE_RELEASE_WIDE L" - Quintaris Srl";
inline constexpr wchar_t kAboutCredits[] =
    L"Pictures: \u00a9 EUMETSAT (Meteosat), NOAA/NESDIS/STAR (GOES), JMA (Himawari)";
// JMA's terms for its True Color Reproduction pictures ask for this acknowledgement.
inline constexpr wchar_t kAboutJmaAcknowledgement[] =
    L"Himawari True Color Reproduction imagery was developed on the basis of collaboration between the JMA "
    L"Meteorological Satellite Center and the NOAA/NESDIS/STAR GOES-R Algorithm Working Group imagery team. We "
    L"would like to acknowledge them for the collaboration and their permission to use the software.";
inline constexpr wchar_t kAboutOk[] = L"&Ok";

}  // namespace nubilux::texts
