// Nubilux's run as the user lives it: the mode, the hourly schedule, the update under
// way and the record of the last one. It receives events in its own words (a wake-up of
// the timer, a click, an attempt's report, a resume, a settled change of monitors) and
// answers what to show and when to wake next. The window only translates Windows'
// messages into these events and shows the answers.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

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

// One update's work: its sources (grouped by picture, the primary monitor's first), and
// the monitor sizes its pictures are made for.
struct UpdatePlan {
    std::vector<Source> sources;
    std::vector<Screen> sizes;
};

// How an attempt ended, as its thread hands it over in one piece.
struct AttemptReport {
    unsigned number = 0;
    AttemptEnd end;
};

class SessionPlatform : public UpdatePlatform {
public:
    virtual UpdatePlan PlanUpdate() = 0;
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

    // hourOffsetSeconds: this installation's wait after each new hour (Schedule).
    void Start(bool automatic, Record kept, Moment now, int hourOffsetSeconds = 0);
    // The user chose a mode: kept for the next start.
    void SelectMode(bool automatic, Moment now);
    // "Update", from the button or the menu: Manual mode only.
    void UpdateClicked(Moment now);
    // The user chose what the wallpaper shows (the whole Earth, the region): a picture of
    // it at once, in either mode.
    void ShownChosen(Moment now) { Update(now); }
    // The timer has come to the time WakeInMs gave.
    void Wake(Moment now);
    void AttemptEnded(const AttemptReport& report, Moment now);
    // The computer woke from sleep, or its display came back after a long while.
    void Resumed(Moment now);
    // The console's display went off (false) or came back (true); dimmed is on.
    void DisplayChanged(bool on, Moment now);
    // The monitors changed and have settled.
    void LayoutSettled(Moment now);
    // The program ends: an update under way ends with it, the previous picture whole.
    void Stop() { updater_.Stop(); }

    bool Automatic() const { return automatic_; }
    bool Working() const { return updater_.Running(); }
    bool UpdateEnabled() const { return !automatic_ && !updater_.Running(); }
    // The attempt whose progress counts now.
    unsigned Attempt() const { return updater_.Attempt(); }
    // How long the timer may sleep before the next event; nothing when none will come.
    std::optional<std::int64_t> WakeInMs(Moment now) const;
    // The notification icon's tip: the caption, and below it what the menu tells.
    std::wstring Tip(Moment now) const;
    // The greyed lines at the top of the icon's menu.
    std::vector<std::wstring> MenuLines(Moment now) const;

private:
    void Update(Moment now);
    void Finished(const Source* from, Reason why);
    // Automatic mode's own updates wait while the connection is metered: true when so.
    bool MeteredPause(Moment now);
    std::wstring LastUpdateText(Moment now) const;

    SessionPlatform& platform_;
    Updater updater_;
    Schedule schedule_;
    bool automatic_ = false;
    Moment now_;  // the moment of the event being handled
    Record record_;
    std::vector<Screen> madeFor_;         // the monitor sizes the last update's pictures were made for
    std::optional<std::int64_t> taken_;   // when the update's shown picture was taken (0: unknown)
    std::wstring failedAt_;               // when the last update failed; empty after a success
    Reason failure_ = Reason::None;       // and why
    bool meteredSkip_ = false;            // Automatic's last own update waits for an unmetered connection
    std::optional<std::int64_t> meteredRecheckMs_;
    std::optional<std::int64_t> lastResumeMs_;
    std::optional<std::int64_t> displayOffMs_;  // when the display went off, while it is
};

}  // namespace nubilux
