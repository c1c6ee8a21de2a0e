#include "app/update.h"

#include <algorithm>

namespace nubilux {

void Updater::Aggiorna_Sfondo(std::vector<Source> sources, std::int64_t nowMs) {
    if (running_) return;  // a click or tick during an update
    running_ = true;
    try {
        sources_ = std::move(sources);
        next_ = 0;
        picture_ = -1;
        slotMissing_ = false;
        shown_ = nullptr;
        reason_ = Reason::None;
        openBefore_ = platform_.EnumConnections();
        TryNext(nowMs);
    } catch (...) {
        Finish();  // out of memory or a platform failure: still a whole ending
    }
}

void Updater::TryNext(std::int64_t nowMs) {
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
        if (!attemptRunning_ || number != attempt_) return;  // given up earlier
        attemptRunning_ = installing_ = false;
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
        if (installing_) {
            if (nowMs < installDeadline_) return;
            // The shell has not set the wallpaper in its time: this computer's failure,
            // which another source would not mend.
            platform_.Forsake();
            attemptRunning_ = installing_ = false;
            reason_ = Reason::Wallpaper;
            return Finish();
        }
        if (!attemptRunning_ || nowMs < *Deadline()) return;
        // Past the source's time: whatever its server does, it is given up, unless it is
        // already putting its picture in place (or has just ended), which then counts when
        // its report comes.
        if (!platform_.CancelFetch()) {
            installing_ = true;
            installDeadline_ = nowMs + deadlines_.installMs;
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
    attemptRunning_ = installing_ = false;
    try {
        platform_.CancelFetch();
    } catch (...) {
    }
    try {
        Chiudi_connessione();
    } catch (...) {
    }
    running_ = false;
    try {
        if (finished_) finished_(shown_, shown_ ? Reason::None : reason_);
    } catch (...) {
    }
}

void Updater::Chiudi_connessione() {
    // Hang up only what the download itself dialled: a connection that was not open when
    // it began, and no virtual private network (one may connect meanwhile, right after a
    // resume). When either list is unknown, nothing is hung up.
    if (!openBefore_) return;
    const auto openNow = platform_.EnumConnections();
    if (!openNow) return;
    for (const Connection& connection : *openNow) {
        const bool before = std::any_of(openBefore_->begin(), openBefore_->end(),
                                        [&](const Connection& was) { return was.handle == connection.handle; });
        if (!before && !connection.vpn) platform_.HangUp(connection.handle);
    }
}

}  // namespace nubilux
