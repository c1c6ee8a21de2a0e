#include "app/win32/worker.h"

#include <windows.h>

#include <objbase.h>

#include <string>

#include "app/worker_protocol.h"
#include "app/win32/desktop.h"
#include "app/win32/system_attempt.h"
#include "common/text.h"
#include "common/win32/files.h"
#include "common/win32/unique.h"
#include "common/win32/utf8.h"

namespace nubilux::win32 {

namespace {

constexpr unsigned long kMaxOrderBytes = 64 * 1024;  // an order is a few hundred bytes

// The order file's text; empty when it cannot be read whole as UTF-8.
std::wstring ReadOrderFile(const std::wstring& path) {
    const auto bytes = ::win32::ReadWholeFile(path, kMaxOrderBytes);
    return bytes ? ::win32::FromUtf8(*bytes).value_or(L"") : L"";
}

// News lines to the standard output, whole, from whichever thread has news.
class NewsOut {
public:
    void Send(const WorkerNews& news) {
        const std::string text = ::win32::ToUtf8(NewsLine(news) + L"\n");
        const ::win32::Locked one(lock_);
        DWORD written = 0;
        ::WriteFile(::GetStdHandle(STD_OUTPUT_HANDLE), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    }

private:
    SRWLOCK lock_ = SRWLOCK_INIT;
};

// Telling the other windows of a new wallpaper needs the desktop, and a process's first
// call into it may be slow (under Wine it brings up the display driver, a tenth of a
// second): it is made aside while the picture downloads and decodes.
DWORD WINAPI ConnectDesktop(void*) {
    ::GetDesktopWindow();
    return 0;
}

int RunWorker(const std::vector<std::wstring>& arguments) {
    const auto order = arguments.size() == 2 ? ReadOrder(ReadOrderFile(arguments[1])) : std::nullopt;
    if (!order) return kWorkerBadOrder;
    // A crash ends the worker without asking the user: Nubilux counts it as its source's failure.
    ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    NewsOut out;
    const ::win32::UniqueHandle desktop(
        ::CreateThread(nullptr, 64 * 1024, ConnectDesktop, nullptr, STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr));
    // Nubilux alone gives up, by ending this process; from "installing" on it has its
    // own time to finish.
    SystemAttempt attempt(
        *order, [&out](int state) { out.Send({WorkerNews::Kind::State, state}); },
        [&out] { out.Send({WorkerNews::Kind::Installing}); });
    const AttemptEnd end = attempt.Run();
    out.Send({WorkerNews::Kind::Ended, 0, end});
    if (desktop) ::WaitForSingleObject(desktop.get(), INFINITE);
    return 0;
}

int ListMonitors() {
    ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    const HRESULT com = ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    const std::string text = ::win32::ToUtf8(MonitorsText(WallpaperMonitors()));
    if (SUCCEEDED(com)) ::CoUninitialize();
    DWORD written = 0;
    ::WriteFile(::GetStdHandle(STD_OUTPUT_HANDLE), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    return 0;
}

}  // namespace

std::optional<int> RunAsHelper(const std::vector<std::wstring>& arguments) {
    if (arguments.empty()) return std::nullopt;
    if (suite::SameNoCase(arguments[0], L"/ATTEMPT")) return RunWorker(arguments);
    if (suite::SameNoCase(arguments[0], L"/MONITORS")) return ListMonitors();
    return std::nullopt;
}

}  // namespace nubilux::win32
