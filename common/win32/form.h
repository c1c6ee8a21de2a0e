// A fixed-size window laid out in twips, as the setup programs' windows are: one object
// per window, bound to its HWND at WM_NCCREATE. It is drawn at the DPI of its monitor and
// follows a move to a monitor of another scale (WM_DPICHANGED) by laying itself out anew
// from its twips: size, controls, fonts, icons, so nothing drifts with each move. The
// keyboard focus is kept as in a dialog: on the first control at start, back where it
// was when the window is active again, and on the next control when one is greyed.
#pragma once

#include <windows.h>

#include <functional>
#include <vector>

#include <string>
#include <vector>

#include "common/win32/unique.h"

namespace win32 {

// Twips (1440 an inch) to pixels at a DPI.
inline int Pixels(int twips, UINT dpi) { return ::MulDiv(twips, static_cast<int>(dpi), 1440); }

class Form {
public:
    Form(HINSTANCE instance, int iconId) : instance_(instance), iconId_(iconId) {}
    // The window goes with its object; its own handlers are not called from here, as the
    // object they belong to is already gone.
    virtual ~Form();
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    // Registers the class and creates the window, centred on the screen, with a client
    // area of the given twips; WM_CREATE goes to OnCreate. An owned window is destroyed
    // with its owner. False, with the last error set, when the window cannot be made; a
    // window whose OnCreate failed is gone by then, and OnMessage never saw it.
    bool Create(const wchar_t* className, const wchar_t* caption, int clientWidth, int clientHeight,
                DWORD exStyle = 0, HWND owner = nullptr);
    // Shows the window in front: the user has just started the program.
    void Show();
    HWND Handle() const { return hwnd_; }

protected:
    virtual void OnCreate() = 0;
    // Messages other than WM_CREATE; call Default for what is not handled.
    virtual LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) = 0;
    LRESULT Default(UINT msg, WPARAM wParam, LPARAM lParam) { return ::DefWindowProcW(hwnd_, msg, wParam, lParam); }

    // Twips to pixels at the window's DPI.
    int Px(int twips) const { return Pixels(twips, dpi_); }
    // A font at the window's DPI, kept by the window and made anew when the DPI changes.
    HFONT Font(const wchar_t* face, double points, bool bold);
    // A child control placed in twips.
    HWND Control(const wchar_t* cls, const wchar_t* text, DWORD style, int left, int top, int width, int height,
                 int id, HFONT font, DWORD exStyle = 0);
    // A sunken picture box showing a bitmap resource at its own size.
    HWND Picture(int bitmapId, int left, int top, int width, int height, int id);
    // For WM_CTLCOLORSTATIC: draws the label `id` in `colour`; nothing (0) for other controls.
    LRESULT ColourLabel(WPARAM dc, LPARAM control, int id, COLORREF colour) const;
    void SetText(int id, const std::wstring& text) { ::SetDlgItemTextW(hwnd_, id, text.c_str()); }
    // Grows the label `id` downwards until its text fits its width, wrapping as the label
    // does, and moves what lies below it and the window's bottom edge down by as much.
    // Done again at each new DPI, where the text may wrap otherwise.
    void FitLabel(int id);
    // Makes the window taller by the given twips, at the bottom.
    void GrowBy(int twips);
    // Enables or greys the control `id`; greyed with the focus on it, it hands the focus on.
    void Enable(int id, bool enabled);
    void Display(int id, bool shown) { ::ShowWindow(::GetDlgItem(hwnd_, id), shown ? SW_SHOW : SW_HIDE); }

    HINSTANCE instance_;
    HWND hwnd_ = nullptr;

private:
    struct Failed {
        DWORD error;
    };
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) noexcept;
    // Makes the window taller by the given pixels, at the bottom.
    void GrowByPixels(int pixels);
    // The window moved to a monitor of another scale: everything laid out at the new DPI,
    // the window's corner where Windows suggests.
    void FollowDpi(UINT dpi, const RECT& suggested);
    // Places the controls and sizes the window from the twips at the window's DPI, then
    // fits the labels and grows the window again as was asked.
    void LayOut();
    // The window's size at a DPI, as the layout will make it (WM_GETDPISCALEDSIZE).
    SIZE SizeAt(UINT dpi) const;
    void FitLabelNow(int id);
    // The caption's and taskbar's icons at the window's DPI.
    void SetIcons();
    // The keyboard focus when the window is active again: where it was, else the first
    // control that takes it.
    void RestoreFocus();
    UniqueFont MakeFont(const wchar_t* face, double points, bool bold) const;
    UniqueBitmap MakePicture() const;

    struct OwnedFont {
        const wchar_t* face;
        double points;
        bool bold;
        UniqueFont font;
    };

    // Each control's place in twips, and what was done to the layout after (a label
    // fitted, the window grown): the layout at any DPI.
    struct Placed {
        HWND control;
        int left, top, width, height;
    };
    struct Step {
        int fittedLabel;  // a FitLabel of this id, or 0: a GrowBy of growTwips
        int growTwips;
    };

    int iconId_;
    UINT dpi_ = 96;
    int clientWidth_ = 0, clientHeight_ = 0;  // twips
    DWORD style_ = 0, exStyle_ = 0;
    std::vector<Placed> placed_;
    std::vector<Step> steps_;
    HWND focus_ = nullptr;  // the control that had the focus when the window was last active
    UniqueIcon bigIcon_, smallIcon_;
    std::vector<OwnedFont> fonts_;
    int pictureId_ = 0;
    int defaultId_ = 0;         // the button Enter presses: the last BS_DEFPUSHBUTTON, or DM_SETDEFID
    DWORD createFailure_ = 0;   // why OnCreate failed, for the caller of Create
    bool created_ = false;      // OnCreate has succeeded: the window's own handlers may run
    UniqueBitmap picture_;
};

// The message loop of a program whose windows are Forms: Tab and Enter work as in a dialog.
int RunMessageLoop();
// The same, waiting also on what `waiting` names each time round (no more than
// MAXIMUM_WAIT_OBJECTS - 1); `signalled` is called when one of them is set, and must see
// that it is not named again.
int RunMessageLoop(const std::function<std::vector<HANDLE>()>& waiting, const std::function<void()>& signalled);

}  // namespace win32
