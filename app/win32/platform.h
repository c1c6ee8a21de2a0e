// What Nubilux's session does on the real system: attempts in worker processes,
// dial-up, the monitors and the views, the connection's cost, the user's settings and
// the user's own date and time format.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "app/monitors.h"
#include "app/config.h"
#include "app/session.h"
#include "app/win32/asked_aside.h"
#include "app/win32/attempt_process.h"
#include "common/win32/unique.h"

namespace nubilux::win32 {

class Platform final : public nubilux::SessionPlatform {
public:
    // window receives the attempts' messages (messages.h). What workers cut off by the
    // end of the program left behind is removed.
    explicit Platform(HWND window);
    Platform(const Platform&) = delete;
    Platform& operator=(const Platform&) = delete;

    // What the user's settings keep for this run.
    Kept ReadKept();

    std::optional<std::vector<Connection>> EnumConnections() override;
    void HangUp(const std::wstring& entryName) override;
    std::shared_ptr<RunningAttempt> StartAttempt(const WorkerOrder& order) override;
    // Looks at the running workers' news (kPollTimerId's tick, or a worker that has ended)
    // and lets go of what is done: nothing is waited for.
    void Poll();
    // What the window's thread waits on besides its messages: the running workers.
    std::vector<HANDLE> Waiting() const;

    UpdateRun PlanUpdate(bool region) override;
    RegionFault UsersRegionFault() override { return FaultOf(UsersRegion()); }
    std::vector<Screen> MonitorSizes() override;
    bool Metered() override;
    void Keep(const wchar_t* key, const std::wstring& value) override;
    std::wstring ShowStamp(const std::wstring& stored, bool withDate) override;
    std::wstring LocalStamp(std::int64_t utc) override;

private:
    // A setting of the user's own Nubilux.ini, else of the one beside the program.
    std::wstring Setting(const wchar_t* key) const;
    // This installation's wait after each new hour, drawn once and kept for the user.
    int HourOffsetSeconds();
    // The region there is to show; none when no place is known for the user.
    std::optional<Region> UsersRegion() const;
    // Where a worker's order file goes: the user's own folder, else their temporary one.
    std::wstring OrderFolder() const;

    HWND window_;
    std::wstring userFolder_;
    // Asked of the shell and of Windows' services by helpers, for a fraction of a second.
    AskedAside<std::vector<Monitor>> monitors_;
    AskedAside<bool> metered_;
    AskedAside<std::optional<std::vector<Connection>>> connections_;
    std::vector<std::shared_ptr<AttemptProcess>> attempts_;  // until their workers are gone
    std::vector<std::unique_ptr<HelperProcess>> hangUps_;     // until they end
};

// Where a picture goes: fileName beside the program, then in UserFolder() when the
// program's folder cannot take or replace it (a standard user may not write Program Files).
std::vector<std::wstring> ImageTargets(const std::wstring& fileName);
// The user's own folder, %LOCALAPPDATA%\Nubilux, made when missing; empty when unknown.
std::wstring UserFolder();

}  // namespace nubilux::win32
