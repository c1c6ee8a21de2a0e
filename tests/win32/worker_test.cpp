// Nubilux.exe started as an attempt's worker: the real program, its order from a file,
// its news on a pipe, as Nubilux will start it.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>

#include <string>

#include "app/worker_protocol.h"
#include "common/win32/unique.h"
#include "fixtures.h"
#include "temp_folder.h"

namespace {

struct Ran {
    DWORD exitCode = 0;
    std::string output;
};

// Runs Nubilux.exe with the arguments, its standard output on a pipe read to the end.
Ran RunNubilux(const std::wstring& arguments) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE read = nullptr, write = nullptr;
    if (!::CreatePipe(&read, &write, &inherit, 0)) return {~0u, ""};
    ::SetHandleInformation(read, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = write;
    startup.hStdError = write;
    std::wstring line = L"\"" + test::Product(L"Nubilux.exe") + L"\" " + arguments;
    PROCESS_INFORMATION process{};
    const bool started = ::CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                                          &process);
    ::CloseHandle(write);
    Ran ran;
    // Read until it has ended, not to the pipe's end: a desktop it brings up under Wine
    // (explorer) inherits the pipe and keeps it open.
    for (bool ended = !started; !ended;) {
        ended = ::WaitForSingleObject(process.hProcess, 10) == WAIT_OBJECT_0;
        char buffer[4096];
        DWORD ready = 0, got = 0;
        while (::PeekNamedPipe(read, nullptr, 0, nullptr, &ready, nullptr) && ready &&
               ::ReadFile(read, buffer, std::min<DWORD>(ready, sizeof buffer), &got, nullptr) && got)
            ran.output.append(buffer, got);
    }
    ::CloseHandle(read);
    if (!started) return {~0u, ""};
    ::GetExitCodeProcess(process.hProcess, &ran.exitCode);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return ran;
}

void WriteFile(const std::wstring& path, const std::string& text) {
    win32::UniqueFile file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD written = 0;
    ::WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

std::string Utf8(const std::wstring& text) {
    const int bytes = ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(bytes - 1), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, out.data(), bytes, nullptr, nullptr);
    return out;
}

TEST(Worker, StartedByHandOrWithoutAWholeOrderItEndsAtOnce) {
    test::TempFolder folder;
    EXPECT_EQ(RunNubilux(L"/ATTEMPT").exitCode, static_cast<DWORD>(nubilux::kWorkerBadOrder));
    EXPECT_EQ(RunNubilux(L"/attempt \"" + folder.Path() + L"\\missing.txt\"").exitCode,
              static_cast<DWORD>(nubilux::kWorkerBadOrder));
    WriteFile(folder.Path() + L"\\order.txt", "NubiluxOrder 1\nnumber=3\n");  // no address, no size
    const Ran ran = RunNubilux(L"/ATTEMPT \"" + folder.Path() + L"\\order.txt\"");
    EXPECT_EQ(ran.exitCode, static_cast<DWORD>(nubilux::kWorkerBadOrder));
    EXPECT_EQ(ran.output, "");
    // The hang-up helper without a whole entry, likewise.
    for (const wchar_t* bad : {L"/HANGUP", L"/HANGUP 00", L"/HANGUP 0043 0061"})
        EXPECT_EQ(RunNubilux(bad).exitCode, static_cast<DWORD>(nubilux::kWorkerBadOrder)) << bad;
}

// A server that refuses the connection: the worker's states, then its one ending, the
// source's failure for want of a connection, and no picture made.
TEST(Worker, ItsNewsEndsWithItsOneEnding) {
    test::TempFolder folder;
    nubilux::WorkerOrder order;
    order.number = 7;
    order.source.url = L"http://127.0.0.1:1/picture.jpg";
    order.plan = {{640, 480}, {640, 480}, {folder.Path() + L"\\NUBILUX.BMP"}};
    WriteFile(folder.Path() + L"\\order.txt", Utf8(nubilux::WriteOrder(order)));
    const Ran ran = RunNubilux(L"/ATTEMPT \"" + folder.Path() + L"\\order.txt\"");
    EXPECT_EQ(ran.exitCode, 0u);
    ASSERT_FALSE(ran.output.empty());
    std::size_t lines = 0, states = 0;
    std::optional<nubilux::WorkerNews> last;
    for (std::size_t at = 0; at < ran.output.size();) {
        const std::size_t end = ran.output.find('\n', at);
        ASSERT_NE(end, std::string::npos) << "a line cut off";
        const std::string line = ran.output.substr(at, end - at);
        last = nubilux::ReadNews(std::wstring(line.begin(), line.end()));
        ASSERT_TRUE(last) << line;
        ++lines;
        states += last->kind == nubilux::WorkerNews::Kind::State;
        at = end + 1;
    }
    EXPECT_EQ(lines, states + 1);  // states, then the ending
    EXPECT_EQ(last->kind, nubilux::WorkerNews::Kind::Ended);
    EXPECT_EQ(last->end.ending, nubilux::Ending::SourceFailed);
    EXPECT_EQ(last->end.reason, nubilux::Reason::NoConnection);
    EXPECT_EQ(::GetFileAttributesW((folder.Path() + L"\\NUBILUX.BMP").c_str()), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
