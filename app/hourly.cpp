#include "app/hourly.h"

#include <iterator>

#include "common/text.h"

namespace nubilux {

std::wstring FormatHour(int hour) {
    std::wstring text = suite::Decimal(hour);
    return text.size() < 2 ? L"0" + text : text;
}

bool HourlyRule::Timer1_Timer(int hour) {
    const std::wstring now = FormatHour(hour);
    if (now == ultimaOra_) return false;
    ultimaOra_ = now;
    return true;
}

bool Schedule::Tick(std::int64_t now) {
    if (SecondsUntilDue(now) > 0) return false;
    if (hourly_.Timer1_Timer(static_cast<int>(HourOf(now) % 24))) {
        retryAt_.reset();  // a new hour: its own update replaces any retry of the last one
        atOnce_ = false;
        return true;
    }
    // Due within the hour already updated: only a pending retry makes it so.
    retryAt_.reset();
    ++retries_;
    return true;
}

std::int64_t Schedule::SecondsUntilDue(std::int64_t now) const {
    if (hourly_.Ultima_Ora() != FormatHour(static_cast<int>(HourOf(now) % 24))) {
        if (hourly_.Ultima_Ora().empty() || atOnce_) return 0;
        const std::int64_t due = HourOf(now) * 3600 + offset_;
        return due > now ? due - now : 0;
    }
    std::int64_t due = (HourOf(now) + 1) * 3600 + offset_;
    if (retryAt_ && *retryAt_ < due) due = *retryAt_;
    return due > now ? due - now : 0;
}

void Schedule::Finished(bool success, std::int64_t now, bool retry) {
    retryAt_.reset();
    if (!success && !retry) return;
    if (success) {
        lastSuccessHour_ = HourOf(now);
        return;
    }
    if (HourOf(now) != failedHour_) {
        failedHour_ = HourOf(now);
        retries_ = 0;
    }
    if (retries_ < static_cast<int>(std::size(kRetryMinutes))) retryAt_ = now + 60 * kRetryMinutes[retries_];
}

bool Schedule::ResumeWanted(std::int64_t now) const {
    if (lastSuccessHour_ == HourOf(now)) return false;
    // Sleep and wake do not lift the limit on retries.
    return failedHour_ != HourOf(now) || retries_ < static_cast<int>(std::size(kRetryMinutes));
}

bool Schedule::Resumed(std::int64_t now) {
    if (!ResumeWanted(now)) return false;
    if (failedHour_ == HourOf(now)) ++retries_;  // the wake-up's update is one of the hour's retries
    hourly_.Timer1_Timer(static_cast<int>(HourOf(now) % 24));  // this hour is being seen to
    retryAt_.reset();
    atOnce_ = false;
    return true;
}

}  // namespace nubilux
