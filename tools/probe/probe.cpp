// The window probe: drives a program's windows the way a user would, for the
// end-to-end tests. Prints UTF-8; exit code 0 on success, 1 when the window or
// control is not found, 2 on bad usage.
//
//   probe wait   <caption> [seconds]     wait until a top-level window shows up and answers
//   probe gone   <caption> [seconds]     wait until it is gone
//   probe count  <caption>               how many top-level windows have this caption
//   probe list   <caption>               the window and its controls, as JSON (in tab order)
//   probe click  <caption> <button>      press a button by its caption
//   probe post   <caption> <msg> <wparam> <lparam>   post a message (a number, or a registered one's name)
//   probe send   <caption> <msg> <wparam> <lparam>   send it and print the result
//   probe answer <title> <button> [seconds]          press a message box's button
//   probe run    <program> [arguments...]             run it, wait, print its whole exit code
//                (Wine hands a Linux parent only the low eight bits: 1603 would read 67)
//   probe close  <caption>               ask the window to close (WM_CLOSE)
//   probe enter  <caption>               press Enter where the window's keyboard focus is
//   probe escape <caption>               press Escape there
//   probe down   <caption>               press the down arrow there
//   probe key    <caption> <letter>      press a letter's key there (a menu's mnemonic)
//   probe menu   <caption> [seconds]     the screen rectangle of the pop-up menu open now, as JSON
//   probe elevated <caption>             1 when the window's process runs with an elevated token, else 0
//   probe ping   <caption> [ms]          whether the window answers a message within ms (1000); prints the time
//   probe link   <file.lnk>              a shortcut's target, arguments and folder, as JSON
//   probe hold   <file> <seconds>        keep a file in use: a DLL loaded, any other file open unshared
//   probe trust  <file.cer>              put a certificate (DER) into the current user's Root store
//   probe pointer <x> <y>               move the mouse pointer there (off the windows, for a quiet measure)
//   probe type   <caption> down|enter|escape|<letter>  a key pressed as the keyboard does (SendInput):
//                                        it goes to whichever window has the foreground
//   probe menus  <caption>               how many pop-up menus are open now
//   probe tray   <caption> <seconds> [refuse=<s>]  stand in for the notification area: asks the window to
//                                        add its icon again, then prints each call it is given, one a
//                                        line (an icon added twice is refused, as the shell does); with
//                                        refuse=, one not ready yet, as at logon: it may come
//                                        before the program, refuses every call for s seconds ("refused"
//                                        lines), then takes them without a word to anyone
// Windows 10's scaling entries, declared so that each is called through its own type.
#undef WINVER
#define WINVER 0x0605

#include <windows.h>

#include <objidl.h>
#include <shellapi.h>
#include <wincrypt.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <cstring>
#include <cwchar>
#include <cwctype>
#include <set>
#include <string>
#include <vector>

#include "common/win32/startup.h"

namespace {

void Write(const std::wstring& text) {
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                        nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(n), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), utf8.data(), n, nullptr,
                          nullptr);
    DWORD written = 0;
    ::WriteFile(::GetStdHandle(STD_OUTPUT_HANDLE), utf8.data(), static_cast<DWORD>(utf8.size()), &written,
                nullptr);
}

// The text a window holds, read without a message: a program busy in a long call must
// not hold the probe too.
std::wstring Text(HWND hwnd) {
    wchar_t text[4096] = {};
    const int n = ::InternalGetWindowText(hwnd, text, 4096);
    return std::wstring(text, static_cast<std::size_t>(n > 0 ? n : 0));
}

std::wstring ClassOf(HWND hwnd) {
    wchar_t name[256] = {};
    ::GetClassNameW(hwnd, name, 256);
    return name;
}

std::wstring WithoutAccelerators(const std::wstring& text) {
    std::wstring out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'&' && i + 1 < text.size()) ++i;
        out += text[i];
    }
    return out;
}

std::wstring Json(const std::wstring& s) {
    std::wstring out = L"\"";
    for (const wchar_t c : s) {
        if (c == L'"' || c == L'\\') {
            out += L'\\';
            out += c;
        } else if (c < 0x20) {
            wchar_t esc[8];
            std::swprintf(esc, 8, L"\\u%04x", static_cast<unsigned>(c));
            out += esc;
        } else {
            out += c;
        }
    }
    return out + L"\"";
}

std::wstring Bool(bool b) { return b ? L"true" : L"false"; }

// Top-level windows with this caption; message boxes are matched by their class too.
HWND FindTopLevel(const std::wstring& caption, bool dialogOnly) {
    return ::FindWindowW(dialogOnly ? L"#32770" : nullptr, caption.c_str());
}

HWND WaitFor(const std::wstring& caption, double seconds, bool dialogOnly = false) {
    const ULONGLONG end = ::GetTickCount64() + static_cast<ULONGLONG>(seconds * 1000);
    for (;;) {
        if (HWND hwnd = FindTopLevel(caption, dialogOnly)) return hwnd;
        if (::GetTickCount64() >= end) return nullptr;
        ::Sleep(100);
    }
}

BOOL CALLBACK CollectChild(HWND child, LPARAM param) {
    reinterpret_cast<std::vector<HWND>*>(param)->push_back(child);
    return TRUE;
}

std::vector<HWND> Children(HWND parent) {
    std::vector<HWND> out;
    ::EnumChildWindows(parent, CollectChild, reinterpret_cast<LPARAM>(&out));
    return out;
}

HWND FindButton(HWND parent, const std::wstring& caption) {
    for (HWND child : Children(parent)) {
        const std::wstring text = Text(child);
        if (text == caption || WithoutAccelerators(text) == caption) return child;
    }
    return nullptr;
}

bool Checked(HWND button) {
    DWORD_PTR state = 0;
    return ::SendMessageTimeoutW(button, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, 1000, &state) && state == BST_CHECKED;
}

std::wstring RectJson(HWND top, HWND hwnd) {
    RECT r;
    ::GetWindowRect(hwnd, &r);
    ::MapWindowPoints(HWND_DESKTOP, top, reinterpret_cast<POINT*>(&r), 2);
    return L"[" + std::to_wstring(r.left) + L"," + std::to_wstring(r.top) + L"," + std::to_wstring(r.right) +
           L"," + std::to_wstring(r.bottom) + L"]";
}

// user32's entries of Windows 10, looked up so that the probe starts on any Wine.
template <typename F>
F User32(const char* name) {
    return win32::ProcAddress<F>(::GetModuleHandleW(L"user32.dll"), name);
}

// A window's DPI and its process's awareness (0 unaware, 1 system, 2 per monitor), as
// Windows keeps them for each window; -1 where the calls are missing.
std::wstring DpiJson(HWND top) {
    const auto dpi = User32<decltype(&::GetDpiForWindow)>("GetDpiForWindow");
    const auto context = User32<decltype(&::GetWindowDpiAwarenessContext)>("GetWindowDpiAwarenessContext");
    const auto awareness = User32<decltype(&::GetAwarenessFromDpiAwarenessContext)>("GetAwarenessFromDpiAwarenessContext");
    return L",\"dpi\":" + std::to_wstring(dpi ? static_cast<int>(dpi(top)) : -1) + L",\"awareness\":" +
           std::to_wstring(context && awareness ? awareness(context(top)) : -1);
}

int List(HWND top) {
    RECT client, window;
    ::GetClientRect(top, &client);
    ::GetWindowRect(top, &window);
    POINT origin{0, 0};
    ::ClientToScreen(top, &origin);
    std::wstring out = L"{\"caption\":" + Json(Text(top)) + L",\"class\":" + Json(ClassOf(top)) +
                       L",\"visible\":" + Bool(::IsWindowVisible(top)) + L",\"enabled\":" +
                       Bool(::IsWindowEnabled(top)) + L",\"client\":[" + std::to_wstring(client.right) + L"," +
                       std::to_wstring(client.bottom) + L"],\"screen\":[" + std::to_wstring(window.left) + L"," +
                       std::to_wstring(window.top) + L"," + std::to_wstring(window.right) + L"," +
                       std::to_wstring(window.bottom) + L"],\"origin\":[" + std::to_wstring(origin.x) + L"," +
                       std::to_wstring(origin.y) + L"],\"foreground\":" + Bool(::GetForegroundWindow() == top) +
                       L",\"topmost\":" +
                       Bool(::GetWindowLongW(top, GWL_EXSTYLE) & WS_EX_TOPMOST) + DpiJson(top) + L",\"controls\":[";
    GUITHREADINFO thread{};
    thread.cbSize = sizeof thread;
    ::GetGUIThreadInfo(::GetWindowThreadProcessId(top, nullptr), &thread);
    bool first = true;
    for (HWND child : Children(top)) {
        if (!first) out += L",";
        first = false;
        out += L"{\"id\":" + std::to_wstring(::GetDlgCtrlID(child)) + L",\"class\":" + Json(ClassOf(child)) +
               L",\"text\":" + Json(Text(child)) + L",\"visible\":" + Bool(::IsWindowVisible(child)) +
               L",\"enabled\":" + Bool(::IsWindowEnabled(child)) + L",\"checked\":" +
               Bool(ClassOf(child) == L"Button" && Checked(child)) +
               L",\"focused\":" +
               Bool(thread.hwndFocus == child) + L",\"rect\":" + RectJson(top, child) + L"}";
    }
    Write(out + L"]}\n");
    return 0;
}

int Link(const std::wstring& file) {
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    IShellLinkW* link = nullptr;
    IPersistFile* persist = nullptr;
    int result = 1;
    if (SUCCEEDED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                     reinterpret_cast<void**>(&link))) &&
        SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&persist))) &&
        SUCCEEDED(persist->Load(file.c_str(), STGM_READ))) {
        wchar_t target[MAX_PATH] = {}, arguments[MAX_PATH] = {}, folder[MAX_PATH] = {};
        link->GetPath(target, MAX_PATH, nullptr, SLGP_RAWPATH);
        link->GetArguments(arguments, MAX_PATH);
        link->GetWorkingDirectory(folder, MAX_PATH);
        Write(L"{\"target\":" + Json(target) + L",\"arguments\":" + Json(arguments) + L",\"folder\":" +
              Json(folder) + L"}\n");
        result = 0;
    }
    if (persist) persist->Release();
    if (link) link->Release();
    return result;
}

UINT Number(const wchar_t* text) { return static_cast<UINT>(std::wcstoul(text, nullptr, 0)); }

int Usage() {
    Write(L"usage: probe wait|gone|list|click|post|send|answer|close <caption> ...\n");
    return 2;
}

// Wine's shell hands each notification-icon call to the topmost "Shell_TrayWnd" window as
// WM_COPYDATA, dwData the call: the window, id, flags and callback message, the tip (128
// letters), state, balloon text (256), the timeout or version, balloon title (64), balloon
// flags, GUID, then the icon's width, height, planes and depth. Printed as one line:
// call, flags, version, width, height, depth, tip.
ULONGLONG g_trayRefusesUntil = 0;
std::set<std::pair<UINT, UINT>> g_trayIcons;  // window and id of the icons added, as the shell keeps them

LRESULT CALLBACK TrayProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg != WM_COPYDATA) return ::DefWindowProcW(hwnd, msg, wParam, lParam);
    if (::GetTickCount64() < g_trayRefusesUntil) {
        Write(L"refused\n");
        return FALSE;
    }
    constexpr std::size_t kTip = 16, kVersion = kTip + 256 + 8 + 512, kIcon = kVersion + 4 + 128 + 4 + 16;
    const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
    const auto* bytes = static_cast<const BYTE*>(data->lpData);
    if (data->cbData < kIcon + 16) return TRUE;
    const auto value = [&](std::size_t at) {
        UINT read = 0;
        std::memcpy(&read, bytes + at, sizeof read);
        return read;
    };
    const auto number = [&](std::size_t at) { return std::to_wstring(value(at)); };
    // As the shell does: an icon already there is not added again; deleted, it may be.
    const std::pair<UINT, UINT> icon{value(0), value(4)};
    if (data->dwData == NIM_ADD && !g_trayIcons.insert(icon).second) {
        Write(L"refused\n");
        return FALSE;
    }
    if (data->dwData == NIM_DELETE) g_trayIcons.erase(icon);
    wchar_t tip[129] = {};
    std::memcpy(tip, bytes + kTip, 128 * sizeof(wchar_t));
    std::wstring line = std::to_wstring(data->dwData) + L"\t" + number(8) + L"\t" + number(kVersion) + L"\t" +
                        number(kIcon) + L"\t" + number(kIcon + 4) + L"\t" + number(kIcon + 12) + L"\t";
    for (const wchar_t* c = tip; *c; ++c) line += *c == L'\n' ? std::wstring(L"\\n") : std::wstring(1, *c);
    Write(line + L"\n");
    return TRUE;
}

int Tray(const std::wstring& caption, double seconds, double refuseSeconds) {
    WNDCLASSW tray{};
    tray.lpfnWndProc = TrayProc;
    tray.hInstance = ::GetModuleHandleW(nullptr);
    tray.lpszClassName = L"Shell_TrayWnd";
    ::RegisterClassW(&tray);
    HWND window = ::CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, L"Shell_TrayWnd", L"", WS_POPUP, 0, 0, 1, 1,
                                    nullptr, nullptr, tray.hInstance, nullptr);
    if (!window) return 1;
    ::SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    if (refuseSeconds > 0) {
        g_trayRefusesUntil = ::GetTickCount64() + static_cast<ULONGLONG>(refuseSeconds * 1000);
        Write(L"ready\n");
    } else {
        HWND program = FindTopLevel(caption, false);
        if (!program) return 1;
        Write(L"ready\n");
        ::PostMessageW(program, ::RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    }
    const ULONGLONG end = ::GetTickCount64() + static_cast<ULONGLONG>(seconds * 1000);
    for (ULONGLONG now = ::GetTickCount64(); now < end; now = ::GetTickCount64()) {
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(end - now), QS_ALLINPUT);
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
    }
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    // Sizes as they are on the screen, whatever scale the window under test is drawn at.
    if (const auto aware = User32<decltype(&::SetProcessDpiAwarenessContext)>("SetProcessDpiAwarenessContext"))
        aware(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
    if (argc < 3) return Usage();
    const std::wstring command = argv[1], caption = argv[2];
    // The optional time-out, in seconds, at argument position `index`.
    auto seconds = [&](int index) { return argc > index ? std::wcstod(argv[index], nullptr) : 10.0; };

    if (command == L"wait") {
        HWND found = WaitFor(caption, seconds(3));
        if (!found) return 1;
        // A window is listed from the start of its creation, before its controls are made:
        // it is ready once its thread has gone back to its messages and answers one.
        DWORD_PTR result = 0;
        ::SendMessageTimeoutW(found, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &result);
        return 0;
    }
    if (command == L"gone") {
        const ULONGLONG end = ::GetTickCount64() + static_cast<ULONGLONG>(seconds(3) * 1000);
        while (FindTopLevel(caption, false)) {
            if (::GetTickCount64() >= end) return 1;
            ::Sleep(100);
        }
        return 0;
    }
    if (command == L"link") return Link(caption);
    if (command == L"tray")
        return Tray(caption, seconds(3), argc > 4 && std::wcsncmp(argv[4], L"refuse=", 7) == 0 ? std::wcstod(argv[4] + 7, nullptr) : 0);
    if (command == L"run") {
        std::wstring line;
        for (int i = 2; i < argc; ++i) line += (i > 2 ? L" " : L"") + std::wstring(L"\"") + argv[i] + L"\"";
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process{};
        if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
            Write(L"cannot start: " + std::to_wstring(::GetLastError()) + L"\n");
            return 1;
        }
        ::WaitForSingleObject(process.hProcess, INFINITE);
        DWORD code = 0;
        ::GetExitCodeProcess(process.hProcess, &code);
        ::CloseHandle(process.hThread);
        ::CloseHandle(process.hProcess);
        Write(std::to_wstring(code) + L"\n");
        return 0;
    }
    if (command == L"pointer") return argc > 3 && ::SetCursorPos(_wtoi(argv[2]), _wtoi(argv[3])) ? 0 : 1;
    if (command == L"hold") {
        HMODULE image = ::LoadLibraryExW(caption.c_str(), nullptr, DONT_RESOLVE_DLL_REFERENCES);
        HANDLE file = image ? INVALID_HANDLE_VALUE
                            : ::CreateFileW(caption.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                            FILE_ATTRIBUTE_NORMAL, nullptr);
        if (!image && file == INVALID_HANDLE_VALUE) return 1;
        Write(L"holding\n");
        ::Sleep(static_cast<DWORD>(seconds(3) * 1000));
        if (image) ::FreeLibrary(image);
        if (file != INVALID_HANDLE_VALUE) ::CloseHandle(file);
        return 0;
    }
    if (command == L"trust") {
        // As a user trusts a company's own authority; Wine keeps no unknown machine-wide roots.
        HANDLE file = ::CreateFileW(caption.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE) return 1;
        std::vector<BYTE> der(64 * 1024);
        DWORD size = 0;
        const BOOL read = ::ReadFile(file, der.data(), static_cast<DWORD>(der.size()), &size, nullptr);
        ::CloseHandle(file);
        HCERTSTORE root = read ? ::CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0, CERT_SYSTEM_STORE_CURRENT_USER, L"Root")
                               : nullptr;
        if (!root) return 1;
        const BOOL added = ::CertAddEncodedCertificateToStore(root, X509_ASN_ENCODING, der.data(), size,
                                                              CERT_STORE_ADD_REPLACE_EXISTING, nullptr);
        ::CertCloseStore(root, 0);
        return added ? 0 : 1;
    }
    if (command == L"count") {
        int count = 0;
        for (HWND hwnd = nullptr; (hwnd = ::FindWindowExW(nullptr, hwnd, nullptr, caption.c_str())) != nullptr;) ++count;
        Write(std::to_wstring(count) + L"\n");
        return 0;
    }
    if (command == L"answer") {
        if (argc < 4) return Usage();
        HWND box = WaitFor(caption, seconds(4), true);
        HWND button = box ? FindButton(box, argv[3]) : nullptr;
        if (!button) return 1;
        ::PostMessageW(button, BM_CLICK, 0, 0);
        return 0;
    }

    HWND top = FindTopLevel(caption, false);
    if (!top) {
        Write(L"no window " + Json(caption) + L"\n");
        return 1;
    }
    if (command == L"list") return List(top);
    if (command == L"elevated") {
        DWORD id = 0;
        ::GetWindowThreadProcessId(top, &id);
        HANDLE process = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id);
        HANDLE token = nullptr;
        TOKEN_ELEVATION elevation{};
        DWORD size = 0;
        const bool read = process && ::OpenProcessToken(process, TOKEN_QUERY, &token) &&
                          ::GetTokenInformation(token, TokenElevation, &elevation, sizeof elevation, &size);
        if (token) ::CloseHandle(token);
        if (process) ::CloseHandle(process);
        if (!read) return 1;
        Write(elevation.TokenIsElevated ? L"1\n" : L"0\n");
        return 0;
    }
    if (command == L"menu") {
        const ULONGLONG end = ::GetTickCount64() + static_cast<ULONGLONG>(seconds(3) * 1000);
        for (;;) {
            HWND menu = ::FindWindowW(L"#32768", nullptr);
            RECT r{};
            if (menu && ::IsWindowVisible(menu) && ::GetWindowRect(menu, &r)) {
                Write(L"[" + std::to_wstring(r.left) + L"," + std::to_wstring(r.top) + L"," + std::to_wstring(r.right) +
                      L"," + std::to_wstring(r.bottom) + L"]\n");
                return 0;
            }
            if (::GetTickCount64() >= end) return 1;
            ::Sleep(50);
        }
    }
    if (command == L"menus") {
        int open = 0;
        for (HWND menu = ::FindWindowExW(nullptr, nullptr, L"#32768", nullptr); menu;
             menu = ::FindWindowExW(nullptr, menu, L"#32768", nullptr))
            open += ::IsWindowVisible(menu) ? 1 : 0;
        Write(std::to_wstring(open) + L"\n");
        return 0;
    }
    if (command == L"type") {
        if (argc < 4) return Usage();
        const std::wstring name = argv[3];
        const WORD key = name == L"down"     ? VK_DOWN
                         : name == L"enter"  ? VK_RETURN
                         : name == L"escape" ? VK_ESCAPE
                                             : static_cast<WORD>(std::towupper(name[0]));
        INPUT input[2]{};
        input[0].type = input[1].type = INPUT_KEYBOARD;
        input[0].ki.wVk = input[1].ki.wVk = key;
        input[1].ki.dwFlags = KEYEVENTF_KEYUP;
        return ::SendInput(2, input, sizeof(INPUT)) == 2 ? 0 : 1;
    }
    if (command == L"enter" || command == L"escape" || command == L"down" || command == L"key") {
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        const HWND target = ::GetGUIThreadInfo(::GetWindowThreadProcessId(top, nullptr), &info) && info.hwndFocus
                                ? info.hwndFocus
                                : top;
        WPARAM key = command == L"enter" ? VK_RETURN : command == L"down" ? VK_DOWN : VK_ESCAPE;
        LPARAM scan = command == L"enter" ? 0x001C0001 : command == L"down" ? 0x01500001 : 0x00010001;
        if (command == L"key") {
            if (argc < 4 || !std::iswalpha(argv[3][0])) return Usage();
            key = std::towupper(argv[3][0]);
            scan = static_cast<LPARAM>(::MapVirtualKeyW(static_cast<UINT>(key), MAPVK_VK_TO_VSC)) << 16 | 1;
        }
        return ::PostMessageW(target, WM_KEYDOWN, key, scan) && ::PostMessageW(target, WM_KEYUP, key, scan | 0xC0000000)
                   ? 0
                   : 1;
    }
    if (command == L"ping") {
        const UINT limit = argc > 3 ? static_cast<UINT>(std::wcstoul(argv[3], nullptr, 10)) : 1000;
        const ULONGLONG start = ::GetTickCount64();
        DWORD_PTR result = 0;
        const bool answered = ::SendMessageTimeoutW(top, WM_NULL, 0, 0, SMTO_BLOCK, limit, &result) != 0;
        Write(std::to_wstring(::GetTickCount64() - start) + L"\n");
        return answered ? 0 : 1;
    }
    if (command == L"close") return ::PostMessageW(top, WM_CLOSE, 0, 0) ? 0 : 1;
    if (command == L"click") {
        if (argc < 4) return Usage();
        HWND button = FindButton(top, argv[3]);
        if (!button) {
            Write(L"no button " + Json(argv[3]) + L"\n");
            return 1;
        }
        // Posted, so that a handler that opens a message box does not hold the probe.
        return ::PostMessageW(button, BM_CLICK, 0, 0) ? 0 : 1;
    }
    if (command == L"post" || command == L"send") {
        if (argc < 6) return Usage();
        // A number, or the name of a registered message ("TaskbarCreated").
        const UINT msg = std::iswdigit(argv[3][0]) ? Number(argv[3]) : ::RegisterWindowMessageW(argv[3]);
        const WPARAM wParam = Number(argv[4]);
        const LPARAM lParam = static_cast<LPARAM>(Number(argv[5]));
        if (command == L"post") return ::PostMessageW(top, msg, wParam, lParam) ? 0 : 1;
        DWORD_PTR result = 0;
        if (!::SendMessageTimeoutW(top, msg, wParam, lParam, SMTO_ABORTIFHUNG, 10000, &result)) return 1;
        Write(std::to_wstring(result) + L"\n");
        return 0;
    }
    return Usage();
}
