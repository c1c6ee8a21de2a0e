// A small window that the probe is proven on: labels, a clickable button, a disabled
// and a hidden one, a message box, a custom message, a hang on request, and a WinINet fetch. It ends only on
// its close box or WM_CLOSE.
#include <windows.h>

#include <wininet.h>

#include <cwchar>
#include <string>

#include "common/win32/startup.h"

namespace {

constexpr wchar_t kCaption[] = L"Probe Test Window";
constexpr UINT kTraceMessage = WM_APP + 1;
// Makes the window stop answering for `wParam` seconds: a hung program, as other programs meet it.
constexpr UINT kHangMessage = WM_APP + 2;
constexpr int kStatusId = 100, kPressId = 101, kAskId = 102, kFetchId = 103;
// Any host will do: the test's HTTP server answers as the proxy.
constexpr wchar_t kFetchUrl[] = L"http://satellite.invalid/meteo/satellite/image/sat11.jpg";

HWND g_status = nullptr;
int g_presses = 0;

void SetStatus(const std::wstring& text) { ::SetWindowTextW(g_status, text.c_str()); }

// Downloads kFetchUrl into fetched.bin beside the program; WinINet is loaded from system32.
std::wstring Fetch() {
    const win32::UniqueModule wininet = win32::LoadSystemLibrary(L"wininet.dll");
    if (!wininet) return L"Fetch failed: no wininet";
    auto proc = [&](const char* name) { return reinterpret_cast<void*>(::GetProcAddress(wininet.get(), name)); };
    const auto open = reinterpret_cast<decltype(&InternetOpenW)>(proc("InternetOpenW"));
    const auto openUrl = reinterpret_cast<decltype(&InternetOpenUrlW)>(proc("InternetOpenUrlW"));
    const auto read = reinterpret_cast<decltype(&InternetReadFile)>(proc("InternetReadFile"));
    const auto query = reinterpret_cast<decltype(&HttpQueryInfoW)>(proc("HttpQueryInfoW"));
    const auto close = reinterpret_cast<decltype(&InternetCloseHandle)>(proc("InternetCloseHandle"));
    if (!open || !openUrl || !read || !query || !close) return L"Fetch failed: no entry";

    const HINTERNET session = open(L"ProbeTest", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
    if (!session) return L"Fetch failed: " + std::to_wstring(::GetLastError());
    const HINTERNET request = openUrl(session, kFetchUrl, nullptr, 0,
                                      INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE, 0);
    if (!request) {
        const DWORD error = ::GetLastError();
        close(session);
        return L"Fetch failed: " + std::to_wstring(error);
    }
    DWORD status = 0, size = sizeof status;
    query(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr);
    std::string body;
    char chunk[4096];
    DWORD got = 0;
    while (read(request, chunk, sizeof chunk, &got) && got > 0) body.append(chunk, got);
    close(request);
    close(session);

    const std::wstring path = win32::ProgramFolder() + L"\\fetched.bin";
    win32::UniqueFile file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    if (!file || !::WriteFile(file.get(), body.data(), static_cast<DWORD>(body.size()), &written, nullptr))
        return L"Fetch failed: cannot write";
    return L"Fetched " + std::to_wstring(body.size()) + L" bytes, status " + std::to_wstring(status);
}

HWND AddControl(HWND parent, const wchar_t* cls, const wchar_t* text, DWORD style, int x, int y,
                int w, int h, int id) {
    HWND control = ::CreateWindowExW(0, cls, text, WS_CHILD | style, x, y, w, h, parent,
                                     reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
    ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(::GetStockObject(DEFAULT_GUI_FONT)), TRUE);
    return control;
}

LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) noexcept {
    switch (msg) {
    case WM_CREATE: {
        // A program slow to make its controls: the probe waits for them, not only for the window.
        wchar_t slow[16] = L"";
        if (::GetEnvironmentVariableW(L"TESTWIN_SLOW_CREATE_MS", slow, 16)) ::Sleep(std::wcstoul(slow, nullptr, 10));
        g_status = AddControl(hwnd, L"STATIC", L"Ready", WS_VISIBLE, 10, 10, 300, 20, kStatusId);
        AddControl(hwnd, L"BUTTON", L"&Press me", WS_VISIBLE | WS_TABSTOP, 10, 40, 100, 25, kPressId);
        AddControl(hwnd, L"BUTTON", L"&Ask", WS_VISIBLE | WS_TABSTOP, 120, 40, 80, 25, kAskId);
        AddControl(hwnd, L"BUTTON", L"&Fetch", WS_VISIBLE | WS_TABSTOP, 210, 40, 80, 25, kFetchId);
        AddControl(hwnd, L"BUTTON", L"Disabled", WS_VISIBLE | WS_DISABLED, 10, 75, 100, 25, 104);
        AddControl(hwnd, L"BUTTON", L"Hidden", 0, 120, 75, 80, 25, 105);
        return 0;
    }
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case kPressId: SetStatus(L"Pressed " + std::to_wstring(++g_presses)); return 0;
        case kAskId: {
            const int answer = ::MessageBoxW(hwnd, L"Continue?", L"Probe Question", MB_YESNO | MB_ICONQUESTION);
            SetStatus(answer == IDYES ? L"Answer: Yes" : L"Answer: No");
            return 0;
        }
        case kFetchId: SetStatus(Fetch()); return 0;
        }
        break;
    case kTraceMessage:
        SetStatus(L"Message " + std::to_wstring(wParam) + L" " + std::to_wstring(lParam));
        return 0;
    case kHangMessage:
        ::Sleep(static_cast<DWORD>(wParam) * 1000);
        return 0;
    case WM_DESTROY:
        ::PostQuitMessage(0);
        return 0;
    }
    return ::DefWindowProcW(hwnd, msg, wParam, lParam);
}

}  // namespace

// The command line, when given, names the window's class: the tests stand it in for a
// program that ignores what it is asked (a Nubilux that does not end).
int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int show) {
    win32::RestrictDllSearch();
    // Loaded by name, the way the programs load theirs: a planted copy must never win.
    win32::LoadSystemLibrary(L"rasapi32.dll");
    win32::LoadSystemLibrary(L"windowscodecs.dll");

    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = commandLine && *commandLine ? commandLine : L"ProbeTestWindow";
    ::RegisterClassExW(&wc);

    RECT rect{0, 0, 320, 110};
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
    ::AdjustWindowRect(&rect, style, FALSE);
    HWND hwnd = ::CreateWindowExW(0, wc.lpszClassName, kCaption, style, CW_USEDEFAULT, CW_USEDEFAULT,
                                  rect.right - rect.left, rect.bottom - rect.top, nullptr, nullptr,
                                  instance, nullptr);
    if (!hwnd) return 1;
    ::ShowWindow(hwnd, show);

    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (!::IsDialogMessageW(hwnd, &msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
    return static_cast<int>(msg.wParam);
}
