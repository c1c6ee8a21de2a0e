#include "common/win32/form.h"

#include <algorithm>
#include <new>
#include <string_view>
#include <utility>

#include "common/win32/dpi.h"

#ifndef WM_GETDPISCALEDSIZE
#define WM_GETDPISCALEDSIZE 0x02E4
#endif

namespace win32 {

namespace {

// A bitmap drawn for 96 dpi, at the screen's: smoothed, as the shell scales its own pictures.
HBITMAP ScaledBitmap(HBITMAP source, UINT dpi) {
    BITMAP info{};
    if (!source || dpi == 96 || !::GetObjectW(source, sizeof info, &info)) return source;
    const int width = ::MulDiv(info.bmWidth, static_cast<int>(dpi), 96);
    const int height = ::MulDiv(info.bmHeight, static_cast<int>(dpi), 96);
    HDC screen = ::GetDC(nullptr);
    HDC from = ::CreateCompatibleDC(screen), to = ::CreateCompatibleDC(screen);
    HBITMAP scaled = ::CreateCompatibleBitmap(screen, width, height);
    if (from && to && scaled) {
        const HGDIOBJ oldFrom = ::SelectObject(from, source), oldTo = ::SelectObject(to, scaled);
        ::SetStretchBltMode(to, HALFTONE);
        ::SetBrushOrgEx(to, 0, 0, nullptr);
        ::StretchBlt(to, 0, 0, width, height, from, 0, 0, info.bmWidth, info.bmHeight, SRCCOPY);
        ::SelectObject(from, oldFrom);
        ::SelectObject(to, oldTo);
    }
    if (from) ::DeleteDC(from);
    if (to) ::DeleteDC(to);
    ::ReleaseDC(nullptr, screen);
    if (!scaled) return source;
    ::DeleteObject(source);
    return scaled;
}

}  // namespace

Form::~Form() {
    if (!hwnd_) return;
    ::SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    ::DestroyWindow(hwnd_);
}

bool Form::Create(const wchar_t* className, const wchar_t* caption, int clientWidth, int clientHeight,
                  DWORD exStyle, HWND owner) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = Proc;
    wc.hInstance = instance_;
    wc.hIcon = static_cast<HICON>(::LoadImageW(instance_, MAKEINTRESOURCEW(iconId_), IMAGE_ICON, 32, 32, LR_SHARED));
    wc.hIconSm = static_cast<HICON>(::LoadImageW(instance_, MAKEINTRESOURCEW(iconId_), IMAGE_ICON, 16, 16, LR_SHARED));
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = className;
    // A window that is made again (a reopened About box) finds its class registered.
    if (!::RegisterClassExW(&wc) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;

    // A fixed single border with the close box only, centred on the primary monitor's work
    // area, at that monitor's scale: known for certain only once the window is there.
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
    style_ = style;
    exStyle_ = exStyle;
    clientWidth_ = clientWidth;
    clientHeight_ = clientHeight;
    RECT work{};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const UINT guess = SystemDpi();
    RECT rect{0, 0, Pixels(clientWidth, guess), Pixels(clientHeight, guess)};
    AdjustWindowRectAt(&rect, style, exStyle, guess);
    if (::CreateWindowExW(exStyle, className, caption, style, work.left, work.top, rect.right - rect.left,
                          rect.bottom - rect.top, owner, nullptr, instance_, this)) {
        // Laid out at the DPI its monitor turned out to have, labels fitted, and only then
        // centred, whole, on the work area.
        LayOut();
        RECT whole{};
        ::GetWindowRect(hwnd_, &whole);
        const int width = whole.right - whole.left, height = whole.bottom - whole.top;
        ::SetWindowPos(hwnd_, nullptr, work.left + std::max(0L, (work.right - work.left - width) / 2),
                       work.top + std::max(0L, (work.bottom - work.top - height) / 2), 0, 0,
                       SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        SetIcons();
        return true;
    }
    // The real reason: a control that could not be made says more than the window's own call.
    if (createFailure_) ::SetLastError(createFailure_);
    return false;
}

void Form::Show() {
    ::ShowWindow(hwnd_, SW_SHOWNORMAL);
    ::SetForegroundWindow(hwnd_);
    ::UpdateWindow(hwnd_);
    if (!::IsChild(hwnd_, ::GetFocus())) RestoreFocus();
}

void Form::RestoreFocus() {
    HWND to = focus_ && ::IsChild(hwnd_, focus_) && ::IsWindowEnabled(focus_) && ::IsWindowVisible(focus_)
                  ? focus_
                  : ::GetNextDlgTabItem(hwnd_, nullptr, FALSE);
    if (to) ::SetFocus(to);
}

void Form::Enable(int id, bool enabled) {
    HWND control = ::GetDlgItem(hwnd_, id);
    const bool focused = ::GetFocus() == control;
    ::EnableWindow(control, enabled);
    if (!enabled && focused) {
        HWND next = ::GetNextDlgTabItem(hwnd_, control, FALSE);
        ::SetFocus(next && next != control ? next : hwnd_);
    }
}

void Form::SetIcons() {
    const auto load = [&](int metric) {
        const int size = MetricAt(metric, dpi_);
        return UniqueIcon(
            static_cast<HICON>(::LoadImageW(instance_, MAKEINTRESOURCEW(iconId_), IMAGE_ICON, size, size, 0)));
    };
    UniqueIcon big = load(SM_CXICON), small = load(SM_CXSMICON);
    if (big) ::SendMessageW(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big.get()));
    if (small) ::SendMessageW(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small.get()));
    // The window holds the handles it was given until now: the old ones go after.
    if (big) bigIcon_ = std::move(big);
    if (small) smallIcon_ = std::move(small);
}

HFONT Form::Font(const wchar_t* face, double points, bool bold) {
    fonts_.push_back({face, points, bold, MakeFont(face, points, bold)});
    return fonts_.back().font.get();
}

UniqueFont Form::MakeFont(const wchar_t* face, double points, bool bold) const {
    const int height = -static_cast<int>(points * dpi_ / 72.0 + 0.5);
    return UniqueFont(::CreateFontW(height, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE,
                                    FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                    DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, face));
}

HWND Form::Control(const wchar_t* cls, const wchar_t* text, DWORD style, int left, int top, int width, int height,
                   int id, HFONT font, DWORD exStyle) {
    HWND control = ::CreateWindowExW(exStyle, cls, text, WS_CHILD | style, Px(left), Px(top), Px(width), Px(height),
                                     hwnd_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance_, nullptr);
    if (!control) throw Failed{::GetLastError()};
    placed_.push_back({control, left, top, width, height});
    if (std::wstring_view(cls) == L"BUTTON" && (style & 0xF) == BS_DEFPUSHBUTTON) defaultId_ = id;
    if (font) ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return control;
}

HWND Form::Picture(int bitmapId, int left, int top, int width, int height, int id) {
    HWND picture = Control(L"STATIC", nullptr, WS_VISIBLE | SS_BITMAP | SS_CENTERIMAGE, left, top, width, height, id,
                           nullptr, WS_EX_CLIENTEDGE);
    pictureId_ = bitmapId;
    picture_ = MakePicture();
    ::SendMessageW(picture, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(picture_.get()));
    // The control fits itself to the bitmap; the box keeps its own size.
    ::SetWindowPos(picture, nullptr, Px(left), Px(top), Px(width), Px(height), SWP_NOZORDER);
    return picture;
}

UniqueBitmap Form::MakePicture() const {
    return UniqueBitmap(ScaledBitmap(
        static_cast<HBITMAP>(::LoadImageW(instance_, MAKEINTRESOURCEW(pictureId_), IMAGE_BITMAP, 0, 0, 0)), dpi_));
}

void Form::FollowDpi(UINT dpi, const RECT& suggested) {
    dpi_ = dpi;
    std::vector<std::pair<HFONT, HFONT>> swapped;  // old handle, new one
    std::vector<UniqueFont> retired;
    for (OwnedFont& owned : fonts_) {
        UniqueFont font = MakeFont(owned.face, owned.points, owned.bold);
        swapped.emplace_back(owned.font.get(), font.get());
        retired.push_back(std::exchange(owned.font, std::move(font)));
    }
    for (const Placed& placed : placed_) {
        const HWND child = placed.control;
        const auto font = reinterpret_cast<HFONT>(::SendMessageW(child, WM_GETFONT, 0, 0));
        for (const auto& [before, after] : swapped)
            if (font == before) ::SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(after), TRUE);
        if (pictureId_ && (::GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_BITMAP) {
            UniqueBitmap picture = MakePicture();
            ::SendMessageW(child, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(picture.get()));
            picture_ = std::move(picture);
        }
    }
    ::SetWindowPos(hwnd_, nullptr, suggested.left, suggested.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    LayOut();
    SetIcons();
}

void Form::LayOut() {
    // From the twips, as at the start: no rounding carried from one scale to the next.
    for (const Placed& placed : placed_)
        ::SetWindowPos(placed.control, nullptr, Px(placed.left), Px(placed.top), Px(placed.width), Px(placed.height),
                       SWP_NOZORDER | SWP_NOACTIVATE);
    RECT rect{0, 0, Px(clientWidth_), Px(clientHeight_)};
    AdjustWindowRectAt(&rect, style_, exStyle_, dpi_);
    ::SetWindowPos(hwnd_, nullptr, 0, 0, rect.right - rect.left, rect.bottom - rect.top,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    // Where the frame is not drawn at the window's scale (Wine, Windows before 10), the
    // client area is what must be right.
    RECT client{};
    ::GetClientRect(hwnd_, &client);
    if (client.right != Px(clientWidth_) || client.bottom != Px(clientHeight_))
        ::SetWindowPos(hwnd_, nullptr, 0, 0, rect.right - rect.left + Px(clientWidth_) - client.right,
                       rect.bottom - rect.top + Px(clientHeight_) - client.bottom,
                       SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    for (const Step& step : steps_) {
        if (step.fittedLabel)
            FitLabelNow(step.fittedLabel);
        else
            GrowByPixels(Px(step.growTwips));
    }
}

SIZE Form::SizeAt(UINT dpi) const {
    RECT client{};
    ::GetClientRect(hwnd_, &client);
    // What the labels and growth added here, scaled; the layout then makes it exact.
    const int added = client.bottom - Pixels(clientHeight_, dpi_);
    RECT rect{0, 0, Pixels(clientWidth_, dpi), Pixels(clientHeight_, dpi) + ::MulDiv(added, static_cast<int>(dpi),
                                                                                      static_cast<int>(dpi_))};
    AdjustWindowRectAt(&rect, style_, exStyle_, dpi);
    return {rect.right - rect.left, rect.bottom - rect.top};
}

void Form::FitLabel(int id) {
    steps_.push_back({id, 0});
    FitLabelNow(id);
}

void Form::FitLabelNow(int id) {
    HWND label = ::GetDlgItem(hwnd_, id);
    if (!label) return;
    RECT place{};
    ::GetWindowRect(label, &place);
    ::MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&place), 2);
    std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(label)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(::GetWindowTextW(label, text.data(), static_cast<int>(text.size()))));
    HDC dc = ::GetDC(label);
    if (!dc) return;
    const HGDIOBJ previous = ::SelectObject(dc, reinterpret_cast<HFONT>(::SendMessageW(label, WM_GETFONT, 0, 0)));
    RECT needed{0, 0, place.right - place.left, 0};
    ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &needed,
                DT_CALCRECT | DT_WORDBREAK | DT_EDITCONTROL | DT_NOPREFIX);
    ::SelectObject(dc, previous);
    ::ReleaseDC(label, dc);
    const int grow = needed.bottom - (place.bottom - place.top);
    if (grow <= 0) return;
    for (HWND child = ::GetWindow(hwnd_, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        RECT r{};
        ::GetWindowRect(child, &r);
        ::MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&r), 2);
        if (child == label)
            ::SetWindowPos(child, nullptr, 0, 0, r.right - r.left, r.bottom - r.top + grow, SWP_NOMOVE | SWP_NOZORDER);
        else if (r.top >= place.bottom)
            ::SetWindowPos(child, nullptr, r.left, r.top + grow, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    }
    GrowByPixels(grow);
}

void Form::GrowBy(int twips) {
    steps_.push_back({0, twips});
    GrowByPixels(Px(twips));
}

void Form::GrowByPixels(int pixels) {
    RECT window{};
    ::GetWindowRect(hwnd_, &window);
    ::SetWindowPos(hwnd_, nullptr, 0, 0, window.right - window.left, window.bottom - window.top + pixels,
                   SWP_NOMOVE | SWP_NOZORDER);
}

LRESULT Form::ColourLabel(WPARAM dc, LPARAM control, int id, COLORREF colour) const {
    if (reinterpret_cast<HWND>(control) != ::GetDlgItem(hwnd_, id)) return 0;
    ::SetTextColor(reinterpret_cast<HDC>(dc), colour);
    ::SetBkColor(reinterpret_cast<HDC>(dc), ::GetSysColor(COLOR_BTNFACE));
    return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_BTNFACE));
}

LRESULT CALLBACK Form::Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) noexcept {
    if (msg == WM_NCCREATE) {
        auto* self = static_cast<Form*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->hwnd_ = hwnd;
        self->dpi_ = WindowDpi(hwnd);
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<Form*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self) return ::DefWindowProcW(hwnd, msg, wParam, lParam);
    if (msg == WM_NCDESTROY) {
        // The object may outlive its window: it no longer has one.
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        self->hwnd_ = nullptr;
        return ::DefWindowProcW(hwnd, msg, wParam, lParam);
    }
    // Enter presses the default button: IsDialogMessage asks for it.
    if (msg == DM_GETDEFID) return self->defaultId_ ? MAKELRESULT(self->defaultId_, DC_HASDEFID) : 0;
    if (msg == DM_SETDEFID) {
        self->defaultId_ = static_cast<int>(wParam);
        return TRUE;
    }
    if (msg == WM_GETDPISCALEDSIZE && self->created_) {
        *reinterpret_cast<SIZE*>(lParam) = self->SizeAt(static_cast<UINT>(wParam));
        return TRUE;
    }
    // As a dialog keeps it: the focus goes back where it was when the window is active again.
    if (msg == WM_ACTIVATE && self->created_) {
        if (LOWORD(wParam) == WA_INACTIVE) {
            if (HWND focus = ::GetFocus(); ::IsChild(hwnd, focus)) self->focus_ = focus;
        } else if (!HIWORD(wParam)) {  // not minimised
            self->RestoreFocus();
        }
        return 0;
    }
    if (msg == WM_SETFOCUS && self->created_) {
        self->RestoreFocus();
        return 0;
    }
    if (msg == WM_DPICHANGED && self->created_) {
        try {
            self->FollowDpi(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
        } catch (const std::bad_alloc&) {
        }
        return 0;
    }
    try {
        if (msg == WM_CREATE) {
            self->OnCreate();
            self->created_ = true;
            return 0;
        }
        // Before or after a failed OnCreate the object is not whole: the system's handling only.
        if (!self->created_) return ::DefWindowProcW(hwnd, msg, wParam, lParam);
        return self->OnMessage(msg, wParam, lParam);
    } catch (const Failed& failed) {
        self->createFailure_ = failed.error;
    } catch (const std::bad_alloc&) {
        self->createFailure_ = ERROR_NOT_ENOUGH_MEMORY;
    } catch (...) {
        self->createFailure_ = ERROR_INTERNAL_ERROR;
    }
    return msg == WM_CREATE ? -1 : 0;  // nothing is thrown past the window procedure
}

namespace {

void Dispatch(MSG& msg) {
    // The message's own window, not the active one: keys work even when the window was
    // not given the foreground.
    const HWND root = msg.hwnd ? ::GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
    if (!root || !::IsDialogMessageW(root, &msg)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

}  // namespace

int RunMessageLoop() {
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) Dispatch(msg);
    return static_cast<int>(msg.wParam);
}

int RunMessageLoop(const std::function<std::vector<HANDLE>()>& waiting, const std::function<void()>& signalled) {
    for (;;) {
        std::vector<HANDLE> handles = waiting();
        handles.resize(std::min<std::size_t>(handles.size(), MAXIMUM_WAIT_OBJECTS - 1));
        const DWORD count = static_cast<DWORD>(handles.size());
        const DWORD woke = ::MsgWaitForMultipleObjectsEx(count, handles.data(), INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        if (woke < WAIT_OBJECT_0 + count) signalled();
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) return static_cast<int>(msg.wParam);
            Dispatch(msg);
        }
    }
}

}  // namespace win32
