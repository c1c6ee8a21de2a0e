// The display's state as Windows sends it, through a real window in this process: the
// setting's data lives behind a pointer that no other process could post.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <optional>
#include <vector>

#include "app/win32/power.h"

namespace {

std::vector<std::optional<bool>> g_seen;

LRESULT CALLBACK Record(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg != WM_POWERBROADCAST) return ::DefWindowProcW(hwnd, msg, wParam, lParam);
    g_seen.push_back(nubilux::win32::DisplayOn(wParam, lParam));
    return TRUE;
}

// A POWERBROADCAST_SETTING with one DWORD of data.
struct Setting {
    GUID guid;
    DWORD length = sizeof(DWORD);
    DWORD value;
};

void Tell(HWND window, const GUID& guid, DWORD value) {
    Setting setting{guid, sizeof(DWORD), value};
    ::SendMessageW(window, WM_POWERBROADCAST, PBT_POWERSETTINGCHANGE, reinterpret_cast<LPARAM>(&setting));
}

TEST(DisplayState, OnOffAndDimmedAreReadFromTheSettingOthersAreNot) {
    static_assert(offsetof(Setting, value) == offsetof(POWERBROADCAST_SETTING, Data));
    WNDCLASSW wc{};
    wc.lpfnWndProc = Record;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = L"SuiteDisplayStateTest";
    ::RegisterClassW(&wc);
    HWND window = ::CreateWindowExW(0, wc.lpszClassName, L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, wc.hInstance,
                                    nullptr);
    ASSERT_TRUE(window);
    {
        const nubilux::win32::DisplayNotices notices(window);  // registering and going again do not fail
        g_seen.clear();
        const GUID display = {0x6fe69556, 0x704a, 0x47a0, {0x8f, 0x24, 0xc2, 0x8d, 0x93, 0x6f, 0xda, 0x47}};
        const GUID lid = {0xba3e0f4d, 0xb817, 0x4094, {0xa2, 0xd1, 0xd5, 0x63, 0x79, 0xe6, 0xa0, 0xf3}};
        Tell(window, display, 0);
        Tell(window, display, 1);
        Tell(window, display, 2);
        Tell(window, lid, 0);  // the lid's switch: not the display
        ::SendMessageW(window, WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, 0);
        ::SendMessageW(window, WM_POWERBROADCAST, PBT_POWERSETTINGCHANGE, 0);
    }
    ::DestroyWindow(window);
    EXPECT_EQ(g_seen, (std::vector<std::optional<bool>>{false, true, true, std::nullopt, std::nullopt, std::nullopt}));
}

}  // namespace
