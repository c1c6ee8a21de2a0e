// One attempt at one source's picture, on a thread of its own: the window never waits on
// a server. The thread only runs the attempt's sequence (attempt.h) over the fetch, the
// codec, the bitmap file and the wallpaper.
#pragma once

#include <windows.h>

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "app/attempt.h"
#include "app/sources.h"
#include "app/win32/fetch.h"

namespace nubilux::win32 {

// What one attempt is to do, and the window it reports to (messages.h).
struct AttemptOrder {
    HWND window = nullptr;
    unsigned number = 0;
    Source source;
    AttemptPlan plan;
    std::vector<std::wstring> monitors;  // whose wallpaper it becomes; none: the desktop's
};

class Transfer final : private AttemptSeams {
public:
    // Starts the attempt's thread, which keeps the object alive until it ends; nullptr
    // when no thread can be made.
    static std::shared_ptr<Transfer> Start(AttemptOrder order);
    // From the window's thread: the attempt no longer counts. Its handles are closed, so
    // that a blocked call returns where the platform allows, and it installs nothing.
    // False when it cannot be given up: it is putting its picture in place, or has ended.
    bool Abandon() noexcept;
    bool Done() const noexcept { return done_; }
    // When the picture was taken (UTC seconds since 1970): its time slot, else the
    // server's Last-Modified; 0 when unknown.
    std::int64_t TakenAt() const noexcept { return takenAt_; }
    // Whether any attempt's thread still runs, given-up ones included.
    static bool AnyRunning() noexcept;
    // How many given-up attempts' threads still run.
    static int AbandonedRunning() noexcept;

    explicit Transfer(AttemptOrder order);

private:
    enum Phase { kWorking, kInstalling, kAbandoned };

    static DWORD WINAPI ThreadMain(void* parameter) noexcept;
    void Run() noexcept;

    Fetched Fetch() override;
    bool Decode(const std::string& body, const PictureHeader& header, Canvas& canvas) override;
    std::wstring WriteTemporary(const std::wstring& folder, const Canvas& canvas, Reason& why) override;
    bool Replace(const std::wstring& temporary, const std::wstring& target, Reason& why) override;
    void Discard(const std::wstring& temporary) override;
    bool Claim() override;
    bool ShowAsWallpaper(const std::wstring& picture) override;

    AttemptOrder order_;
    HttpFetch fetch_;
    std::atomic<int> phase_{kWorking};
    std::atomic<bool> done_{false};
    std::atomic<std::int64_t> takenAt_{0};
};

}  // namespace nubilux::win32
