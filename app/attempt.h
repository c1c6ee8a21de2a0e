// One attempt at one source's picture, as a sequence over its seams: the fetch, the
// picture's header, the codec, the bitmap file and the wallpaper. The thread that runs
// it only calls RunAttempt; the unit tests give the seams fakes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "app/picture.h"
#include "app/picture_header.h"

namespace nubilux {

// How an attempt ended: its picture is in place; the source failed (or its time slot
// is not there yet, so the same picture one slot earlier may be); or this computer could
// not keep the picture, which no other source would change.
enum class Ending { Installed, SourceFailed, SlotMissing, LocalFailure };

// Why an attempt failed, as the user is told (ReasonText).
enum class Reason { None, NoConnection, NoAnswer, Certificate, NoPicture, BadPicture, CannotSave, DiskFull, Wallpaper };

// Whether the reason lies with this computer (the picture could not be kept or shown),
// which no other source and no retry in minutes would change.
inline bool IsLocal(Reason reason) {
    return reason == Reason::CannotSave || reason == Reason::DiskFull || reason == Reason::Wallpaper;
}

// In the user's words, to follow "failed at 10:00: ".
const wchar_t* ReasonText(Reason reason);

// The largest body any source may send: no unbounded memory for a picture.
inline constexpr std::size_t kMaxBodyBytes = 64u << 20;

// A source's answer: a whole body, or why there is none.
struct Fetched {
    bool whole = false;
    bool slotMissing = false;  // the server has no picture for the slot asked (yet)
    Reason reason = Reason::None;
    std::string body;
    // When the picture was taken (UTC seconds since 1970): its time slot, else the
    // server's Last-Modified; 0 when unknown.
    std::int64_t takenAt = 0;

    static Fetched Failure(Reason why) {
        Fetched failed;
        failed.reason = why;
        return failed;
    }
    // An HTTP status other than success: a slot not there (yet), or the server's trouble
    // with it, is missing; anything else is a failure of the source.
    static Fetched WithStatus(int httpStatus);
    // An old copy of a published file: one named after a time slot is that slot not out
    // yet (an earlier one may be); one named after none is no new picture.
    static Fetched StaleCopy(std::int64_t slot);
};

class AttemptSeams {
public:
    virtual ~AttemptSeams() = default;
    // The source's answer, within the attempt's time.
    virtual Fetched Fetch() = 0;
    // The picture decoded by the system's codec for its format, fitted and centred on a
    // black canvas of the monitor's size. False: the codec refused it.
    virtual bool Decode(const std::string& body, const PictureHeader& header, Canvas& canvas) = 0;
    // The canvas written as a bitmap to a new temporary file in `folder` and flushed to
    // the disk: its path; empty, with the reason, when the folder takes no such file.
    virtual std::wstring WriteTemporary(const std::wstring& folder, const Canvas& canvas, Reason& why) = 0;
    // The temporary file moved over `target` in one step; false, with the reason, when
    // the target cannot be replaced (in use, read-only, another volume full).
    virtual bool Replace(const std::wstring& temporary, const std::wstring& target, Reason& why) = 0;
    virtual void Discard(const std::wstring& temporary) = 0;
    // The picture is good and is now put in place (bitmap, move, wallpaper): from here on
    // the attempt is not given up, and every ending that is this computer's comes after.
    virtual void Installing() = 0;
    virtual bool ShowAsWallpaper(const std::wstring& picture) = 0;
};

struct AttemptPlan {
    Screen canvas;   // the monitor's size, which the bitmap has
    Screen largest;  // the largest monitor, which bounds the size a picture may declare
    // Where the bitmap goes: beside the program, then the user's own folder when that
    // one cannot be written or replaced.
    std::vector<std::wstring> targets;
};

struct AttemptEnd {
    Ending ending = Ending::SourceFailed;
    Reason reason = Reason::None;
    std::wstring placed;      // the bitmap that became the wallpaper
    std::int64_t takenAt = 0;  // when its picture was taken, as Fetched tells
};

// Never throws: a picture too large for memory is the source's failure, so the next one
// is tried.
AttemptEnd RunAttempt(AttemptSeams& seams, const AttemptPlan& plan) noexcept;

}  // namespace nubilux
