// What Nubilux's session does on the real system: attempts in worker processes,
// dial-up, the monitors and the views, the connection's cost, the user's settings and
// the user's own date and time format.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>

#include "app/monitors.h"
#include "app/config.h"
#include "app/session.h"
#include "app/win32/asked_aside.h"
#include "app/win32/attempt_process.h"
#include "common/win32/unique.h"

namespace nubilux::win32 {

class Platform final : public nubilux::SessionPlatform {
public:
    // window receives the attempts' messages (messages.h); onState shows a download
    // state in the status fields.
    Platform(HWND window, std::function<void(int)> onState);
    ~Platform() override;
    Platform(const Platform&) = delete;
    Platform& operator=(const Platform&) = delete;

    // A setting of the user's own Nubilux.ini, else of the one beside the program.
    std::wstring Setting(const wchar_t* key) const;
    // This installation's wait after each new hour, drawn once and kept for the user.
    int HourOffsetSeconds();
    // Whether the user chose the region, and the region there is to show (none: no place
    // is known for the user).
    bool ShowsRegion() const { return Setting(kRegionKey) == L"1"; }
    std::optional<Region> UsersRegion() const;

    std::optional<std::vector<Connection>> EnumConnections() override;
    void HangUp(std::uintptr_t handle) override;
    bool StartAttempt(unsigned number, const Source& source) override;
    bool CancelFetch() override;
    void Forsake() override;

    UpdatePlan PlanUpdate() override;
    std::vector<Screen> MonitorSizes() override;
    bool Metered() override;
    void Keep(const wchar_t* key, const std::wstring& value) override;
    std::wstring ShowStamp(const std::wstring& stored, bool withDate) override;
    std::wstring LocalStamp(std::int64_t utc) override;

    // Removes what a worker cut off by the end of the program may have left behind.
    void RemoveLeftovers();

private:
    // Where a worker's order file goes: the user's own folder, else their temporary one.
    std::wstring OrderFolder() const;

    HWND window_;
    std::function<void(int)> onState_;
    std::wstring userFolder_;
    ::win32::UniqueModule rasapi_;
    // Asked of the shell and the network list service aside, for a fraction of a second.
    AskedAside<std::vector<Monitor>> monitors_;
    AskedAside<bool> metered_;
    std::shared_ptr<AttemptProcess> attempt_;  // the attempt under way
    std::vector<PicturePlan> plan_;       // the pictures of the update under way
};

// Where a picture goes: fileName beside the program, then in UserFolder() when the
// program's folder cannot take or replace it (a standard user may not write Program Files).
std::vector<std::wstring> ImageTargets(const std::wstring& fileName);
// The user's own folder, %LOCALAPPDATA%\Nubilux, made when missing; empty when unknown.
std::wstring UserFolder();

}  // namespace nubilux::win32
