// One update of the wallpaper: the sources tried in turn, each off the window's thread
// and within its deadline, with the dial-up bookkeeping and the icon around them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

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

// How an attempt ended: its picture is in place; the source failed; or the time slot it
// asked for is not there (yet), so the same picture one slot earlier may be.
enum class Ending { Installed, Failed, SlotMissing };

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
    // Gives up the attempt under way, if any: its handles are closed, and whatever it
    // still does changes neither the picture nor the wallpaper.
    virtual void CancelFetch() = 0;
    // The update is over; `from` is the source of the primary monitor's new picture (or of
    // another monitor's when the primary's failed), nullptr when none was installed.
    virtual void Finished(const Source* from) = 0;
};

class Updater {
public:
    explicit Updater(UpdatePlatform& platform, Deadlines deadlines = {}) : platform_(platform), deadlines_(deadlines) {}

    // Starts one update over the sources, in order; nothing (false) while one runs. The
    // sources come grouped by the picture they are for; each picture takes the first
    // good one. nowMs: a monotonic clock in milliseconds.
    bool Aggiorna_Sfondo(std::vector<Source> sources, std::int64_t nowMs);
    // An attempt has ended. Attempts given up earlier are ignored.
    void OnAttemptDone(unsigned number, Ending ending, std::int64_t nowMs);
    // Enforces the deadlines; call when Deadline() is reached.
    void OnClock(std::int64_t nowMs);
    // Ends an update under way at once, with its finishing steps: the program is ending.
    void Stop();

    bool Running() const { return running_; }
    // When the attempt under way is given up (the clock of OnClock); nothing when none runs.
    std::optional<std::int64_t> Deadline() const {
        return attemptRunning_ ? std::optional<std::int64_t>(attemptDeadline_) : std::nullopt;
    }
    // The number of the attempt whose reports count now.
    unsigned Attempt() const { return attempt_; }
    const std::wstring& Connessione_Iniziale() const { return connessioneIniziale_; }

private:
    void TryNext(std::int64_t nowMs);
    void Finish(const Source* from) noexcept;
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
    bool running_ = false;
    std::int64_t updateDeadline_ = 0, attemptDeadline_ = 0;
};

}  // namespace nubilux
