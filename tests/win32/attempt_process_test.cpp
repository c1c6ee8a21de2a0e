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
    // Looks at the workers' news, as Nubilux's window does, and takes what was posted.
    void Pump() {
        for (const auto& attempt : attempts) attempt->Poll();
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
    std::vector<std::shared_ptr<AttemptProcess>> attempts;

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
    auto attempt = AttemptProcess::Start(window.Handle(), order, test::Product(L"Nubilux.exe"), folder);
    if (attempt) window.attempts.push_back(attempt);
    return attempt;
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
    EXPECT_TRUE(WaitFor([&] {
        window.Pump();
        return attempt->Finished() && Files(folder.Path()).empty();
    }));
    EXPECT_FALSE(attempt->Alive());
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

// An order whose worker stays out: its server holds the body. A helper that hangs, as
// Explorer hung in its monitor list would keep one.
struct HungHelper {
    HungHelper() {
        const std::string written = ::win32::ToUtf8(WriteOrder(OrderFor(server.Url(), folder.Path(), 2)));
        ::win32::UniqueFile file(::CreateFileW(orderFile.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        DWORD bytes = 0;
        ::WriteFile(file.get(), written.data(), static_cast<DWORD>(written.size()), &bytes, nullptr);
    }
    std::wstring Arguments() const { return L"/ATTEMPT \"" + orderFile + L"\""; }
    test::TempFolder folder;
    test::Server server = Stalled();
    std::wstring orderFile = folder.Path() + L"\\order.txt";
};

// The window waits its deadline for a hung helper, takes the last answer (or none, where an
// old one would mislead, as the dial-up list's would), and asks no second time while the
// first question is out; past its time the helper is ended and the question asked anew.
TEST(AskedAside, AHungHelperCostsTheWindowItsDeadlineAndIsEndedAfterItsTime) {
    HungHelper hung;
    int read = 0;
    AskedAside<int> question(test::Product(L"Nubilux.exe"), hung.Arguments(),
                             [&read](const std::string&) { return ++read, std::optional(7); }, 1, 2000);
    const ULONGLONG start = ::GetTickCount64();
    EXPECT_EQ(question.Get(100), 1);
    EXPECT_FALSE(question.Fresh(50));  // no answer in time: unknown, not the old one
    EXPECT_LT(::GetTickCount64() - start, 1500u);
    EXPECT_TRUE(question.Asking());
    EXPECT_EQ(ChildrenRunning(), 1);  // asked once
    ::Sleep(2200);
    EXPECT_EQ(question.Get(0), 1);  // the first ended, a second out
    EXPECT_TRUE(WaitFor([] { return ChildrenRunning() == 1; }));
    EXPECT_EQ(read, 0);
}

// An answer is what the helper said, read once it has ended; a helper whose words are not
// an answer leaves the last one standing, yet it has answered.
TEST(AskedAside, TheAnswerIsWhatTheHelperSaid) {
    const std::wstring nubilux = test::Product(L"Nubilux.exe");
    const auto monitors = [](const std::string& said) { return ReadMonitors(std::wstring(said.begin(), said.end())); };
    AskedAside<std::vector<Monitor>> shell(nubilux, L"/MONITORS", monitors, {{L"old", {1, 1}, true}}, 30'000);
    EXPECT_EQ(shell.Get(30'000).size(), 0u);  // Wine's shell has no per-monitor wallpaper
    EXPECT_FALSE(shell.Asking());
    AskedAside<int> unreadable(nubilux, L"/MONITORS", [](const std::string&) { return std::optional<int>(); }, 4, 30'000);
    EXPECT_EQ(unreadable.Fresh(30'000), 4);
    EXPECT_TRUE(WaitFor([] { return ChildrenRunning() == 0; }));
    // Only asked, as at the start: the answer that came meanwhile is the next question's
    // when its own is late.
    AskedAside<std::vector<Monitor>> early(nubilux, L"/MONITORS", monitors, {{L"old", {1, 1}, true}}, 30'000);
    EXPECT_EQ(early.Get(0).size(), 1u);
    EXPECT_TRUE(WaitFor([] { return ChildrenRunning() == 0; }));
    EXPECT_EQ(early.Get(0).size(), 0u);
    EXPECT_TRUE(early.Asking());  // and asked anew
}

}  // namespace

namespace {

// Each question's helper answers whole, in its own words (here: Wine's shell has no
// per-monitor wallpaper object, and Wine lists no dial-up connection); a helper that does
// not end in its time is ended, and gives nothing.
TEST(Helper, EachQuestionsHelperAnswersWholeAndOnePastItsTimeIsEnded) {
    const auto said = [](const wchar_t* arguments) {
        const auto output = HelperOutput(test::Product(L"Nubilux.exe"), arguments, 30'000);
        const auto text = output ? ::win32::FromUtf8(*output) : std::nullopt;
        return text.value_or(L"(nothing)");
    };
    const auto monitors = ReadMonitors(said(L"/MONITORS"));
    ASSERT_TRUE(monitors);
    EXPECT_TRUE(monitors->empty());
    const std::wstring metered = said(L"/METERED");
    EXPECT_TRUE(ReadMetered(metered)) << metered;
    const auto connections = ReadConnections(said(L"/CONNECTIONS"));
    ASSERT_TRUE(connections);
    EXPECT_TRUE(connections->empty());
    EXPECT_EQ(said((L"/HANGUP " + EntryArgument(L"Casa")).c_str()), L"");  // no such line: nothing to do

    HungHelper hung;
    EXPECT_FALSE(HelperOutput(test::Product(L"Nubilux.exe"), hung.Arguments(), 1500));
    EXPECT_TRUE(WaitFor([] { return ChildrenRunning() == 0; }));
}

}  // namespace
