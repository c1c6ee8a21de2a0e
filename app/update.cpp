#include "app/update.h"

#include <algorithm>

namespace nubilux {

bool Updater::Aggiorna_Sfondo(std::vector<Source> sources, std::int64_t nowMs) {
    if (running_) return false;  // a click or tick during an update
    running_ = true;
    try {
        sources_ = std::move(sources);
        next_ = 0;
        picture_ = -1;
        slotMissing_ = false;
        shown_ = nullptr;
        connessioneIniziale_.clear();
        Connessioni_Attive();
        platform_.ShowWorking(true);
        TryNext(nowMs);
    } catch (...) {
        Finish(shown_);  // out of memory or a platform failure: still a whole ending
    }
    return true;
}

void Updater::TryNext(std::int64_t nowMs) {
    for (; next_ < sources_.size(); ++next_) {
        const Source& source = sources_[next_];
        if (source.picture != picture_) {
            // The next picture's sources, with time of their own.
            picture_ = source.picture;
            updateDeadline_ = nowMs + deadlines_.overallMs;
        }
        if (nowMs >= updateDeadline_) continue;  // this picture's time is up
        if (source.earlierSlot && !slotMissing_) continue;  // its newer slot answered, or failed outright
        slotMissing_ = false;
        if (!platform_.StartAttempt(++attempt_, source)) continue;  // not even started: the next one
        ++next_;
        attemptRunning_ = true;
        attemptDeadline_ = std::min(nowMs + deadlines_.perSourceMs, updateDeadline_);
        return;
    }
    Finish(shown_);
}

void Updater::OnAttemptDone(unsigned number, Ending ending, std::int64_t nowMs) {
    if (!running_ || !attemptRunning_ || number != attempt_) return;
    attemptRunning_ = false;
    try {
        const Source& source = sources_[next_ - 1];
        if (ending == Ending::Installed) {
            if (!shown_) shown_ = &source;  // pictures come in order: the primary's, if it was installed
            // This picture is done: on to the next one's sources.
            while (next_ < sources_.size() && sources_[next_].picture == source.picture) ++next_;
        }
        slotMissing_ = ending == Ending::SlotMissing;
        TryNext(nowMs);
    } catch (...) {
        Finish(shown_);
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
        Finish(shown_);
    }
}

void Updater::Stop() {
    if (running_) Finish(shown_);
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
