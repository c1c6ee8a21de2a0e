#include "install/win32/first_run.h"

#include <windows.h>

#include <exdisp.h>
#include <shldisp.h>
#include <shlguid.h>
#include <shobjidl.h>

#include "common/text.h"
#include "common/win32/elevation.h"
#include "common/win32/error.h"
#include "common/win32/unique.h"
#include "install/texts.h"

namespace install::win32 {

namespace {

using ::win32::ComPtr;

// The program and its arguments; a program without a folder is the one in `folder`.
void Split(const std::wstring& commandLine, const std::wstring& folder, std::wstring& program,
           std::wstring& arguments) {
    std::size_t end;
    if (!commandLine.empty() && commandLine.front() == L'"') {
        end = commandLine.find(L'"', 1);
        program = commandLine.substr(1, end == std::wstring::npos ? std::wstring::npos : end - 1);
        end = end == std::wstring::npos ? commandLine.size() : end + 1;
    } else {
        end = commandLine.find(L' ');
        program = commandLine.substr(0, end);
        end = end == std::wstring::npos ? commandLine.size() : end;
    }
    const auto first = commandLine.find_first_not_of(L' ', end);
    arguments = first == std::wstring::npos ? L"" : commandLine.substr(first);
    if (program.find(L'\\') == std::wstring::npos) program = suite::JoinPath(folder, program);
}

suite::Outcome Started(HRESULT hr) {
    return SUCCEEDED(hr) ? suite::Outcome::Success() : ::win32::Failure(static_cast<DWORD>(hr));
}

// A BSTR that frees itself.
class Text {
public:
    explicit Text(const std::wstring& text) : value_(::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}
    ~Text() { ::SysFreeString(value_); }
    Text(const Text&) = delete;
    Text& operator=(const Text&) = delete;
    VARIANT Variant() const {
        VARIANT v;
        ::VariantInit(&v);
        v.vt = VT_BSTR;
        v.bstrVal = value_;
        return v;
    }
    BSTR get() const { return value_; }

private:
    BSTR value_;
};

// Through the desktop's own shell (Explorer, running with the user's normal rights):
// IShellWindows -> the desktop's view -> its Application -> ShellExecute.
suite::Outcome ShellExecuteAsUser(const std::wstring& program, const std::wstring& arguments,
                                  const std::wstring& folder, int showState) {
    ComPtr<IShellWindows> windows;
    HRESULT hr = ::CoCreateInstance(CLSID_ShellWindows, nullptr, CLSCTX_LOCAL_SERVER, IID_IShellWindows,
                                    windows.put_void());
    if (FAILED(hr)) return Started(hr);
    VARIANT desktop, empty;
    ::VariantInit(&desktop);
    ::VariantInit(&empty);
    desktop.vt = VT_I4;
    desktop.lVal = 0;  // CSIDL_DESKTOP
    long window = 0;
    ComPtr<IDispatch> found;
    hr = windows->FindWindowSW(&desktop, &empty, SWC_DESKTOP, &window, SWFO_NEEDDISPATCH, found.put());
    if (hr != S_OK || !found.get()) return Started(FAILED(hr) ? hr : E_NOINTERFACE);
    ComPtr<IServiceProvider> services;
    if (FAILED(hr = found->QueryInterface(IID_IServiceProvider, services.put_void()))) return Started(hr);
    ComPtr<IShellBrowser> browser;
    if (FAILED(hr = services->QueryService(SID_STopLevelBrowser, IID_IShellBrowser, browser.put_void())))
        return Started(hr);
    ComPtr<IShellView> view;
    if (FAILED(hr = browser->QueryActiveShellView(view.put()))) return Started(hr);
    ComPtr<IDispatch> background;
    if (FAILED(hr = view->GetItemObject(SVGIO_BACKGROUND, IID_IDispatch, background.put_void()))) return Started(hr);
    ComPtr<IShellFolderViewDual> dual;
    if (FAILED(hr = background->QueryInterface(IID_IShellFolderViewDual, dual.put_void()))) return Started(hr);
    ComPtr<IDispatch> application;
    if (FAILED(hr = dual->get_Application(application.put()))) return Started(hr);
    ComPtr<IShellDispatch2> shell;
    if (FAILED(hr = application->QueryInterface(IID_IShellDispatch2, shell.put_void()))) return Started(hr);
    const Text file(program), args(arguments), directory(folder), verb(L"open");
    VARIANT show;
    ::VariantInit(&show);
    show.vt = VT_I4;
    show.lVal = showState;
    return Started(shell->ShellExecute(file.get(), args.Variant(), directory.Variant(), verb.Variant(), show));
}

}  // namespace

suite::Outcome StartFirstRun(const std::wstring& commandLine, const std::wstring& folder, bool quietly) {
    const int showState = quietly ? SW_HIDE : SW_SHOWNORMAL;
    if (::win32::IsElevated()) {
        std::wstring program, arguments;
        Split(commandLine, folder, program, arguments);
        // The shell would start it later, and tell of a missing program in a box of its own.
        if (::GetFileAttributesW(program.c_str()) == INVALID_FILE_ATTRIBUTES) return ::win32::LastError();
        const HRESULT com = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        suite::Outcome started = ShellExecuteAsUser(program, arguments, folder, showState);
        if (SUCCEEDED(com)) ::CoUninitialize();
        if (!started) started.description = std::wstring(texts::kNotElevated) + L"\n" + started.description;
        return started;
    }
    // Not elevated: the installer's own rights are the user's.
    std::wstring line = commandLine;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(showState);
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return ::win32::LastError();
    ::AllowSetForegroundWindow(process.dwProcessId);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return suite::Outcome::Success();
}

}  // namespace install::win32
