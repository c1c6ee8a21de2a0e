// One update of the wallpaper: each picture's sources tried in turn, each attempt off the
// window's thread and within its deadline, with the dial-up bookkeeping around them.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/attempt.h"
#include "app/sources.h"
#include "app/worker_protocol.h"

namespace nubilux {

// Time limits of one update, whatever the servers or the shell do (trickling included):
// per source, and per picture (one for each monitor size); a picture being put in place
// (the shell's calls have no limit of their own) is waited for installMs at most.
struct Deadlines {
    std::int64_t perSourceMs = 60'000;
    std::int64_t overallMs = 120'000;
    std::int64_t installMs = 30'000;
};

// One picture of an update: what its attempts make (its size, the largest monitor's, the
// files it goes to), whose wallpaper it becomes, and its sources, best first.
struct PictureRun {
    AttemptPlan plan;
    std::vector<std::wstring> monitors;  // none: the one wallpaper of the whole desktop
    std::vector<Source> sources;
};

// One update: its pictures, one per monitor size, the primary monitor's first.
struct UpdateRun {
    std::vector<PictureRun> pictures;
    // The monitor sizes its pictures are made for: what a new layout is compared with.
    std::vector<Screen> Sizes() const;
};

// An attempt under way, as the platform started it (a worker process on Windows).
class RunningAttempt {
public:
    virtual ~RunningAttempt() = default;
    // Ends it, and neither the picture nor the wallpaper changes; false when it is not
    // ended, because it has said it puts its picture in place, or has ended with its
    // report on the way.
    virtual bool Abandon() = 0;
    // Ends it even while it puts its picture in place.
    virtual void End() = 0;
};

// The platform operations an update uses; app/win32/ implements them, the unit tests
// fake them. Steps that only report back return nothing: their failures are passed over.
class UpdatePlatform {
public:
    virtual ~UpdatePlatform() = default;
    // The open remote-access connections; none when the remote-access library is
    // missing; nothing when they cannot be listed.
    virtual std::optional<std::vector<Connection>> EnumConnections() = 0;
    virtual void HangUp(const std::wstring& entryName) = 0;
    // Starts the order's attempt in a worker of its own: fetching the source's picture,
    // checking it and, when it is a good one, making it the bitmap and the wallpaper. Its
    // end comes back through Updater::OnAttemptDone with the order's number, whatever
    // happens (an attempt that dies without an ending is its source's failure). nullptr:
    // nothing was started.
    virtual std::shared_ptr<RunningAttempt> StartAttempt(const WorkerOrder& order) = 0;
};

// How an update ended: the source of the primary monitor's new picture (or of another
// monitor's when the primary's failed) and when that picture was taken; or, when none was
// installed, the last attempt's reason.
struct UpdateOutcome {
    bool installed = false;
    std::wstring source;
    std::int64_t takenAt = 0;  // UTC seconds; 0 when unknown
    Reason why = Reason::None;
};

// Each event answers with the update's outcome when it ended the update, nothing otherwise.
using Answer = std::optional<UpdateOutcome>;

class Updater {
public:
    explicit Updater(UpdatePlatform& platform, Deadlines deadlines = {}) : platform_(platform), deadlines_(deadlines) {}

    // Starts one update; nothing while one runs. Each picture takes its first good source.
    // nowMs: a monotonic clock in milliseconds.
    Answer Aggiorna_Sfondo(UpdateRun run, std::int64_t nowMs);
    // An attempt has ended. Attempts given up earlier count for nothing.
    Answer OnAttemptDone(unsigned number, const AttemptEnd& end, std::int64_t nowMs);
    // A download state (status.h) of an attempt: kept when it is the attempt under way's.
    void OnAttemptState(unsigned number, int state);
    // Enforces the deadlines; call when Deadline() is reached.
    Answer OnClock(std::int64_t nowMs);
    // Ends an update under way at once, with its finishing steps: the program is ending.
    Answer Stop();

    bool Running() const { return running_; }
    // When OnClock has something to do: the attempt under way is given up; nothing otherwise.
    std::optional<std::int64_t> Deadline() const {
        if (installing_) return installDeadline_;
        if (attempt_) return attemptDeadline_;
        return std::nullopt;
    }
    // The download state the status fields show: the attempt under way's, the error after
    // one given up; nothing before the first.
    std::optional<int> DownloadState() const { return state_; }
    // The monitor sizes the last update's pictures were made for; none before the first.
    const std::vector<Screen>& MadeFor() const { return madeFor_; }

private:
    Answer TryNext(std::int64_t nowMs);
    Answer Finish() noexcept;
    void Chiudi_connessione();

    UpdatePlatform& platform_;
    Deadlines deadlines_;
    std::optional<std::vector<Connection>> openBefore_;  // nothing: they could not be listed
    UpdateRun run_;
    std::vector<Screen> madeFor_;
    std::size_t picture_ = 0, next_ = 0;  // the picture whose sources are tried, its next source
    bool slotMissing_ = false;            // the ended attempt's slot was missing: try an earlier one
    std::optional<UpdateOutcome> shown_;  // the primary picture's, or another installed one's
    unsigned number_ = 0;                 // the number of the attempt under way; numbers only grow
    std::shared_ptr<RunningAttempt> attempt_;  // the attempt under way
    bool installing_ = false;             // it is past giving up: its end is awaited
    std::optional<int> state_;
    Reason reason_ = Reason::None;        // the last failed attempt's
    bool running_ = false;
    std::int64_t updateDeadline_ = 0, attemptDeadline_ = 0, installDeadline_ = 0;
};

}  // namespace nubilux
