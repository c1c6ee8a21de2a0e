#include "app/attempt.h"

#include <new>
#include <stdexcept>

#include "app/texts.h"
#include "common/text.h"

namespace nubilux {

namespace {

AttemptEnd Failed(Reason reason) { return {Ending::SourceFailed, reason, {}}; }

}  // namespace

const wchar_t* ReasonText(Reason reason) {
    switch (reason) {
    case Reason::NoConnection: return texts::kNoConnection;
    case Reason::NoAnswer: return texts::kNoAnswer;
    case Reason::Certificate: return texts::kCertificate;
    case Reason::NoPicture: return texts::kNoPicture;
    case Reason::BadPicture: return texts::kBadPicture;
    case Reason::CannotSave: return texts::kCannotSave;
    case Reason::DiskFull: return texts::kDiskFull;
    case Reason::Wallpaper: return texts::kNoWallpaper;
    case Reason::None: break;
    }
    return texts::kNoConnection;
}

Fetched Fetched::WithStatus(int httpStatus) {
    Fetched answer = Failure(Reason::NoPicture);
    answer.slotMissing = httpStatus == 404 || httpStatus >= 500;
    return answer;
}

Fetched Fetched::StaleCopy(std::int64_t slot) {
    Fetched answer = Failure(Reason::NoPicture);
    answer.slotMissing = slot != 0;
    return answer;
}

namespace {

AttemptEnd Run(AttemptSeams& seams, const AttemptPlan& plan) {
    Canvas canvas;
    std::int64_t takenAt = 0;
    {
        Fetched fetched = seams.Fetch();
        if (!fetched.whole) return {fetched.slotMissing ? Ending::SlotMissing : Ending::SourceFailed, fetched.reason, {}};
        takenAt = fetched.takenAt;
        // A map server's error comes as XML with status 200: for a time slot, most often
        // one not yet made.
        if (LooksLikeXml(fetched.body)) return {Ending::SlotMissing, Reason::NoPicture, {}};
        // Judged by its own header before any codec sees it (an HTML page has none).
        const auto header = ReadPictureHeader(fetched.body);
        const auto limit = static_cast<std::uint32_t>(MaxPictureSide(plan.largest));
        if (!header || header->width > limit || header->height > limit) return Failed(Reason::BadPicture);
        if (!seams.Decode(fetched.body, *header, canvas)) return Failed(Reason::BadPicture);
    }  // the body is let go before the bitmap is written
    if (IsNearlyOneColour(canvas.Picture(), static_cast<std::uint32_t>(canvas.fitted.width),
                          static_cast<std::uint32_t>(canvas.fitted.height), canvas.Stride()))
        return Failed(Reason::BadPicture);

    // Written beside its target and moved over it only when whole and on the disk: the
    // previous picture stays until then. A target that cannot take it passes it on to the
    // next; none that can is this computer's failure, not the source's.
    seams.Installing();
    Reason why = Reason::CannotSave;
    for (const std::wstring& target : plan.targets) {
        const std::wstring temporary = seams.WriteTemporary(suite::FolderOf(target), canvas, why);
        if (temporary.empty()) continue;
        if (!seams.Replace(temporary, target, why)) {
            seams.Discard(temporary);
            continue;
        }
        if (!seams.ShowAsWallpaper(target)) return {Ending::LocalFailure, Reason::Wallpaper, {}};
        return {Ending::Installed, Reason::None, target, takenAt};
    }
    return {Ending::LocalFailure, why, {}};
}

}  // namespace

AttemptEnd RunAttempt(AttemptSeams& seams, const AttemptPlan& plan) noexcept {
    try {
        return Run(seams, plan);
    } catch (const std::bad_alloc&) {
        return Failed(Reason::BadPicture);  // too large for this computer's memory: another source may fit
    } catch (const std::length_error&) {
        return Failed(Reason::BadPicture);
    } catch (...) {
        return {Ending::LocalFailure, Reason::CannotSave, {}};
    }
}

}  // namespace nubilux
