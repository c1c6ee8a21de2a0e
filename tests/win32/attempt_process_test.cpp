// An attempt's worker as Nubilux starts it: the real Nubilux.exe in its job, its news
// posted to a window, ended when given up, killed from outside, or when its starter dies;
// and the questions to other processes that the window asks aside.
#include <gtest/gtest.h>

#include <windows.h>

#include <tlhelp32.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "app/status.h"
#include "app/win32/asked_aside.h"
#include "app/win32/attempt_process.h"
#include "app/win32/messages.h"
#include "common/win32/unique.h"
#include "common/win32/utf8.h"
#include "fixtures.h"
#include "loopback_server.h"
#include "temp_folder.h"

namespace {

using namespace nubilux;
using namespace nubilux::win32;
using test::WaitFor;

// A window that collects an attempt's messages, as Nubilux's window receives them.
class Window {
public:
    Window() : window_(::CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr)) {}
    ~Window() {
        Pump();
        ::DestroyWindow(window_);
    }
    HWND Handle() const { return window_; }
    void Pump() {
        MSG msg;
        while (::PeekMessageW(&msg, window_, kAttemptState, kAttemptDone, PM_REMOVE)) {
            if (msg.message == kAttemptState) states.push_back({static_cast<unsigned>(msg.wParam), static_cast<int>(msg.lParam)});
            if (msg.message == kAttemptDone)
                if (const auto report = TakeReport(msg.lParam)) reports.push_back(*report);
        }
    }
    // Until the worker's request has gone out to its server.
    bool WaitForRequestSent() {
        return WaitFor([&] {
            Pump();
            return !states.empty() && states.back().second >= kStateRequestSent;
        });
    }
    bool WaitForReport() {
        return WaitFor([&] {
            Pump();
            return !reports.empty();
        }, 30'000);
    }

    std::vector<std::pair<unsigned, int>> states;  // number, state
    std::vector<AttemptReport> reports;

private:
    HWND window_;
};

WorkerOrder OrderFor(const std::wstring& url, const std::wstring& folder, unsigned number) {
    WorkerOrder order;
    order.number = number;
    order.source.url = url;
    order.plan = {{640, 480}, {640, 480}, {folder + L"\\NUBILUX.BMP"}};
    return order;
}

std::shared_ptr<AttemptProcess> Start(Window& window, const WorkerOrder& order, const std::wstring& folder) {
    return AttemptProcess::Start(window.Handle(), order, test::Product(L"Nubilux.exe"), folder);
}

// The files in a folder, by pattern.
std::vector<std::wstring> Files(const std::wstring& folder, const wchar_t* pattern = L"*.tmp") {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    ::win32::UniqueFind search(::FindFirstFileW((folder + L"\\" + pattern).c_str(), &found));
    if (search) do names.push_back(found.cFileName); while (::FindNextFileW(search.get(), &found));
    return names;
}

bool Gone(DWORD processId) {
    ::win32::UniqueHandle process(::OpenProcess(SYNCHRONIZE, FALSE, processId));
    return !process || ::WaitForSingleObject(process.get(), 0) == WAIT_OBJECT_0;
}

// How many processes this test program started still run.
int ChildrenRunning() {
    ::win32::UniqueHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    int children = 0;
    for (BOOL more = ::Process32FirstW(snapshot.get(), &entry); more; more = ::Process32NextW(snapshot.get(), &entry))
        children += entry.th32ParentProcessID == ::GetCurrentProcessId();
    return children;
}

// A server that sends its headers and a little of the body, then holds the rest.
test::Server Stalled() {
    const std::string body(100'000, 'x');
    return test::Server({test::Head(body.size()), body, 100, 600'000});
}

// An attempt whose worker sends its request to a server that holds the body.
struct Stalling {
    explicit Stalling(unsigned number) : attempt(Start(window, OrderFor(server.Url(), folder.Path(), number), folder.Path())) {}
    bool RequestSent() { return attempt && window.WaitForRequestSent(); }
    test::TempFolder folder;
    test::Server server = Stalled();
    Window window;
    std::shared_ptr<AttemptProcess> attempt;
};

TEST(AttemptProcess, ItsStatesAndItsOneEndingReachTheWindowAndItsOrderIsRemoved) {
    test::TempFolder folder;
    Window window;
    const auto attempt = Start(window, OrderFor(L"http://127.0.0.1:1/picture.jpg", folder.Path(), 5), folder.Path());
    ASSERT_TRUE(attempt);
    ASSERT_TRUE(window.WaitForReport());
    EXPECT_EQ(window.reports[0].number, 5u);
    EXPECT_EQ(window.reports[0].end.ending, Ending::SourceFailed);
    EXPECT_EQ(window.reports[0].end.reason, Reason::NoConnection);  // the worker's own word, not "could not be used"
    ASSERT_FALSE(window.states.empty());
    for (const auto& [number, state] : window.states) EXPECT_EQ(number, 5u);
    EXPECT_EQ(window.states.back().second, kStateError);
    EXPECT_TRUE(WaitFor([&] { return !attempt->Alive() && Files(folder.Path()).empty(); }));
    EXPECT_FALSE(attempt->Abandon());  // ended: nothing left to give up
    ::Sleep(200);
    window.Pump();
    EXPECT_EQ(window.reports.size(), 1u);  // one report, whatever follows
}

// A crash, the system's memory limit or Task Manager end a worker without its ending: the
// attempt is its source's failure, "the picture could not be used", and the worker's
// temporary bitmap goes with it.
TEST(AttemptProcess, AWorkerKilledFromOutsideIsItsSourcesFailureAndLeavesNothing) {
    Stalling stalling(9);
    ASSERT_TRUE(stalling.RequestSent());
    auto& [folder, server, window, attempt] = stalling;
    // What it would have written when killed half-way through its bitmap.
    const std::wstring leftover = folder.Path() + L"\\" + WorkerTemporaryName(attempt->ProcessId());
    ::win32::UniqueFile(::CreateFileW(leftover.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
    ::win32::UniqueHandle worker(::OpenProcess(PROCESS_TERMINATE, FALSE, attempt->ProcessId()));
    ASSERT_TRUE(worker);
    ASSERT_TRUE(::TerminateProcess(worker.get(), 0xC0000005));
    ASSERT_TRUE(window.WaitForReport());
    EXPECT_EQ(window.reports[0].number, 9u);
    EXPECT_EQ(window.reports[0].end.ending, Ending::SourceFailed);
    EXPECT_EQ(window.reports[0].end.reason, Reason::BadPicture);
    EXPECT_EQ(::GetFileAttributesW(leftover.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(Files(folder.Path(), L"nbo*.tmp").empty());
}

TEST(AttemptProcess, GivenUpItsWorkerIsEndedWhateverItsServerDoes) {
    Stalling stalling(3);
    ASSERT_TRUE(stalling.RequestSent());
    auto& [folder, server, window, attempt] = stalling;
    ASSERT_TRUE(attempt->Abandon());
    EXPECT_TRUE(WaitFor([&] { return !attempt->Alive(); }));
    ASSERT_TRUE(window.WaitForReport());  // still reported, under its own number, for nothing
    EXPECT_EQ(window.reports[0].number, 3u);
    EXPECT_NE(window.reports[0].end.ending, Ending::Installed);
}

// Started by the next test as its child, this test program does only this, before any
// test runs: it starts a worker against the server the parent names, says the worker's
// process id, and waits to be killed.
const bool kStarterOfAWorker = [] {
    const char* url = std::getenv("SUITE_STALLED_URL");
    if (!url) return false;
    test::TempFolder folder;
    Window window;
    const std::string narrow(url);
    const auto attempt = Start(window, OrderFor(std::wstring(narrow.begin(), narrow.end()), folder.Path(), 1), folder.Path());
    std::printf("worker %lu\n", attempt ? attempt->ProcessId() : 0ul);
    std::fflush(stdout);
    ::Sleep(120'000);
    ::ExitProcess(0);
}();

// Nubilux crashing or killed leaves no worker behind: its job ends it.
TEST(AttemptProcess, TheWorkerEndsWithItsStarter) {
    auto server = Stalled();
    const std::wstring wide = server.Url();
    const std::string url(wide.begin(), wide.end());
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE read = nullptr, write = nullptr;
    ASSERT_TRUE(::CreatePipe(&read, &write, &inherit, 0));
    ::SetEnvironmentVariableA("SUITE_STALLED_URL", url.c_str());  // for the child alone
    ::win32::UniqueHandle ours(read);
    ::SetHandleInformation(read, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = write;
    std::wstring line = L"\"" + ::win32::ProgramPath() + L"\"";
    PROCESS_INFORMATION started{};
    const bool ok =
        ::CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &started);
    ::SetEnvironmentVariableA("SUITE_STALLED_URL", nullptr);
    ::CloseHandle(write);
    ASSERT_TRUE(ok);
    ::win32::UniqueHandle starter(started.hProcess), thread(started.hThread);
    std::string output;
    char chunk[256];
    DWORD got = 0;
    while (output.find("worker ") == std::string::npos || output.find('\n', output.find("worker ")) == std::string::npos) {
        ASSERT_TRUE(::ReadFile(read, chunk, sizeof chunk, &got, nullptr) && got) << output;
        output.append(chunk, got);
    }
    const DWORD worker = std::strtoul(output.c_str() + output.find("worker ") + 7, nullptr, 10);
    ASSERT_FALSE(Gone(worker));
    ::TerminateProcess(starter.get(), 1);
    EXPECT_TRUE(WaitFor([&] { return Gone(worker); }, 15'000));
}

}  // namespace

namespace {

// Explorer hung in its monitor list: the window waits its deadline, takes the last answer
// (or none, where an old one would mislead, as the dial-up list's would), and asks no
// second time while the first question is out; the answer counts once it comes.
TEST(AskedAside, AHungAnswererCostsTheWindowItsDeadlineAndOneThread) {
    std::atomic<int> asked{0};
    ::win32::UniqueHandle release(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    const HANDLE gate = release.get();
    AskedAside<int> question(
        [&asked, gate] {
            ++asked;
            ::WaitForSingleObject(gate, INFINITE);
            return std::optional(7);
        },
        1);
    EXPECT_EQ(question.Get(100), 1);
    EXPECT_EQ(question.Get(0), 1);
    EXPECT_FALSE(question.Fresh(50));  // no answer in time: unknown, not the old one
    EXPECT_EQ(asked, 1);
    EXPECT_TRUE(question.Asking());
    ::SetEvent(gate);
    ASSERT_TRUE(WaitFor([&] { return !question.Asking(); }));
    EXPECT_EQ(question.Get(5000), 7);
    EXPECT_EQ(question.Fresh(5000), 7);
    EXPECT_EQ(asked, 3);
    ASSERT_TRUE(WaitFor([&] { return !question.Asking(); }));
}

}  // namespace

namespace {

// The shell's monitors come from a helper, whole (none here: Wine has no per-monitor
// wallpaper object); a helper that does not end in its time is ended, and gives nothing.
TEST(Helper, TheShellsMonitorsComeWholeAndAHelperPastItsTimeIsEnded) {
    const auto output = HelperOutput(test::Product(L"Nubilux.exe"), L"/MONITORS", 30'000);
    ASSERT_TRUE(output);
    const auto text = ::win32::FromUtf8(*output);
    ASSERT_TRUE(text);
    EXPECT_TRUE(ReadMonitors(*text)) << *output;

    test::TempFolder folder;
    auto server = Stalled();
    const WorkerOrder order = OrderFor(server.Url(), folder.Path(), 2);
    const std::wstring orderFile = folder.Path() + L"\\order.txt";
    const std::string written = ::win32::ToUtf8(WriteOrder(order));
    {
        ::win32::UniqueFile file(::CreateFileW(orderFile.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        DWORD bytes = 0;
        ASSERT_TRUE(::WriteFile(file.get(), written.data(), static_cast<DWORD>(written.size()), &bytes, nullptr));
    }
    EXPECT_FALSE(HelperOutput(test::Product(L"Nubilux.exe"), L"/ATTEMPT \"" + orderFile + L"\"", 1500));
    EXPECT_TRUE(WaitFor([] { return ChildrenRunning() == 0; }));
}

}  // namespace
