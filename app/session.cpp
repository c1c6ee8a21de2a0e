#include "app/session.h"

#include <algorithm>

#include "app/config.h"
#include "app/sources.h"
#include "app/status.h"
#include "app/texts.h"

namespace nubilux {

std::wstring StampOf(std::int64_t localSeconds) {
    std::wstring stamp = IsoTime(localSeconds).substr(0, 16);  // "2026-12-08T14:05"
    stamp[10] = L' ';
    return stamp;
}

Session::Session(SessionPlatform& platform, Deadlines deadlines)
    : platform_(platform), updater_(platform, [this](const Source* from, Reason why) { Finished(from, why); }, deadlines) {}

void Session::Start(bool automatic, Record kept, Moment now, int hourOffsetSeconds) {
    now_ = now;
    automatic_ = automatic;
    record_ = std::move(kept);
    schedule_.SetHourOffset(hourOffsetSeconds);
}

void Session::SelectMode(bool automatic, Moment now) {
    now_ = now;
    if (automatic && !automatic_) schedule_.AtOnce();
    automatic_ = automatic;
    platform_.Keep(kKey, StoredMode(automatic));
}

void Session::UpdateClicked(Moment now) {
    // Greyed in Automatic mode: a click that reaches it anyway starts nothing.
    if (!automatic_) Update(now);
}

void Session::Wake(Moment now) {
    now_ = now;
    if (updater_.Running()) return updater_.OnClock(now.monotonicMs);
    if (!automatic_ || !schedule_.Due(now.localSeconds)) return;
    // The hour is taken only when its update can start: a metered connection keeps it waiting.
    if (meteredRecheckMs_ && now.monotonicMs < *meteredRecheckMs_) return;
    if (MeteredPause(now)) return;
    if (schedule_.Tick(now.localSeconds)) Update(now);
}

void Session::AttemptEnded(const AttemptReport& report, Moment now) {
    now_ = now;
    // The time of the picture the menu tells of: the update's first one installed, the
    // primary monitor's unless that failed.
    if (report.end.ending == Ending::Installed && report.number == updater_.Attempt() && updater_.Running() &&
        !taken_)
        taken_ = report.end.takenAt;
    updater_.OnAttemptDone(report.number, report.end.ending, report.end.reason, now.monotonicMs);
}

void Session::Resumed(Moment now) {
    now_ = now;
    const bool same = lastResumeMs_ && now.monotonicMs - *lastResumeMs_ < kSameResumeMs;
    lastResumeMs_ = now.monotonicMs;
    if (same || !automatic_ || updater_.Running() || !schedule_.ResumeWanted(now.localSeconds)) return;
    if (MeteredPause(now)) return;
    if (schedule_.Resumed(now.localSeconds)) Update(now);
}

void Session::DisplayChanged(bool on, Moment now) {
    if (!on) {
        if (!displayOffMs_) displayOffMs_ = now.monotonicMs;
        return;
    }
    const bool long_off = displayOffMs_ && now.monotonicMs - *displayOffMs_ >= kDisplayOffAsSleepMs;
    displayOffMs_.reset();
    if (long_off) Resumed(now);
}

void Session::LayoutSettled(Moment now) {
    now_ = now;
    if (!automatic_ || updater_.Running() || madeFor_.empty()) return;
    if (platform_.MonitorSizes() == madeFor_) return;
    if (!MeteredPause(now)) Update(now);
}

bool Session::MeteredPause(Moment now) {
    meteredSkip_ = platform_.Metered();
    if (meteredSkip_)
        meteredRecheckMs_ = now.monotonicMs + kMeteredRecheckMs;
    else
        meteredRecheckMs_.reset();
    return meteredSkip_;
}

void Session::Update(Moment now) {
    now_ = now;
    if (updater_.Running()) return;
    UpdatePlan plan = platform_.PlanUpdate();
    madeFor_ = std::move(plan.sizes);
    taken_.reset();
    updater_.Aggiorna_Sfondo(std::move(plan.sources), now.monotonicMs);
}

void Session::Finished(const Source* from, Reason why) {
    // Retrying soon cannot help a computer that could not keep the picture.
    schedule_.Finished(from != nullptr, now_.localSeconds, !IsLocal(why));
    failedAt_ = from ? L"" : StampOf(now_.localSeconds);
    failure_ = why;
    if (!from) return;
    meteredSkip_ = false;
    record_.lastUpdate = StampOf(now_.localSeconds);
    record_.lastSource = from->name;
    record_.pictureTime = taken_ && *taken_ != 0 ? platform_.LocalStamp(*taken_) : L"";
    platform_.Keep(kLastUpdateKey, record_.lastUpdate);
    platform_.Keep(kLastSourceKey, record_.lastSource);
    platform_.Keep(kPictureTimeKey, record_.pictureTime);
}

std::optional<std::int64_t> Session::WakeInMs(Moment now) const {
    if (const auto deadline = updater_.Deadline()) return std::max<std::int64_t>(1, *deadline - now.monotonicMs);
    if (!automatic_ || updater_.Running()) return std::nullopt;
    if (schedule_.Due(now.localSeconds) && meteredRecheckMs_)
        return std::max<std::int64_t>(1, *meteredRecheckMs_ - now.monotonicMs);
    const std::int64_t seconds = schedule_.SecondsUntilDue(now.localSeconds);
    return seconds ? seconds * 1000 : kFirstTickMs;
}

std::wstring Session::LastUpdateText(Moment now) const {
    if (updater_.Running()) return texts::kUpdating;
    if (!failedAt_.empty()) {
        std::wstring next;
        if (automatic_) {
            const std::int64_t due = now.localSeconds + schedule_.SecondsUntilDue(now.localSeconds);
            next = platform_.ShowStamp(StampOf(due), false);
        }
        return FailureLine(platform_.ShowStamp(failedAt_, false), failure_, next);
    }
    if (record_.lastUpdate == kNothingRead) return texts::kNotUpdatedYet;
    std::wstring text = texts::kUpdatedAt + platform_.ShowStamp(record_.lastUpdate, true);
    if (record_.lastSource != kNothingRead) text += texts::kUpdatedFrom + record_.lastSource;
    if (record_.pictureTime != kNothingRead && !record_.pictureTime.empty())
        text += texts::kPictureOf + platform_.ShowStamp(record_.pictureTime, false);
    return text;
}

std::wstring Session::Tip(Moment now) const {
    if (updater_.Running()) return texts::kWorkingTip;
    const std::wstring line = LastUpdateText(now);
    return line == texts::kNotUpdatedYet ? texts::kIdleTip : std::wstring(texts::kIdleTip) + L"\n" + line;
}

std::vector<std::wstring> Session::MenuLines(Moment now) const {
    std::vector<std::wstring> lines;
    if (meteredSkip_ && automatic_ && !updater_.Running()) lines.push_back(texts::kMeteredPause);
    lines.push_back(LastUpdateText(now));
    return lines;
}

}  // namespace nubilux
