// The clock as Nubilux reads and shows it: UTC for the servers, the local wall clock for
// the hourly rule, and the user's own date and time format for the menu.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

namespace nubilux::win32 {

// A SYSTEMTIME as seconds since 1970 in its own reckoning (UTC or local, as given); 0
// when it is no valid time.
std::int64_t UnixSeconds(const SYSTEMTIME& time);

// The time now, in UTC seconds since 1970.
std::int64_t NowUtc();

// The local wall clock now, counted as seconds since 1970 (as the hourly rule counts);
// stamp, when given, receives it as a SYSTEMTIME.
std::int64_t LocalSeconds(SYSTEMTIME* stamp = nullptr);

// A UTC time (seconds since 1970) on the user's local clock; false when it has none.
bool LocalTimeOf(std::int64_t utc, SYSTEMTIME& local);

// Local wall-clock seconds (as LocalSeconds counts them) as a SYSTEMTIME.
SYSTEMTIME WallClockTime(std::int64_t localSeconds);

// "2026-12-08 14:05": how the last update's time is kept in Nubilux.ini.
std::wstring StoredStamp(const SYSTEMTIME& time);

// A kept stamp in the given locale's short date and time (the user's by default), or
// its time alone; the stamp as it stands when it is no valid one.
std::wstring ShownStamp(const std::wstring& stored, bool withDate = true,
                        const wchar_t* locale = LOCALE_NAME_USER_DEFAULT);

}  // namespace nubilux::win32
