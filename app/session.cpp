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

Session::Session(SessionPlatform& platform, Deadlines deadlines) : platform_(platform), updater_(platform, deadlines) {}

void Session::Start(Kept kept) {
    automatic_ = kept.automatic;
    regionChosen_ = kept.region;
    record_ = std::move(kept.record);
    schedule_.SetHourOffset(kept.hourOffsetSeconds);
}

void Session::SelectMode(bool automatic) {
    if (automatic && !automatic_) schedule_.AtOnce();
    automatic_ = automatic;
    platform_.Keep(kKey, StoredMode(automatic));
}

void Session::UpdateClicked(Moment now) {
    // Greyed in Automatic mode: a click that reaches it anyway starts nothing.
    if (!automatic_) Update(now);
}

void Session::ChooseRegion(bool region, Moment now) {
    if (region == RegionShown() || (region && RegionNote())) return;
    regionChosen_ = region;
    platform_.Keep(kRegionKey, region ? L"1" : L"0");
    Update(now);
}

const wchar_t* Session::RegionNote() const {
    switch (platform_.UsersRegionFault()) {
    case RegionFault::NoPlace: return texts::kNoRegion;
    case RegionFault::NotSeen: return texts::kRegionUnseen;
    case RegionFault::None: break;
    }
    return nullptr;
}

void Session::Wake(Moment now) {
    if (layoutSettlesMs_ && now.monotonicMs >= *layoutSettlesMs_) {
        layoutSettlesMs_.reset();
        LayoutSettled(now);
    }
    if (updater_.Running()) return Finished(updater_.OnClock(now.monotonicMs), now);
    if (!automatic_ || !schedule_.Due(now.localSeconds)) return;
    // The hour is taken only when its update can start: a metered connection keeps it waiting.
    if (meteredRecheckMs_ && now.monotonicMs < *meteredRecheckMs_) return;
    if (MeteredPause(now)) return;
    if (schedule_.Tick(now.localSeconds)) Update(now);
}

void Session::AttemptEnded(const AttemptReport& report, Moment now) {
    Finished(updater_.OnAttemptDone(report.number, report.end, now.monotonicMs), now);
}

void Session::Resumed(Moment now) {
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
    if (!automatic_ || updater_.Running() || updater_.MadeFor().empty()) return;
    if (platform_.MonitorSizes() == updater_.MadeFor()) return;
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
    if (updater_.Running()) return;
    Finished(updater_.Aggiorna_Sfondo(platform_.PlanUpdate(regionChosen_), now.monotonicMs), now);
}

void Session::Finished(const Answer& outcome, Moment now) {
    if (!outcome) return;  // the update goes on
    // Retrying soon cannot help a computer that could not keep the picture.
    schedule_.Finished(outcome->installed, now.localSeconds, !IsLocal(outcome->why));
    failedAt_ = outcome->installed ? L"" : StampOf(now.localSeconds);
    failure_ = outcome->why;
    if (!outcome->installed) return;
    meteredSkip_ = false;
    record_.lastUpdate = StampOf(now.localSeconds);
    record_.lastSource = outcome->source;
    // The time of the picture the menu tells of: the primary monitor's, unless that failed.
    record_.pictureTime = outcome->takenAt != 0 ? platform_.LocalStamp(outcome->takenAt) : L"";
    platform_.Keep(kLastUpdateKey, record_.lastUpdate);
    platform_.Keep(kLastSourceKey, record_.lastSource);
    platform_.Keep(kPictureTimeKey, record_.pictureTime);
}

std::optional<std::int64_t> Session::WakeInMs(Moment now) const {
    std::optional<std::int64_t> next = ScheduleWakeInMs(now);
    if (layoutSettlesMs_) {
        const std::int64_t settles = std::max<std::int64_t>(1, *layoutSettlesMs_ - now.monotonicMs);
        next = next ? std::min(*next, settles) : settles;
    }
    return next;
}

std::optional<std::int64_t> Session::ScheduleWakeInMs(Moment now) const {
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
    std::wstring tip = texts::kWorkingTip;
    if (!updater_.Running()) {
        tip = texts::kIdleTip;
        const std::wstring line = LastUpdateText(now);
        if (line != texts::kNotUpdatedYet) tip += L"\n" + line;
    }
    // The region chosen but not shown: said where the user looks first, under the caption.
    if (const wchar_t* why = regionChosen_ ? RegionNote() : nullptr)
        tip.insert(std::min(tip.find(L'\n'), tip.size()), std::wstring(L"\n") + why);
    return tip;
}

std::vector<std::wstring> Session::MenuLines(Moment now) const {
    std::vector<std::wstring> lines;
    if (meteredSkip_ && automatic_ && !updater_.Running()) lines.push_back(texts::kMeteredPause);
    lines.push_back(LastUpdateText(now));
    return lines;
}

}  // namespace nubilux
