#include "app/win32/worker.h"

#include <windows.h>

#include <objbase.h>
#include <ras.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "app/worker_protocol.h"
#include "app/win32/desktop.h"
#include "app/win32/system_attempt.h"
#include "common/text.h"
#include "common/win32/files.h"
#include "common/win32/startup.h"
#include "common/win32/unique.h"
#include "common/win32/utf8.h"

namespace nubilux::win32 {

namespace {

using ::win32::ProcAddress;

constexpr unsigned long kMaxOrderBytes = 64 * 1024;  // an order is a few hundred bytes

// The order file's text; empty when it cannot be read whole as UTF-8.
std::wstring ReadOrderFile(const std::wstring& path) {
    const auto bytes = ::win32::ReadWholeFile(path, kMaxOrderBytes);
    return bytes ? ::win32::FromUtf8(*bytes).value_or(L"") : L"";
}

// The text to the standard output, Nubilux's pipe, as UTF-8.
void WriteOut(const std::wstring& text) {
    const std::string bytes = ::win32::ToUtf8(text);
    DWORD written = 0;
    ::WriteFile(::GetStdHandle(STD_OUTPUT_HANDLE), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

// News lines to the standard output, whole, from whichever thread has news.
class NewsOut {
public:
    void Send(const WorkerNews& news) {
        const std::wstring line = NewsLine(news) + L"\n";
        const ::win32::Locked one(lock_);
        WriteOut(line);
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

// The open remote-access connections as RasMan, a Windows service, lists them; nothing
// when they cannot be listed. Without the remote-access library there is no dial-up.
std::optional<std::vector<RASCONNW>> OpenConnections(HMODULE rasapi) {
    const auto enumerate = ProcAddress<decltype(&::RasEnumConnectionsW)>(rasapi, "RasEnumConnectionsW");
    if (!enumerate) return std::vector<RASCONNW>{};
    std::vector<RASCONNW> records(64);
    records[0].dwSize = sizeof(RASCONNW);
    DWORD bytes = static_cast<DWORD>(records.size() * sizeof(RASCONNW)), count = 0;
    if (enumerate(records.data(), &bytes, &count) != ERROR_SUCCESS) return std::nullopt;
    records.resize(std::min<std::size_t>(count, records.size()));
    return records;
}

// What a helper answers, on its standard output, in the multithreaded apartment.
int Answer(const std::function<std::wstring()>& ask) {
    ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    const HRESULT com = ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    const std::wstring text = ask();
    if (SUCCEEDED(com)) ::CoUninitialize();
    WriteOut(text);
    return 0;
}

std::wstring ListConnections() {
    const ::win32::UniqueModule rasapi = ::win32::LoadSystemLibrary(L"rasapi32.dll");
    const auto records = OpenConnections(rasapi.get());
    if (!records) return L"";  // not a list: unknown
    std::vector<Connection> open;
    for (const RASCONNW& record : *records)
        open.push_back({record.szEntryName, ::CompareStringOrdinal(record.szDeviceType, -1, RASDT_Vpn, -1, TRUE) == CSTR_EQUAL});
    return ConnectionsText(open);
}

// Hangs up the entry's connection, and waits, as the remote-access documentation asks,
// until RasMan has let it go (within a bound): one hung up and left at once may stay half open.
int HangUp(const std::vector<std::wstring>& arguments) {
    const auto entry = arguments.size() == 2 ? EntryOfArgument(arguments[1]) : std::nullopt;
    if (!entry) return kWorkerBadOrder;
    ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    const ::win32::UniqueModule rasapi = ::win32::LoadSystemLibrary(L"rasapi32.dll");
    const auto hangUp = ProcAddress<decltype(&::RasHangUpW)>(rasapi.get(), "RasHangUpW");
    const auto status = ProcAddress<decltype(&::RasGetConnectStatusW)>(rasapi.get(), "RasGetConnectStatusW");
    const auto records = OpenConnections(rasapi.get());
    if (!hangUp || !status || !records) return 0;
    for (const RASCONNW& record : *records) {
        if (::CompareStringOrdinal(record.szEntryName, -1, entry->c_str(), -1, FALSE) != CSTR_EQUAL) continue;
        hangUp(record.hrasconn);
        RASCONNSTATUSW state{};
        state.dwSize = sizeof state;
        for (int i = 0; i < 100 && status(record.hrasconn, &state) != ERROR_INVALID_HANDLE; ++i) ::Sleep(50);
    }
    return 0;
}

}  // namespace

std::optional<int> RunAsHelper(const std::vector<std::wstring>& arguments) {
    if (arguments.empty()) return std::nullopt;
    if (suite::SameNoCase(arguments[0], L"/ATTEMPT")) return RunWorker(arguments);
    if (suite::SameNoCase(arguments[0], L"/MONITORS")) return Answer([] { return MonitorsText(WallpaperMonitors()); });
    if (suite::SameNoCase(arguments[0], L"/METERED")) return Answer([] { return MeteredText(MeteredConnection()); });
    if (suite::SameNoCase(arguments[0], L"/CONNECTIONS")) return Answer(ListConnections);
    if (suite::SameNoCase(arguments[0], L"/HANGUP")) return HangUp(arguments);
    return std::nullopt;
}

}  // namespace nubilux::win32
