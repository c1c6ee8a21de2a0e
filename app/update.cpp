#include "app/update.h"

#include <algorithm>

namespace nubilux {

bool Updater::Aggiorna_Sfondo(std::vector<Source> sources, std::int64_t nowMs) {
    if (running_) return false;  // a click or tick during an update
    running_ = true;
    try {
        sources_ = std::move(sources);
        next_ = 0;
        updateDeadline_ = nowMs + deadlines_.overallMs;
        connessioneIniziale_.clear();
        Connessioni_Attive();
        platform_.ShowWorking(true);
        TryNext(nowMs);
    } catch (...) {
        Finish(nullptr);  // out of memory or a platform failure: still a whole ending
    }
    return true;
}

void Updater::TryNext(std::int64_t nowMs) {
    while (next_ < sources_.size() && nowMs < updateDeadline_) {
        const Source& source = sources_[next_++];
        if (!platform_.StartAttempt(++attempt_, source)) continue;  // not even started: the next one
        attemptRunning_ = true;
        attemptDeadline_ = std::min(nowMs + deadlines_.perSourceMs, updateDeadline_);
        return;
    }
    Finish(nullptr);
}

void Updater::OnAttemptDone(unsigned number, bool installed, std::int64_t nowMs) {
    if (!running_ || !attemptRunning_ || number != attempt_) return;
    attemptRunning_ = false;
    try {
        if (installed)
            Finish(&sources_[next_ - 1]);
        else
            TryNext(nowMs);
    } catch (...) {
        Finish(nullptr);
    }
}

void Updater::OnClock(std::int64_t nowMs) {
    if (!running_ || !attemptRunning_ || nowMs < attemptDeadline_) return;
    // Past the source's time: whatever its server does, it is given up.
    attemptRunning_ = false;
    platform_.CancelFetch();
    try {
        TryNext(nowMs);
    } catch (...) {
        Finish(nullptr);
    }
}

void Updater::Stop() {
    if (running_) Finish(nullptr);
}

void Updater::Finish(const Source* from) noexcept {
    // The finishing steps, on every path; one that fails does not keep back the others.
    attemptRunning_ = false;
    try {
        platform_.CancelFetch();
    } catch (...) {
    }
    try {
        Chiudi_connessione();
    } catch (...) {
    }
    try {
        platform_.ShowWorking(false);
    } catch (...) {
    }
    running_ = false;
    try {
        platform_.Finished(from);
    } catch (...) {
    }
}

void Updater::Connessioni_Attive() {
    // With several open, the last one listed is the one remembered.
    for (const Connection& connection : platform_.EnumConnections()) connessioneIniziale_ = connection.entryName;
}

void Updater::Chiudi_connessione() {
    // Hang up only what the download itself dialled: nothing was open before it.
    if (!connessioneIniziale_.empty()) return;
    for (const Connection& connection : platform_.EnumConnections()) platform_.HangUp(connection.handle);
}

}  // namespace nubilux
