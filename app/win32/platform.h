// What an update does on the real system: WinINet, WIC, the wallpaper, dial-up.
#pragma once

#include <windows.h>

#include <wininet.h>

#include <functional>

#include "app/update.h"
#include "common/win32/unique.h"

namespace nubilux::win32 {

class Platform final : public nubilux::UpdatePlatform {
public:
    // onState receives each state of the download, as the status fields show it;
    // onWorking switches the notification icon.
    Platform(std::function<void(int)> onState, std::function<void(bool)> onWorking);
    ~Platform() override;
    Platform(const Platform&) = delete;
    Platform& operator=(const Platform&) = delete;

    std::vector<Connection> EnumConnections() override;
    void HangUp(std::uintptr_t handle) override;
    void ShowWorking(bool working) override { onWorking_(working); }
    suite::Outcome Fetch(std::string& body) override;
    void CancelFetch() override;
    std::wstring ImageFile() override;
    bool HasContent(const std::wstring& path) override;
    suite::Outcome SaveAsBitmap(const std::string& picture, const std::wstring& target) override;
    suite::Outcome SetWallpaper(const std::wstring& path) override;

private:
    static void CALLBACK OnInternetStatus(HINTERNET, DWORD_PTR context, DWORD status, LPVOID, DWORD) noexcept;
    suite::Outcome FetchFailed(suite::Outcome failure);

    std::function<void(int)> onState_;
    std::function<void(bool)> onWorking_;
    ::win32::UniqueModule wininet_, rasapi_;
    HINTERNET session_ = nullptr;
    HINTERNET request_ = nullptr;
    bool reporting_ = false;  // status notifications reach the status line
};

}  // namespace nubilux::win32
