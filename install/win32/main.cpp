// Install.exe: the whole installation runs before the window appears; the window then
// shows how it went, and its button starts the first-run command.
#include <windows.h>

#include <string>

#include "common/win32/error.h"
#include "common/win32/profile_store.h"
#include "common/win32/special_folder.h"
#include "common/win32/startup.h"
#include "install/description.h"
#include "install/flow.h"
#include "res/install/resource.h"
#include "install/texts.h"
#include "install/win32/platform.h"

namespace {

constexpr int kPictureId = 100, kLabel1Id = 101, kLabel2Id = 102, kCommand1Id = 103;
constexpr COLORREF kDarkBlue = RGB(0, 0, 128);

std::wstring Environment(const wchar_t* name) {
    const DWORD n = ::GetEnvironmentVariableW(name, nullptr, 0);
    if (n == 0) return L"";
    std::wstring value(n, L'\0');
    value.resize(::GetEnvironmentVariableW(name, value.data(), n));
    return value;
}

// frmInstall.
class InstallWindow {
public:
    InstallWindow(HINSTANCE instance, install::WindowTexts texts, std::wstring primaEsecuzione)
        : instance_(instance), texts_(std::move(texts)), primaEsecuzione_(std::move(primaEsecuzione)) {}

    bool Create() {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = Proc;
        wc.hInstance = instance_;
        wc.hIcon = static_cast<HICON>(::LoadImageW(instance_, MAKEINTRESOURCEW(IDI_INSTALL), IMAGE_ICON, 32, 32, LR_SHARED));
        wc.hIconSm = static_cast<HICON>(::LoadImageW(instance_, MAKEINTRESOURCEW(IDI_INSTALL), IMAGE_ICON, 16, 16, LR_SHARED));
        wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpszClassName = L"frmInstall";
        if (!::RegisterClassExW(&wc)) return false;

        dpi_ = ScreenDpi();
        const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
        RECT rect{0, 0, Px(5115), Px(1425)};
        ::AdjustWindowRectEx(&rect, style, FALSE, 0);
        const int width = rect.right - rect.left, height = rect.bottom - rect.top;
        RECT work{};
        ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
        const int x = work.left + (work.right - work.left - width) / 2;
        const int y = work.top + (work.bottom - work.top - height) / 2;
        return ::CreateWindowExW(0, wc.lpszClassName, install::texts::kCaption, style, x, y, width, height, nullptr,
                                 nullptr, instance_, this) != nullptr;
    }

    void Show() {
        ::ShowWindow(hwnd_, SW_SHOWNORMAL);
        // The user has just started the installer and waited for it: bring it to the front.
        ::SetForegroundWindow(hwnd_);
        ::UpdateWindow(hwnd_);
    }

private:
    static int ScreenDpi() {
        HDC screen = ::GetDC(nullptr);
        const int dpi = screen ? ::GetDeviceCaps(screen, LOGPIXELSY) : 96;
        if (screen) ::ReleaseDC(nullptr, screen);
        return dpi > 0 ? dpi : 96;
    }
    int Px(int twips) const { return ::MulDiv(twips, dpi_, 1440); }

    win32::UniqueFont Font(int points, bool bold) const {
        return win32::UniqueFont(::CreateFontW(-::MulDiv(points, dpi_, 72), 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE,
                                        FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                        DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, L"MS Sans Serif"));
    }

    HWND Control(const wchar_t* cls, const wchar_t* text, DWORD style, DWORD exStyle, int left, int top, int width,
                 int height, int id, HFONT font) {
        HWND control = ::CreateWindowExW(exStyle, cls, text, WS_CHILD | WS_VISIBLE | style, Px(left), Px(top),
                                         Px(width), Px(height), hwnd_,
                                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance_, nullptr);
        ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        return control;
    }

    void OnCreate() {
        titleFont_ = Font(12, true);
        textFont_ = Font(8, false);
        HWND picture = Control(L"STATIC", nullptr, SS_BITMAP | SS_CENTERIMAGE, WS_EX_CLIENTEDGE, 120, 120, 1335, 1215,
                               kPictureId, nullptr);
        logo_.reset(static_cast<HBITMAP>(::LoadImageW(instance_, MAKEINTRESOURCEW(IDB_LOGO), IMAGE_BITMAP, 0, 0, 0)));
        ::SendMessageW(picture, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(logo_.get()));
        // The picture control resizes itself to the bitmap; the box keeps its own size.
        ::SetWindowPos(picture, nullptr, Px(120), Px(120), Px(1335), Px(1215), SWP_NOZORDER);
        Control(L"STATIC", texts_.label1.c_str(), SS_LEFT | SS_NOPREFIX, 0, 1560, 120, 3495, 375, kLabel1Id,
                titleFont_.get());
        Control(L"STATIC", texts_.label2.c_str(), SS_LEFT | SS_NOPREFIX, 0, 1560, 600, 3495, 255, kLabel2Id,
                textFont_.get());
        HWND button = Control(L"BUTTON", install::texts::kButton, BS_DEFPUSHBUTTON | WS_TABSTOP, 0, 1560, 960, 3495,
                              375, kCommand1Id, textFont_.get());
        ::SetFocus(button);
    }

    // Prima_Esecuzione: starts the first-run command, if any, and closes the installer.
    void Command1_Click() {
        if (!primaEsecuzione_.empty()) {
            std::wstring commandLine = primaEsecuzione_;
            STARTUPINFOW startup{};
            startup.cb = sizeof startup;
            startup.dwFlags = STARTF_USESHOWWINDOW;
            startup.wShowWindow = SW_SHOWNORMAL;
            PROCESS_INFORMATION started{};
            if (::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                                 &started)) {
                ::AllowSetForegroundWindow(started.dwProcessId);
                ::CloseHandle(started.hThread);
                ::CloseHandle(started.hProcess);
            } else {
                const auto failure = win32::LastError();
                const std::wstring message = std::wstring(install::texts::kCannotStart) + L"\n" + primaEsecuzione_ +
                                             L"\n\n" + failure.description;
                ::MessageBoxW(hwnd_, message.c_str(), install::texts::kCaption, MB_OK | MB_ICONERROR);
            }
        }
        ::DestroyWindow(hwnd_);
    }

    LRESULT Handle(UINT msg, WPARAM wParam, LPARAM lParam) {
        switch (msg) {
        case WM_CREATE:
            OnCreate();
            return 0;
        case WM_COMMAND:
            if (LOWORD(wParam) == kCommand1Id && HIWORD(wParam) == BN_CLICKED) Command1_Click();
            return 0;
        case WM_CTLCOLORSTATIC:
            if (reinterpret_cast<HWND>(lParam) == ::GetDlgItem(hwnd_, kLabel2Id)) {
                const HDC dc = reinterpret_cast<HDC>(wParam);
                ::SetTextColor(dc, kDarkBlue);
                ::SetBkColor(dc, ::GetSysColor(COLOR_BTNFACE));
                return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_BTNFACE));
            }
            break;
        case WM_DESTROY:
            // Form_Unload: the program ends at once.
            ::PostQuitMessage(0);
            return 0;
        }
        return ::DefWindowProcW(hwnd_, msg, wParam, lParam);
    }

    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) noexcept {
        if (msg == WM_NCCREATE) {
            auto* self = static_cast<InstallWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
            self->hwnd_ = hwnd;
            ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        }
        auto* self = reinterpret_cast<InstallWindow*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        try {
            return self ? self->Handle(msg, wParam, lParam) : ::DefWindowProcW(hwnd, msg, wParam, lParam);
        } catch (...) {
            return 0;
        }
    }

    HINSTANCE instance_;
    install::WindowTexts texts_;
    std::wstring primaEsecuzione_;
    HWND hwnd_ = nullptr;
    int dpi_ = 96;
    win32::UniqueFont titleFont_, textFont_;
    win32::UniqueBitmap logo_;
};

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    win32::RestrictDllSearch();

    const std::wstring folder = win32::ProgramFolder();
    const install::StartEnvironment environment{folder,
                                                Environment(L"SystemRoot"),
                                                Environment(L"ProgramFiles"),
                                                win32::GetSpecialFolder(2),
                                                win32::GetSpecialFolder(7),
                                                win32::GetSpecialFolder(16)};
    win32::ProfileStore store;
    const suite::ProfileReader ini = install::MakeReader(store, folder);
    install::win32::Platform platform(folder);
    install::InstallerState state;
    install::WindowTexts texts = install::Form_Load(platform, ini, environment, state);

    InstallWindow window(instance, std::move(texts), state.PrimaEsecuzione);
    if (!window.Create()) {
        const std::wstring message = std::wstring(install::texts::kCannotShow) + L"\n\n" + win32::LastError().description;
        ::MessageBoxW(nullptr, message.c_str(), install::texts::kCaption, MB_OK | MB_ICONERROR);
        return 1;
    }
    window.Show();
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (!::IsDialogMessageW(::GetActiveWindow(), &msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
    return 0;
}
