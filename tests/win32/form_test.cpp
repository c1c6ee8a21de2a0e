// A window of the suite on a monitor of another scale: Windows sends WM_DPICHANGED with
// the new DPI and the rectangle it suggests, and the window follows at once.
#include <gtest/gtest.h>

#include <windows.h>

#include "common/win32/form.h"

namespace {

constexpr int kButton = 10, kLabel = 11;

class TestForm final : public win32::Form {
public:
    TestForm() : Form(::GetModuleHandleW(nullptr), 1) {}
    HFONT font = nullptr;

private:
    void OnCreate() override {
        font = Font(L"MS Sans Serif", 8.25, false);
        Control(L"BUTTON", L"&Update", WS_VISIBLE, 0, 600, 1335, 345, kButton, font);
        Control(L"STATIC", L"Text", WS_VISIBLE, 120, 120, 2400, 255, kLabel, font);
    }
    LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override { return Default(msg, wParam, lParam); }
};

RECT ChildRect(HWND parent, int id) {
    RECT r{};
    ::GetWindowRect(::GetDlgItem(parent, id), &r);
    ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

int FontHeight(HWND control) {
    LOGFONTW font{};
    ::GetObjectW(reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0)), sizeof font, &font);
    return font.lfHeight;
}

TEST(Form, FollowsItsMonitorsScale) {
    TestForm form;
    ASSERT_TRUE(form.Create(L"SuiteFormDpiTest", L"Scale", 2700, 945));
    const HWND window = form.Handle();
    const RECT button = ChildRect(window, kButton);
    ASSERT_EQ(button.bottom - button.top, 23);  // 345 twips at 96 dpi: the tests' prefix is at 100 %
    EXPECT_EQ(FontHeight(::GetDlgItem(window, kButton)), -11);

    // To a monitor at 150 %: the window where Windows suggests, everything half as large again.
    RECT suggested{200, 100, 200 + 300, 100 + 140};
    ::SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
    RECT now{};
    ::GetWindowRect(window, &now);
    EXPECT_EQ(now.left, 200);
    EXPECT_EQ(now.top, 100);
    EXPECT_EQ(now.right - now.left, 300);
    EXPECT_EQ(now.bottom - now.top, 140);
    const RECT scaled = ChildRect(window, kButton);
    EXPECT_EQ(scaled.top, ::MulDiv(button.top, 3, 2));
    EXPECT_EQ(scaled.right - scaled.left, ::MulDiv(button.right - button.left, 3, 2));
    EXPECT_EQ(FontHeight(::GetDlgItem(window, kButton)), -17);
    EXPECT_EQ(FontHeight(::GetDlgItem(window, kLabel)), -17);
    EXPECT_NE(form.font, reinterpret_cast<HFONT>(::SendMessageW(::GetDlgItem(window, kButton), WM_GETFONT, 0, 0)));

    // And back: the sizes it started with.
    ::SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(96, 96), reinterpret_cast<LPARAM>(&suggested));
    const RECT back = ChildRect(window, kButton);
    EXPECT_EQ(back.top, button.top);
    EXPECT_EQ(back.bottom - back.top, button.bottom - button.top);
    EXPECT_EQ(FontHeight(::GetDlgItem(window, kButton)), -11);
}

}  // namespace
