// The real work of one attempt, in its worker process: the source fetched over WinINet,
// the picture decoded by the system's codec, the bitmap file written and moved, the
// wallpaper set.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "app/attempt.h"
#include "app/worker_protocol.h"
#include "app/win32/fetch.h"

namespace nubilux::win32 {

class SystemAttempt final : private AttemptSeams {
public:
    // report: the download's states (status.h), from whichever thread WinINet calls on;
    // installing: the picture is good and is now put in place.
    SystemAttempt(WorkerOrder order, std::function<void(int)> report, std::function<void()> installing);

    AttemptEnd Run() noexcept;

private:
    Fetched Fetch() override;
    bool Decode(const std::string& body, const PictureHeader& header, Canvas& canvas) override;
    std::wstring WriteTemporary(const std::wstring& folder, const Canvas& canvas, Reason& why) override;
    bool Replace(const std::wstring& temporary, const std::wstring& target, Reason& why) override;
    void Discard(const std::wstring& temporary) override;
    void Installing() override { installing_(); }
    bool ShowAsWallpaper(const std::wstring& picture) override;

    WorkerOrder order_;
    HttpFetch fetch_;
    std::function<void()> installing_;
};

}  // namespace nubilux::win32
