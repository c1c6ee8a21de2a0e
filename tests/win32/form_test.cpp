// A window of the suite on a monitor of another scale: Windows sends WM_DPICHANGED with
// the new DPI and the rectangle it suggests, and the window follows at once.
#include <gtest/gtest.h>

#include <windows.h>

#include "common/win32/dpi.h"
#include "common/win32/form.h"

namespace {

constexpr int kButton = 10, kLabel = 11;

class TestForm final : public win32::Form {
public:
    TestForm() : Form(::GetModuleHandleW(nullptr), 1) {}
    HFONT font = nullptr;

private:
    void OnCreate() override {
        font = Font(L"Microsoft Sans Serif", 8.25, false);
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

// The twips layout at a DPI, as the window was made.
void ExpectLaidOutAt(HWND window, UINT dpi) {
    const auto px = [&](int twips) { return win32::Pixels(twips, dpi); };
    const RECT button = ChildRect(window, kButton), label = ChildRect(window, kLabel);
    EXPECT_EQ(button.left, px(0)) << dpi;
    EXPECT_EQ(button.top, px(600)) << dpi;
    EXPECT_EQ(button.right - button.left, px(1335)) << dpi;
    EXPECT_EQ(button.bottom - button.top, px(345)) << dpi;
    EXPECT_EQ(label.left, px(120)) << dpi;
    EXPECT_EQ(label.top, px(120)) << dpi;
    EXPECT_EQ(label.right - label.left, px(2400)) << dpi;
    EXPECT_EQ(label.bottom - label.top, px(255)) << dpi;
    RECT client{};
    ::GetClientRect(window, &client);
    EXPECT_EQ(client.right, px(2700)) << dpi;
    EXPECT_EQ(client.bottom, px(945)) << dpi;
    EXPECT_EQ(FontHeight(::GetDlgItem(window, kButton)), -static_cast<int>(8.25 * dpi / 72.0 + 0.5)) << dpi;
    // The caption's and taskbar's icons drawn for the scale.
    ICONINFO info{};
    BITMAP bitmap{};
    const auto small = reinterpret_cast<HICON>(::SendMessageW(window, WM_GETICON, ICON_SMALL, 0));
    ASSERT_TRUE(small && ::GetIconInfo(small, &info)) << dpi;
    ::GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bitmap, &bitmap);
    if (info.hbmColor) ::DeleteObject(info.hbmColor);
    ::DeleteObject(info.hbmMask);
    EXPECT_EQ(bitmap.bmWidth, ::MulDiv(16, static_cast<int>(dpi), 96)) << dpi;
}

// Windows' WM_DPICHANGED (Microsoft's "High DPI Desktop Application Development on
// Windows"): the new DPI and a suggested rectangle, whose corner the window takes; its size
// is the layout's, made again from the twips each time, so moves back and forth never drift.
TEST(Form, FollowsItsMonitorsScaleFromItsTwipsEachTime) {
    TestForm form;
    ASSERT_TRUE(form.Create(L"SuiteFormDpiTest", L"Scale", 2700, 945));
    const HWND window = form.Handle();
    ExpectLaidOutAt(window, 96);  // the tests' prefix is at 100 %
    for (const UINT dpi : {168u, 96u, 168u, 120u, 144u}) {
        SIZE announced{};
        ::SendMessageW(window, 0x02E4 /* WM_GETDPISCALEDSIZE */, dpi, reinterpret_cast<LPARAM>(&announced));
        RECT suggested{200, 100, 200 + 300, 100 + 140};
        ::SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
        ExpectLaidOutAt(window, dpi);
        RECT now{};
        ::GetWindowRect(window, &now);
        EXPECT_EQ(now.left, 200);
        EXPECT_EQ(now.top, 100);
        // Announced beforehand: the layout's client area in the frame Windows draws at that scale.
        RECT frame{0, 0, 0, 0};
        win32::AdjustWindowRectAt(&frame, WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU, 0, dpi);
        EXPECT_EQ(announced.cx - (frame.right - frame.left), win32::Pixels(2700, dpi)) << dpi;
        EXPECT_EQ(announced.cy - (frame.bottom - frame.top), win32::Pixels(945, dpi)) << dpi;
    }
    EXPECT_NE(form.font, reinterpret_cast<HFONT>(::SendMessageW(::GetDlgItem(window, kButton), WM_GETFONT, 0, 0)));
}

// A label fitted to a long text is fitted again at each scale: the same lines, no growth
// carried from one scale to the next.
class LongLabelForm final : public win32::Form {
public:
    LongLabelForm() : Form(::GetModuleHandleW(nullptr), 1) {}

private:
    void OnCreate() override {
        HFONT font = Font(L"Microsoft Sans Serif", 8.25, false);
        Control(L"STATIC", L"A text long enough to wrap over several lines of a label that is only so wide, "
                           L"and then some more words after it",
                WS_VISIBLE, 120, 120, 2400, 255, kLabel, font);
        Control(L"BUTTON", L"OK", WS_VISIBLE | WS_TABSTOP, 120, 600, 1335, 345, kButton, font);
        FitLabel(kLabel);
    }
    LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override { return Default(msg, wParam, lParam); }
};

TEST(Form, AFittedLabelIsFittedAgainAtEachScale) {
    LongLabelForm form;
    ASSERT_TRUE(form.Create(L"SuiteFormFitTest", L"Fit", 2700, 945));
    const HWND window = form.Handle();
    const RECT label = ChildRect(window, kLabel), button = ChildRect(window, kButton);
    ASSERT_GT(label.bottom - label.top, win32::Pixels(255, 96));  // it wrapped
    for (const UINT dpi : {168u, 96u, 168u, 96u}) {
        RECT suggested{0, 0, 10, 10};
        ::SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
        const RECT fitted = ChildRect(window, kLabel);
        EXPECT_GT(fitted.bottom - fitted.top, win32::Pixels(255, dpi)) << dpi;
        EXPECT_EQ(ChildRect(window, kButton).top - fitted.bottom, win32::Pixels(600, dpi) - win32::Pixels(375, dpi)) << dpi;
    }
    EXPECT_EQ(ChildRect(window, kLabel).bottom, label.bottom);  // back at 96: as it was
    EXPECT_EQ(ChildRect(window, kButton).top, button.top);
}

// Text drawn from an outline font, smooth at any scale, not a bitmap font's few sizes.
TEST(Form, TheTextIsAnOutlineFont) {
    TestForm form;
    ASSERT_TRUE(form.Create(L"SuiteFormFontTest", L"Font", 2700, 945));
    HDC dc = ::GetDC(form.Handle());
    const HGDIOBJ old = ::SelectObject(dc, form.font);
    TEXTMETRICW metrics{};
    ::GetTextMetricsW(dc, &metrics);
    ::SelectObject(dc, old);
    ::ReleaseDC(form.Handle(), dc);
    EXPECT_TRUE(metrics.tmPitchAndFamily & (TMPF_TRUETYPE | TMPF_VECTOR));
}

// The focus as a dialog keeps it: on the first control when shown, handed on when its
// control is greyed, back where it was when the window is active again.
class FocusForm final : public win32::Form {
public:
    FocusForm() : Form(::GetModuleHandleW(nullptr), 1) {}
    void Grey(int id) { Enable(id, false); }

private:
    void OnCreate() override {
        HFONT font = Font(L"Microsoft Sans Serif", 8.25, false);
        Control(L"BUTTON", L"One", WS_VISIBLE | WS_TABSTOP, 0, 0, 1335, 345, kButton, font);
        Control(L"BUTTON", L"Two", WS_VISIBLE | WS_TABSTOP, 1350, 0, 1335, 345, kLabel, font);
    }
    LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override { return Default(msg, wParam, lParam); }
};

TEST(Form, TheFocusIsKeptAsADialogKeepsIt) {
    FocusForm form;
    ASSERT_TRUE(form.Create(L"SuiteFormFocusTest", L"Focus", 2700, 945));
    form.Show();
    const HWND window = form.Handle(), one = ::GetDlgItem(window, kButton), two = ::GetDlgItem(window, kLabel);
    EXPECT_EQ(::GetFocus(), one);
    form.Grey(kButton);
    EXPECT_EQ(::GetFocus(), two);
    // Another window active, then this one again: the focus where it was.
    ::SendMessageW(window, WM_ACTIVATE, WA_INACTIVE, 0);
    ::SetFocus(nullptr);
    ::SendMessageW(window, WM_ACTIVATE, WA_ACTIVE, 0);
    EXPECT_EQ(::GetFocus(), two);
    ::SetFocus(window);  // the window itself given the focus hands it to its control
    EXPECT_EQ(::GetFocus(), two);
}

}  // namespace
