// The real work of one attempt: the source fetched over WinINet, the picture decoded by
// the system's codec, the bitmap file written and moved, the wallpaper set.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "app/attempt.h"
#include "app/sources.h"
#include "app/worker_protocol.h"
#include "app/win32/fetch.h"
#include "app/win32/transfer.h"

namespace nubilux::win32 {

class SystemAttempt final : public AttemptWork, private AttemptSeams {
public:
    // report: the download's states (status.h), from whichever thread WinINet calls on.
    SystemAttempt(WorkerOrder order, std::function<void(int)> report);

    AttemptEnd Run(const std::function<bool()>& claim) noexcept override;
    void Close() noexcept override { fetch_.Close(); }

private:
    Fetched Fetch() override;
    bool Decode(const std::string& body, const PictureHeader& header, Canvas& canvas) override;
    std::wstring WriteTemporary(const std::wstring& folder, const Canvas& canvas, Reason& why) override;
    bool Replace(const std::wstring& temporary, const std::wstring& target, Reason& why) override;
    void Discard(const std::wstring& temporary) override;
    bool Claim() override { return claim_(); }
    bool ShowAsWallpaper(const std::wstring& picture) override;

    WorkerOrder order_;
    HttpFetch fetch_;
    std::function<bool()> claim_;
};

}  // namespace nubilux::win32
