// What an update does on the real system: transfers on threads of their own, dial-up,
// the picture's folder.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>

#include "app/update.h"
#include "app/win32/transfer.h"
#include "common/win32/unique.h"

namespace nubilux::win32 {

class Platform final : public nubilux::UpdatePlatform {
public:
    // window receives the transfers' messages (messages.h); onState shows a state in the
    // status fields; onWorking switches the icon; onFinished learns how an update ended.
    Platform(HWND window, std::function<void(int)> onState, std::function<void(bool)> onWorking,
             std::function<void(const Source*)> onFinished);
    ~Platform() override;
    Platform(const Platform&) = delete;
    Platform& operator=(const Platform&) = delete;

    std::vector<Connection> EnumConnections() override;
    void HangUp(std::uintptr_t handle) override;
    void ShowWorking(bool working) override { onWorking_(working); }
    bool StartAttempt(unsigned number, const Source& source) override;
    void CancelFetch() override;
    void Finished(const Source* from) override { onFinished_(from); }

    // Removes what an attempt cut off by the end of the program may have left behind.
    void RemoveLeftovers();

private:
    HWND window_;
    std::function<void(int)> onState_;
    std::function<void(bool)> onWorking_;
    std::function<void(const Source*)> onFinished_;
    ::win32::UniqueModule rasapi_;
    std::shared_ptr<Transfer> transfer_;  // the attempt under way
};

// Where NUBILUX.BMP lives: beside the program, or in the user's own folder when the
// program's folder takes no file.
std::wstring ImageFile();
// The user's own folder, %LOCALAPPDATA%\Nubilux, made when missing; empty when unknown.
std::wstring UserFolder();
// The primary monitor's size in pixels, and the largest monitor's.
Screen PrimaryScreen();
Screen LargestScreen();

}  // namespace nubilux::win32
