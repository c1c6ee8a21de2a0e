#include "app/win32/power.h"

#include <cstring>

namespace nubilux::win32 {

namespace {

// GUID_CONSOLE_DISPLAY_STATE, spelled out so that no import library is needed.
constexpr GUID kConsoleDisplayState = {0x6fe69556, 0x704a, 0x47a0, {0x8f, 0x24, 0xc2, 0x8d, 0x93, 0x6f, 0xda, 0x47}};

}  // namespace

DisplayNotices::DisplayNotices(HWND window)
    : handle_(::RegisterPowerSettingNotification(window, &kConsoleDisplayState, DEVICE_NOTIFY_WINDOW_HANDLE)) {}

DisplayNotices::~DisplayNotices() {
    if (handle_) ::UnregisterPowerSettingNotification(handle_);
}

std::optional<bool> DisplayOn(WPARAM wParam, LPARAM lParam) {
    if (wParam != PBT_POWERSETTINGCHANGE || !lParam) return std::nullopt;
    const auto* setting = reinterpret_cast<const POWERBROADCAST_SETTING*>(lParam);
    if (setting->PowerSetting != kConsoleDisplayState || setting->DataLength < sizeof(DWORD)) return std::nullopt;
    DWORD state = 0;
    std::memcpy(&state, setting->Data, sizeof state);
    return state != 0;  // 0 off, 1 on, 2 dimmed
}

}  // namespace nubilux::win32
