// Nubilux's run as the user lives it: the mode, the whole Earth or the region, the hourly
// schedule, the update under way and the record of the last one. It receives events in
// its own words (a wake-up of the timer, a click, a choice, an attempt's news and report,
// a resume, a change of monitors) and answers what to show and when to wake next. The window only translates Windows'
// messages into these events and shows the answers.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/config.h"
#include "app/geometry.h"
#include "app/hourly.h"
#include "app/update.h"

namespace nubilux {

// The moment of an event on the two clocks the session reads.
struct Moment {
    std::int64_t monotonicMs = 0;   // deadlines: never set back or forward
    std::int64_t localSeconds = 0;  // the local wall clock, counted as Schedule counts
};

// What the last successful update left, kept per user across runs: stamps of the local
// clock ("2026-12-08 14:05", as Nubilux.ini keeps them), kNothingRead when never kept.
struct Record {
    std::wstring lastUpdate, lastSource, pictureTime;
};

// How an attempt ended, as its worker's news hands it over in one piece.
struct AttemptReport {
    unsigned number = 0;
    AttemptEnd end;
};

class SessionPlatform : public UpdatePlatform {
public:
    // The update to make now: the whole Earth, or the user's region when it is chosen.
    virtual UpdateRun PlanUpdate(bool region) = 0;
    // Why the user's region cannot be shown (no place known, no view sees it well).
    virtual RegionFault UsersRegionFault() = 0;
    // The monitor sizes an update would make pictures for now.
    virtual std::vector<Screen> MonitorSizes() = 0;
    // Whether Windows says the connection is metered.
    virtual bool Metered() = 0;
    // A setting kept for the user's next run.
    virtual void Keep(const wchar_t* key, const std::wstring& value) = 0;
    // A kept stamp in the user's own date and time format, or its time alone.
    virtual std::wstring ShowStamp(const std::wstring& stored, bool withDate) = 0;
    // A UTC time (seconds since 1970) as a kept stamp of the local clock; empty when none.
    virtual std::wstring LocalStamp(std::int64_t utc) = 0;
};

// What the user's settings keep for the next run: the mode, whether the region is chosen,
// the last update's record, and this installation's wait after each new hour (Schedule).
struct Kept {
    bool automatic = false;
    bool region = false;
    Record record;
    int hourOffsetSeconds = 0;
};

// The local wall-clock seconds (as Moment counts them) as a kept stamp.
std::wstring StampOf(std::int64_t localSeconds);

class Session {
public:
    // An automatic update's first tick comes this long after Automatic takes effect.
    static constexpr std::int64_t kFirstTickMs = 1000;
    // A metered connection is asked again this often while an hour's update waits for it.
    static constexpr std::int64_t kMeteredRecheckMs = 5 * 60 * 1000;
    // Windows may tell one wake-up twice (automatic, then by the user): within this time
    // of the last, a resume is the same one.
    static constexpr std::int64_t kSameResumeMs = 2 * 60 * 1000;
    // A display off at least this long and back is taken as a wake-up: on PCs with Modern
    // Standby the old suspend and resume messages may never come.
    static constexpr std::int64_t kDisplayOffAsSleepMs = 5 * 60 * 1000;

    explicit Session(SessionPlatform& platform, Deadlines deadlines = {});
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    void Start(Kept kept);
    // The user chose a mode: kept for the next start.
    void SelectMode(bool automatic);
    // "Update", from the button or the menu: Manual mode only.
    void UpdateClicked(Moment now);
    // The user chose what the wallpaper shows (the whole Earth, the region): kept, and a
    // picture of it at once, in either mode. A region that cannot be shown is not taken.
    void ChooseRegion(bool region, Moment now);
    // The timer has come to the time WakeInMs gave.
    void Wake(Moment now);
    void AttemptEnded(const AttemptReport& report, Moment now);
    // A worker's download state; news of an attempt no longer under way counts for nothing.
    void AttemptState(unsigned number, int state) { updater_.OnAttemptState(number, state); }
    // The computer woke from sleep, or its display came back after a long while.
    void Resumed(Moment now);
    // The console's display went off (false) or came back (true); dimmed is on.
    void DisplayChanged(bool on, Moment now);
    // Monitors are looked at again this long after the last change: a layout that settles
    // through several changes (docking, a resolution switch) makes one download, not many.
    static constexpr std::int64_t kLayoutSettleMs = 60 * 1000;

    // The monitors changed (the layout settles kLayoutSettleMs after the last change).
    void LayoutChanged(Moment now) { layoutSettlesMs_ = now.monotonicMs + kLayoutSettleMs; }
    // The program ends: an update under way ends with it, the previous picture whole.
    void Stop(Moment now) { Finished(updater_.Stop(), now); }

    bool Automatic() const { return automatic_; }
    bool Working() const { return updater_.Running(); }
    bool UpdateEnabled() const { return !automatic_ && !updater_.Running(); }
    // Whether the wallpaper shows the user's region: chosen, and one that can be shown.
    bool RegionShown() const { return regionChosen_ && !RegionNote(); }
    // Why "Your region" cannot be shown, in the user's words; nullptr when it can.
    const wchar_t* RegionNote() const;
    // What the status fields show: the download state of the attempt under way, the error
    // after one given up; nothing before the first.
    std::optional<int> DownloadState() const { return updater_.DownloadState(); }
    // How long the timer may sleep before the next event; nothing when none will come.
    std::optional<std::int64_t> WakeInMs(Moment now) const;
    // The notification icon's tip: the caption, and below it what the menu tells.
    std::wstring Tip(Moment now) const;
    // The greyed lines at the top of the icon's menu.
    std::vector<std::wstring> MenuLines(Moment now) const;

private:
    void Update(Moment now);
    void LayoutSettled(Moment now);
    void Finished(const Answer& outcome, Moment now);
    // Automatic mode's own updates wait while the connection is metered: true when so.
    bool MeteredPause(Moment now);
    std::wstring LastUpdateText(Moment now) const;
    // When the update or the hourly schedule next has something to do.
    std::optional<std::int64_t> ScheduleWakeInMs(Moment now) const;

    SessionPlatform& platform_;
    Updater updater_;
    Schedule schedule_;
    bool automatic_ = false;
    bool regionChosen_ = false;           // the user's choice, shown when it can be
    Record record_;
    std::wstring failedAt_;               // when the last update failed; empty after a success
    Reason failure_ = Reason::None;       // and why
    bool meteredSkip_ = false;            // Automatic's last own update waits for an unmetered connection
    std::optional<std::int64_t> meteredRecheckMs_;
    std::optional<std::int64_t> lastResumeMs_;
    std::optional<std::int64_t> displayOffMs_;  // when the display went off, while it is
    std::optional<std::int64_t> layoutSettlesMs_;  // when a changed layout of monitors is looked at
};

}  // namespace nubilux
