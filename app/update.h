// One update of the wallpaper: the sources tried in turn, each off the window's thread
// and within its deadline, with the dial-up bookkeeping and the icon around them.
#pragma once

#include <cstdint>
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
};

// Time limits of one update, whatever the servers do (trickling included): per source,
// and per picture (one for each monitor size).
struct Deadlines {
    std::int64_t perSourceMs = 60'000;
    std::int64_t overallMs = 120'000;
};

// The platform operations an update uses; app/win32/ implements them, the unit tests
// fake them. Steps that only report back return nothing: their failures are passed over.
class UpdatePlatform {
public:
    virtual ~UpdatePlatform() = default;
    // The open dial-up connections; none when the remote-access library is missing.
    virtual std::vector<Connection> EnumConnections() = 0;
    virtual void HangUp(std::uintptr_t handle) = 0;
    // The notification icon: the sun with the working tip, or the cloud with the idle one.
    virtual void ShowWorking(bool working) = 0;
    // Starts, off the window's thread, fetching one source's picture, checking it and,
    // when it is a good one, making it NUBILUX.BMP and the wallpaper. Its end comes back
    // through Updater::OnAttemptDone with the same number. False: nothing was started.
    virtual bool StartAttempt(unsigned number, const Source& source) = 0;
    // Whether another attempt may start now: not while too many given-up ones still run
    // (a server that holds a thread for ever must not make threads without end).
    virtual bool MayStartAttempt() = 0;
    // Gives up the attempt under way, if any: its handles are closed, and whatever it
    // still does changes neither the picture nor the wallpaper. False when it cannot be
    // given up any more, because it is putting its picture in place.
    virtual bool CancelFetch() = 0;
    // The update is over; `from` is the source of the primary monitor's new picture (or of
    // another monitor's when the primary's failed), nullptr when none was installed, and
    // then `why` tells the last attempt's reason.
    virtual void Finished(const Source* from, Reason why) = 0;
};

class Updater {
public:
    explicit Updater(UpdatePlatform& platform, Deadlines deadlines = {}) : platform_(platform), deadlines_(deadlines) {}

    // Starts one update over the sources, in order; nothing (false) while one runs. The
    // sources come grouped by the picture they are for; each picture takes the first
    // good one. nowMs: a monotonic clock in milliseconds.
    bool Aggiorna_Sfondo(std::vector<Source> sources, std::int64_t nowMs);
    // An attempt has ended. Attempts given up earlier count only for letting a waiting
    // update go on.
    void OnAttemptDone(unsigned number, Ending ending, Reason why, std::int64_t nowMs);
    // Enforces the deadlines; call when Deadline() is reached.
    void OnClock(std::int64_t nowMs);
    // Ends an update under way at once, with its finishing steps: the program is ending.
    void Stop();

    bool Running() const { return running_; }
    // When OnClock has something to do: the attempt under way is given up, or a waiting
    // update's picture runs out of time; nothing otherwise.
    std::optional<std::int64_t> Deadline() const {
        if (attemptRunning_ && !installing_) return attemptDeadline_;
        if (waiting_) return updateDeadline_;
        return std::nullopt;
    }
    // The number of the attempt whose reports count now.
    unsigned Attempt() const { return attempt_; }
    const std::wstring& Connessione_Iniziale() const { return connessioneIniziale_; }

private:
    void TryNext(std::int64_t nowMs);
    void Finish() noexcept;
    void Connessioni_Attive();
    void Chiudi_connessione();

    UpdatePlatform& platform_;
    Deadlines deadlines_;
    std::wstring connessioneIniziale_;
    std::vector<Source> sources_;
    std::size_t next_ = 0;        // the next source to try
    int picture_ = -1;            // the picture whose sources are being tried
    bool slotMissing_ = false;    // the ended attempt's slot was missing: try an earlier one
    const Source* shown_ = nullptr;  // the primary picture's source, or another installed one
    unsigned attempt_ = 0;        // the number of the attempt under way; numbers only grow
    bool attemptRunning_ = false;
    bool installing_ = false;     // the attempt under way is past giving up: its end is awaited
    bool waiting_ = false;        // no attempt may start yet: the next one waits for a thread to end
    Reason reason_ = Reason::None;  // the last failed attempt's
    bool running_ = false;
    std::int64_t updateDeadline_ = 0, attemptDeadline_ = 0;
};

}  // namespace nubilux
