// What an update does on the real system: transfers on threads of their own, dial-up,
// the picture's folder.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>

#include "app/monitors.h"
#include "app/update.h"
#include "app/win32/transfer.h"
#include "common/win32/unique.h"

namespace nubilux::win32 {

class Platform final : public nubilux::UpdatePlatform {
public:
    // window receives the transfers' messages (messages.h); onState shows a state in the
    // status fields; onWorking switches the icon; onFinished learns how an update ended.
    Platform(HWND window, std::function<void(int)> onState, std::function<void(bool)> onWorking,
             std::function<void(const Source*, Reason)> onFinished);
    ~Platform() override;
    Platform(const Platform&) = delete;
    Platform& operator=(const Platform&) = delete;

    std::vector<Connection> EnumConnections() override;
    void HangUp(std::uintptr_t handle) override;
    void ShowWorking(bool working) override { onWorking_(working); }
    bool StartAttempt(unsigned number, const Source& source) override;
    // At most two given-up attempts' threads alive: a server that holds every connection
    // for ever costs two threads, not one an hour.
    bool MayStartAttempt() override { return Transfer::AbandonedRunning() < 2; }
    // The pictures the next update makes (Source::picture indexes them).
    void Plan(std::vector<PicturePlan> plan) { plan_ = std::move(plan); }
    // When the picture of the attempt with this number was taken; 0 when unknown.
    std::int64_t TakenAt(unsigned number) const;
    bool CancelFetch() override;
    void Finished(const Source* from, Reason why) override { onFinished_(from, why); }

    // Removes what an attempt cut off by the end of the program may have left behind.
    void RemoveLeftovers();

private:
    HWND window_;
    std::function<void(int)> onState_;
    std::function<void(bool)> onWorking_;
    std::function<void(const Source*, Reason)> onFinished_;
    ::win32::UniqueModule rasapi_;
    std::shared_ptr<Transfer> transfer_;  // the attempt under way
    unsigned number_ = 0;                 // its number
    std::vector<PicturePlan> plan_;
};

// Where a picture goes: fileName beside the program, then in UserFolder() when the
// program's folder cannot take or replace it (a standard user may not write Program Files).
std::vector<std::wstring> ImageTargets(const std::wstring& fileName);
// The user's own folder, %LOCALAPPDATA%\Nubilux, made when missing; empty when unknown.
std::wstring UserFolder();

}  // namespace nubilux::win32
