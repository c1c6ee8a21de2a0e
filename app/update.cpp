#include "app/update.h"

#include <algorithm>

#include "app/status.h"

namespace nubilux {

std::vector<Screen> UpdateRun::Sizes() const {
    std::vector<Screen> sizes;
    for (const PictureRun& picture : pictures) sizes.push_back(picture.plan.canvas);
    return sizes;
}

Answer Updater::Aggiorna_Sfondo(UpdateRun run, std::int64_t nowMs) {
    if (running_) return std::nullopt;  // a click or tick during an update
    running_ = true;
    try {
        run_ = std::move(run);
        madeFor_ = run_.Sizes();
        picture_ = next_ = 0;
        slotMissing_ = false;
        shown_.reset();
        reason_ = Reason::None;
        openBefore_ = platform_.EnumConnections();
        return TryNext(nowMs);
    } catch (...) {
        return Finish();  // out of memory or a platform failure: still a whole ending
    }
}

Answer Updater::TryNext(std::int64_t nowMs) {
    for (; picture_ < run_.pictures.size(); ++picture_, next_ = 0) {
        const PictureRun& picture = run_.pictures[picture_];
        if (next_ == 0) updateDeadline_ = nowMs + deadlines_.overallMs;  // each picture has time of its own
        for (; next_ < picture.sources.size(); ++next_) {
            const Source& source = picture.sources[next_];
            if (nowMs >= updateDeadline_) {  // this picture's time is up
                if (reason_ == Reason::None) reason_ = Reason::NoAnswer;
                continue;
            }
            if (source.earlierSlot && !slotMissing_) continue;  // its newer slot answered, or failed outright
            slotMissing_ = false;
            attempt_ = platform_.StartAttempt({++number_, source, picture.plan, picture.monitors, picture_ == 0});
            if (!attempt_) continue;  // not even started: the next one
            ++next_;
            installing_ = false;
            attemptDeadline_ = std::min(nowMs + deadlines_.perSourceMs, updateDeadline_);
            return std::nullopt;
        }
    }
    return Finish();
}

Answer Updater::OnAttemptDone(unsigned number, const AttemptEnd& end, std::int64_t nowMs) {
    if (!running_ || !attempt_ || number != number_) return std::nullopt;  // given up earlier
    try {
        attempt_.reset();
        installing_ = false;
        if (end.ending == Ending::Installed) {
            // Pictures come in order: the primary's, if it was installed.
            if (!shown_) shown_ = UpdateOutcome{true, run_.pictures[picture_].sources[next_ - 1].name, end.takenAt};
            ++picture_;  // this picture is done: on to the next one's sources
            next_ = 0;
        } else {
            reason_ = end.reason;
        }
        // This computer could not keep a picture: no other source would do better.
        if (end.ending == Ending::LocalFailure) return Finish();
        slotMissing_ = end.ending == Ending::SlotMissing;
        return TryNext(nowMs);
    } catch (...) {
        return Finish();
    }
}

void Updater::OnAttemptState(unsigned number, int state) {
    if (attempt_ && number == number_) state_ = state;
}

Answer Updater::OnClock(std::int64_t nowMs) {
    if (!running_ || !attempt_) return std::nullopt;
    try {
        if (installing_) {
            if (nowMs < installDeadline_) return std::nullopt;
            // The shell has not set the wallpaper in its time: this computer's failure,
            // which another source would not mend.
            attempt_->End();
            attempt_.reset();
            reason_ = Reason::Wallpaper;
            return Finish();
        }
        if (nowMs < attemptDeadline_) return std::nullopt;
        // Past the source's time: whatever its server does, it is ended, unless it is
        // already putting its picture in place (or has just ended), which then counts when
        // its report comes.
        if (!attempt_->Abandon()) {
            installing_ = true;
            installDeadline_ = nowMs + deadlines_.installMs;
            return std::nullopt;
        }
        attempt_.reset();
        state_ = kStateError;  // as after a failed transfer
        reason_ = Reason::NoAnswer;
        return TryNext(nowMs);
    } catch (...) {
        return Finish();
    }
}

Answer Updater::Stop() { return running_ ? Finish() : std::nullopt; }

Answer Updater::Finish() noexcept {
    // The finishing steps, on every path; one that fails does not keep back the others.
    if (attempt_) {
        try {
            attempt_->End();
        } catch (...) {
        }
        attempt_.reset();
    }
    installing_ = false;
    try {
        Chiudi_connessione();
    } catch (...) {
    }
    running_ = false;
    if (shown_) return std::move(*shown_);
    UpdateOutcome failed;
    failed.why = reason_;
    return failed;
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
                                        [&](const Connection& was) { return was.entryName == connection.entryName; });
        if (!before && !connection.vpn) platform_.HangUp(connection.entryName);
    }
}

}  // namespace nubilux
