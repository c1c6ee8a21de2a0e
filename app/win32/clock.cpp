#include "app/win32/clock.h"

#include "common/text.h"

namespace nubilux::win32 {

namespace {

// FILETIME counts 100 ns ticks from 1601.
constexpr std::int64_t kTicksPerSecond = 10'000'000, kSecondsFrom1601To1970 = 11'644'473'600;

}  // namespace

std::int64_t UnixSeconds(const SYSTEMTIME& time) {
    FILETIME file{};
    if (!::SystemTimeToFileTime(&time, &file)) return 0;
    const auto ticks = static_cast<std::int64_t>(static_cast<std::uint64_t>(file.dwHighDateTime) << 32 | file.dwLowDateTime);
    return ticks / kTicksPerSecond - kSecondsFrom1601To1970;
}

std::int64_t NowUtc() {
    SYSTEMTIME now;
    ::GetSystemTime(&now);
    return UnixSeconds(now);
}

std::int64_t LocalSeconds(SYSTEMTIME* stamp) {
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    if (stamp) *stamp = now;
    return UnixSeconds(now);
}

SYSTEMTIME WallClockTime(std::int64_t localSeconds) {
    const auto ticks = static_cast<std::uint64_t>((localSeconds + kSecondsFrom1601To1970) * kTicksPerSecond);
    const FILETIME file{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
    SYSTEMTIME time{};
    ::FileTimeToSystemTime(&file, &time);
    return time;
}

bool LocalTimeOf(std::int64_t utc, SYSTEMTIME& local) {
    const SYSTEMTIME universal = WallClockTime(utc);
    return universal.wYear && ::SystemTimeToTzSpecificLocalTime(nullptr, &universal, &local);
}

std::wstring StoredStamp(const SYSTEMTIME& t) {
    const auto two = [](unsigned n) { return std::wstring{wchar_t(L'0' + n / 10 % 10), wchar_t(L'0' + n % 10)}; };
    return suite::Decimal(t.wYear) + L"-" + two(t.wMonth) + L"-" + two(t.wDay) + L" " + two(t.wHour) + L":" +
           two(t.wMinute);
}

std::wstring ShownStamp(const std::wstring& stored, bool withDate, const wchar_t* locale) {
    if (stored.size() != 16) return stored;
    const auto number = [&](std::size_t at, std::size_t digits) {
        WORD value = 0;
        for (std::size_t i = at; i < at + digits; ++i) {
            if (stored[i] < L'0' || stored[i] > L'9') return WORD{0xFFFF};
            value = static_cast<WORD>(value * 10 + (stored[i] - L'0'));
        }
        return value;
    };
    SYSTEMTIME t{};
    t.wYear = number(0, 4), t.wMonth = number(5, 2), t.wDay = number(8, 2), t.wHour = number(11, 2);
    t.wMinute = number(14, 2);
    wchar_t date[64] = {}, time[64] = {};
    if (!::GetDateFormatEx(locale, DATE_SHORTDATE, &t, nullptr, date, 64, nullptr) ||
        !::GetTimeFormatEx(locale, TIME_NOSECONDS, &t, nullptr, time, 64))
        return stored;
    return withDate ? std::wstring(date) + L" " + time : std::wstring(time);
}

}  // namespace nubilux::win32
