// When Automatic mode updates: once per clock hour; a failed hour retried with growing
// pauses; a missing picture fetched on resume from sleep. The timer sleeps until the next
// of these is due rather than ticking every second.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace nubilux {

// "00" to "23".
std::wstring FormatHour(int hour);

class HourlyRule {
public:
    // One tick at the given hour of the day: true when an update is due. The hour is
    // stored before the update starts, so ticks during it find nothing to do.
    bool Timer1_Timer(int hour);
    const std::wstring& Ultima_Ora() const { return ultimaOra_; }

private:
    std::wstring ultimaOra_;  // empty until the first automatic update of the run
};

// Pauses before retrying an hour whose update failed, in minutes: a few, growing, so
// that a source in trouble is not hammered.
inline constexpr int kRetryMinutes[] = {2, 5, 10, 20};

// The most an installation waits after the hour for that hour's download.
inline constexpr int kMaxHourOffsetSeconds = 5 * 60;

// The whole rule of Automatic mode. Times are local wall-clock seconds counted from a
// midnight (the program counts from 1 January 1970), so that the hour of the day is
// (seconds / 3600) % 24.
class Schedule {
public:
    // Each installation fetches a new hour this many seconds after it begins, so that
    // copies in one time zone do not all ask a server in the same second. The first
    // update of a run, and the first after AtOnce, does not wait.
    void SetHourOffset(int seconds) { offset_ = seconds; }
    // Automatic mode was chosen: its first update comes at once.
    void AtOnce() { atOnce_ = true; }
    // One tick of the timer: true when an update is due, which is then taken as started.
    bool Tick(std::int64_t now);
    // Whether a tick now would start an update, without taking it.
    bool Due(std::int64_t now) const { return SecondsUntilDue(now) == 0; }
    // How long the timer may sleep before the next tick that can find an update due: 0
    // when one is due now (the hour differs from the last update's, and its offset has
    // passed or it is the first), else until the next hour's offset or a pending retry.
    std::int64_t SecondsUntilDue(std::int64_t now) const;
    // An update has ended, whoever started it. A failure is retried after a pause unless
    // retrying cannot help (this computer could not keep the picture): then the next
    // hour tries again.
    void Finished(bool success, std::int64_t now, bool retry = true);
    // The computer woke up: true when this hour's picture is missing. In an hour that has
    // failed already, the wake-up's update counts as one of its retries.
    bool Resumed(std::int64_t now);
    // Whether Resumed would start an update now, without taking it.
    bool ResumeWanted(std::int64_t now) const;

private:
    static std::int64_t HourOf(std::int64_t seconds) { return seconds / 3600; }

    HourlyRule hourly_;
    int offset_ = 0;
    bool atOnce_ = false;
    std::int64_t lastSuccessHour_ = -1;
    std::optional<std::int64_t> retryAt_;  // when a retry is pending
    int retries_ = 0;            // retries made for the hour that failed
    std::int64_t failedHour_ = -1;
};

}  // namespace nubilux
