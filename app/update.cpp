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
        reason_ = Reason::None;
        connessioneIniziale_.clear();
        Connessioni_Attive();
        platform_.ShowWorking(true);
        TryNext(nowMs);
    } catch (...) {
        Finish();  // out of memory or a platform failure: still a whole ending
    }
    return true;
}

void Updater::TryNext(std::int64_t nowMs) {
    waiting_ = false;
    for (; next_ < sources_.size(); ++next_) {
        const Source& source = sources_[next_];
        if (source.picture != picture_) {
            // The next picture's sources, with time of their own.
            picture_ = source.picture;
            updateDeadline_ = nowMs + deadlines_.overallMs;
        }
        if (nowMs >= updateDeadline_) {  // this picture's time is up
            if (reason_ == Reason::None) reason_ = Reason::NoAnswer;
            continue;
        }
        if (source.earlierSlot && !slotMissing_) continue;  // its newer slot answered, or failed outright
        if (!platform_.MayStartAttempt()) {
            waiting_ = true;  // until a thread ends, or the picture's time is up
            return;
        }
        slotMissing_ = false;
        if (!platform_.StartAttempt(++attempt_, source)) continue;  // not even started: the next one
        ++next_;
        attemptRunning_ = true;
        installing_ = false;
        attemptDeadline_ = std::min(nowMs + deadlines_.perSourceMs, updateDeadline_);
        return;
    }
    Finish();
}

void Updater::OnAttemptDone(unsigned number, Ending ending, Reason why, std::int64_t nowMs) {
    if (!running_) return;
    try {
        if (!attemptRunning_ || number != attempt_) {
            if (waiting_) TryNext(nowMs);  // a given-up thread has ended: the next may start
            return;
        }
        attemptRunning_ = false;
        const Source& source = sources_[next_ - 1];
        if (ending == Ending::Installed) {
            if (!shown_) shown_ = &source;  // pictures come in order: the primary's, if it was installed
            // This picture is done: on to the next one's sources.
            while (next_ < sources_.size() && sources_[next_].picture == source.picture) ++next_;
        } else {
            reason_ = why;
        }
        // This computer could not keep a picture: no other source would do better.
        if (ending == Ending::LocalFailure) return Finish();
        slotMissing_ = ending == Ending::SlotMissing;
        TryNext(nowMs);
    } catch (...) {
        Finish();
    }
}

void Updater::OnClock(std::int64_t nowMs) {
    if (!running_) return;
    try {
        if (waiting_) {
            if (nowMs >= updateDeadline_) TryNext(nowMs);
            return;
        }
        if (!attemptRunning_ || installing_ || nowMs < attemptDeadline_) return;
        // Past the source's time: whatever its server does, it is given up, unless it is
        // already putting its picture in place, which then counts when it ends.
        if (!platform_.CancelFetch()) {
            installing_ = true;
            return;
        }
        attemptRunning_ = false;
        reason_ = Reason::NoAnswer;
        TryNext(nowMs);
    } catch (...) {
        Finish();
    }
}

void Updater::Stop() {
    if (running_) Finish();
}

void Updater::Finish() noexcept {
    // The finishing steps, on every path; one that fails does not keep back the others.
    attemptRunning_ = installing_ = waiting_ = false;
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
        platform_.Finished(shown_, shown_ ? Reason::None : reason_);
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
