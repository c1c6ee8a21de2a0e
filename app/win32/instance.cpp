#include "app/win32/instance.h"

#include "app/win32/messages.h"
#include "common/win32/nubilux_window.h"

namespace nubilux::win32 {

std::optional<::win32::UniqueHandle> ClaimTheOneInstance() {
    ::win32::UniqueHandle single(::CreateMutexW(nullptr, FALSE, L"Local\\QuintarisNubilux"));
    if (!single || ::GetLastError() != ERROR_ALREADY_EXISTS) return single;
    // Asked, not waited on: the running one shows itself, and may come to the front.
    if (HWND running = ::FindWindowW(::win32::kNubiluxWindowClass, nullptr)) {
        DWORD process = 0;
        ::GetWindowThreadProcessId(running, &process);
        ::AllowSetForegroundWindow(process);
        ::PostMessageW(running, kShowWindow, 0, 0);
    }
    return std::nullopt;
}

}  // namespace nubilux::win32
