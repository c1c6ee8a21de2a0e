// One update of the wallpaper: the sources tried in turn, each off the window's thread
// and within its deadline, with the dial-up bookkeeping and the icon around them.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/attempt.h"
#include "app/sources.h"

namespace nubilux {

// A remote-access connection as the system lists it.
struct Connection {
    std::wstring entryName;
    std::uintptr_t handle = 0;
    bool vpn = false;  // a virtual private network, which an update never dials
};

// Time limits of one update, whatever the servers or the shell do (trickling included):
// per source, and per picture (one for each monitor size); a picture being put in place
// (the shell's calls have no limit of their own) is waited for installMs at most.
struct Deadlines {
    std::int64_t perSourceMs = 60'000;
    std::int64_t overallMs = 120'000;
    std::int64_t installMs = 30'000;
};

// The platform operations an update uses; app/win32/ implements them, the unit tests
// fake them. Steps that only report back return nothing: their failures are passed over.
class UpdatePlatform {
public:
    virtual ~UpdatePlatform() = default;
    // The open remote-access connections; none when the remote-access library is
    // missing; nothing when they cannot be listed.
    virtual std::optional<std::vector<Connection>> EnumConnections() = 0;
    virtual void HangUp(std::uintptr_t handle) = 0;
    // Starts, in a worker process of its own, fetching one source's picture, checking it
    // and, when it is a good one, making it NUBILUX.BMP and the wallpaper. Its end comes
    // back through Updater::OnAttemptDone with the same number, whatever the worker does
    // (a worker that dies without an ending is its source's failure). False: nothing
    // was started.
    virtual bool StartAttempt(unsigned number, const Source& source) = 0;
    // Ends the attempt under way, if any: its worker is ended, and neither the picture
    // nor the wallpaper changes. False when it is not ended, because it has said it puts
    // its picture in place, or has ended with its report on the way.
    virtual bool CancelFetch() = 0;
    // Ends the attempt under way even while it puts its picture in place.
    virtual void Forsake() = 0;
};

// The update is over; `from` is the source of the primary monitor's new picture (or of
// another monitor's when the primary's failed), nullptr when none was installed, and then
// `why` tells the last attempt's reason.
using UpdateFinished = std::function<void(const Source* from, Reason why)>;

class Updater {
public:
    Updater(UpdatePlatform& platform, UpdateFinished finished, Deadlines deadlines = {})
        : platform_(platform), finished_(std::move(finished)), deadlines_(deadlines) {}

    // Starts one update over the sources, in order; nothing while one runs. The
    // sources come grouped by the picture they are for; each picture takes the first
    // good one. nowMs: a monotonic clock in milliseconds.
    void Aggiorna_Sfondo(std::vector<Source> sources, std::int64_t nowMs);
    // An attempt has ended. Attempts given up earlier count for nothing.
    void OnAttemptDone(unsigned number, Ending ending, Reason why, std::int64_t nowMs);
    // Enforces the deadlines; call when Deadline() is reached.
    void OnClock(std::int64_t nowMs);
    // Ends an update under way at once, with its finishing steps: the program is ending.
    void Stop();

    bool Running() const { return running_; }
    // When OnClock has something to do: the attempt under way is given up; nothing otherwise.
    std::optional<std::int64_t> Deadline() const {
        if (installing_) return installDeadline_;
        if (attemptRunning_) return attemptDeadline_;
        return std::nullopt;
    }
    // The number of the attempt whose reports count now.
    unsigned Attempt() const { return attempt_; }

private:
    void TryNext(std::int64_t nowMs);
    void Finish() noexcept;
    void Chiudi_connessione();

    UpdatePlatform& platform_;
    UpdateFinished finished_;
    Deadlines deadlines_;
    std::optional<std::vector<Connection>> openBefore_;  // nothing: they could not be listed
    std::vector<Source> sources_;
    std::size_t next_ = 0;        // the next source to try
    int picture_ = -1;            // the picture whose sources are being tried
    bool slotMissing_ = false;    // the ended attempt's slot was missing: try an earlier one
    const Source* shown_ = nullptr;  // the primary picture's source, or another installed one
    unsigned attempt_ = 0;        // the number of the attempt under way; numbers only grow
    bool attemptRunning_ = false;
    bool installing_ = false;     // the attempt under way is past giving up: its end is awaited
    Reason reason_ = Reason::None;  // the last failed attempt's
    bool running_ = false;
    std::int64_t updateDeadline_ = 0, attemptDeadline_ = 0, installDeadline_ = 0;
};

}  // namespace nubilux
