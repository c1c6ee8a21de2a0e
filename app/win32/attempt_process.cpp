#include "app/win32/attempt_process.h"

#include <algorithm>
#include <string>
#include <utility>

#include "app/win32/messages.h"
#include "common/text.h"
#include "common/win32/utf8.h"

namespace nubilux::win32 {

namespace {

// A worker that has written its ending is given this long to exit by itself.
constexpr ULONGLONG kExitGraceMs = 10'000;
// Room for all a helper says: it never waits on Nubilux, who reads when it looks.
constexpr DWORD kOutputBuffer = 64 * 1024;

// The order as a new file "nbo*.tmp" of its own in folder; empty when it cannot be written.
std::wstring WriteOrderFile(const std::wstring& folder, const WorkerOrder& order) {
    wchar_t path[MAX_PATH];
    if (!::GetTempFileNameW(folder.c_str(), L"nbo", 0, path)) return L"";
    const std::string text = ::win32::ToUtf8(WriteOrder(order));
    bool whole = false;
    {
        ::win32::UniqueFile file(::CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        DWORD written = 0;
        whole = file && ::WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
                written == text.size();
    }
    if (whole) return path;
    ::DeleteFileW(path);
    return L"";
}

// A job that ends its process when its last handle closes (Nubilux ending, crashing or
// killed), ends it rather than ask the user when it crashes, and bounds its memory (0: no
// bound).
::win32::UniqueHandle MakeJob(std::uint64_t memoryLimit) {
    ::win32::UniqueHandle job(::CreateJobObjectW(nullptr, nullptr));
    if (!job) return job;
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE | JOB_OBJECT_LIMIT_DIE_ON_UNHANDLED_EXCEPTION;
    if (memoryLimit) {
        limits.BasicLimitInformation.LimitFlags |= JOB_OBJECT_LIMIT_PROCESS_MEMORY;
        limits.ProcessMemoryLimit = static_cast<SIZE_T>(std::min<std::uint64_t>(memoryLimit, static_cast<SIZE_T>(-1)));
    }
    if (!::SetInformationJobObject(job.get(), JobObjectExtendedLimitInformation, &limits, sizeof limits)) {
        // Without the memory limit rather than without the job: the header check before
        // any codec stays the first line of defence.
        limits.BasicLimitInformation.LimitFlags &= ~static_cast<DWORD>(JOB_OBJECT_LIMIT_PROCESS_MEMORY);
        if (!::SetInformationJobObject(job.get(), JobObjectExtendedLimitInformation, &limits, sizeof limits))
            return {};
    }
    return job;
}

// Starts program with the arguments, suspended, its standard output a new pipe whose write
// end is the one handle it inherits, whatever else of Nubilux's may be inheritable
// (handles it was itself given); `output` gets the pipe's read end. The process joins
// `job` when there is one it may join: else it runs without. size: the pipe's buffer.
bool StartWithOutput(const std::wstring& program, const std::wstring& arguments, DWORD size,
                     ::win32::UniqueHandle& output, ::win32::UniqueHandle& job, PROCESS_INFORMATION& started) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE read = nullptr, write = nullptr;
    if (!::CreatePipe(&read, &write, &inherit, size)) return false;
    output.reset(read);
    // Closed here once the process has its own: the read ends with its output.
    const ::win32::UniqueHandle itsEnd(write);
    ::SetHandleInformation(read, HANDLE_FLAG_INHERIT, 0);

    STARTUPINFOEXW startup{};
    startup.StartupInfo.cb = sizeof startup;
    startup.StartupInfo.dwFlags = STARTF_USESTDHANDLES;
    startup.StartupInfo.hStdOutput = write;
    SIZE_T bytes = 0;
    ::InitializeProcThreadAttributeList(nullptr, 1, 0, &bytes);
    std::vector<char> attributes(bytes);
    auto* list = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(attributes.data());
    DWORD flags = CREATE_SUSPENDED | CREATE_NO_WINDOW;  // suspended until it is in its job
    if (bytes && ::InitializeProcThreadAttributeList(list, 1, 0, &bytes)) {
        if (::UpdateProcThreadAttribute(list, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, &write, sizeof write, nullptr,
                                        nullptr)) {
            startup.lpAttributeList = list;
            flags |= EXTENDED_STARTUPINFO_PRESENT;
        }
    }
    std::wstring line = L"\"" + program + L"\" " + arguments;
    const bool created = ::CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, TRUE, flags, nullptr, nullptr,
                                          &startup.StartupInfo, &started);
    if (startup.lpAttributeList) ::DeleteProcThreadAttributeList(list);
    if (!created) return false;
    // A job of Nubilux's own may allow none inside it (before Windows 8).
    if (job && !::AssignProcessToJobObject(job.get(), started.hProcess)) job.reset();
    return true;
}

}  // namespace

AttemptProcess::AttemptProcess(HWND window, unsigned number, std::vector<std::wstring> folders, std::wstring orderFile)
    : window_(window), number_(number), folders_(std::move(folders)), orderFile_(std::move(orderFile)),
      report_(std::make_unique<AttemptReport>(AttemptReport{number, {Ending::SourceFailed, Reason::BadPicture, {}, 0}})) {}

std::shared_ptr<AttemptProcess> AttemptProcess::Start(HWND window, const WorkerOrder& order, const std::wstring& program,
                                                      const std::wstring& orderFolder) {
    const std::wstring orderFile = WriteOrderFile(orderFolder, order);
    if (orderFile.empty()) return nullptr;
    std::vector<std::wstring> folders;
    for (const std::wstring& target : order.plan.targets) folders.push_back(suite::FolderOf(target));
    std::shared_ptr<AttemptProcess> attempt;
    try {
        attempt = std::make_shared<AttemptProcess>(window, order.number, std::move(folders), orderFile);
    } catch (...) {
    }
    if (attempt)
        attempt->worker_ = HelperProcess::Start(program, L"/ATTEMPT \"" + orderFile + L"\"", WorkerMemoryLimit(order.plan));
    if (!attempt || !attempt->worker_) {
        ::DeleteFileW(orderFile.c_str());
        return nullptr;
    }
    return attempt;
}

bool AttemptProcess::Abandon() noexcept {
    Read();  // its last news first: it may have said "installing" since the last look
    if (installing_ || ended_) return false;
    End();
    return true;
}

void AttemptProcess::End() noexcept { worker_->End(); }

bool AttemptProcess::Alive() const noexcept { return !worker_->Wait(0); }

void AttemptProcess::Read() noexcept {
    try {
        if (ended_) return;  // its last word is told: nothing after it counts
        pending_ += worker_->Output();
        for (std::size_t end; !ended_ && (end = pending_.find('\n')) != std::string::npos;) {
            const auto line = ::win32::FromUtf8(pending_.substr(0, end));
            pending_.erase(0, end + 1);
            const auto news = line ? ReadNews(*line) : std::nullopt;
            if (!news) continue;  // not news: passed over
            switch (news->kind) {
            case WorkerNews::Kind::State: ::PostMessageW(window_, kAttemptState, number_, news->state); break;
            case WorkerNews::Kind::Installing: installing_ = true; break;
            case WorkerNews::Kind::Ended:
                report_->end = news->end;
                ended_ = true;
                endedAt_ = ::GetTickCount64();
                break;
            }
        }
    } catch (...) {
        // Out of memory for its news: the worker counts as having failed.
        End();
    }
}

void AttemptProcess::Poll() noexcept {
    if (finished_) return;
    // Whether it is gone, before its last words are read: all it wrote is in the pipe then.
    const bool gone = !Alive();
    Read();
    // Its ending is told at once; one that has died without it, once it is gone.
    if (report_ && (ended_ || gone)) {
        if (::PostMessageW(window_, kAttemptDone, 0, reinterpret_cast<LPARAM>(report_.get())))
            report_.release();  // the window's now
        else if (!::IsWindow(window_))
            report_.reset();  // no window left to tell
        else
            return;  // a full queue: told at the next look
    }
    if (!gone) {
        // Nothing is left for it to do: one that does not exit in its grace is ended.
        if (ended_ && ::GetTickCount64() - endedAt_ > kExitGraceMs) End();
        return;
    }
    RemoveLeftovers();
    finished_ = true;
}

void AttemptProcess::RemoveLeftovers() noexcept {
    try {
        const std::wstring own = WorkerTemporaryName(ProcessId());
        for (const std::wstring& folder : folders_) ::DeleteFileW(suite::JoinPath(folder, own).c_str());
    } catch (...) {
    }
    ::DeleteFileW(orderFile_.c_str());
}

std::unique_ptr<HelperProcess> HelperProcess::Start(const std::wstring& program, const std::wstring& arguments,
                                                    std::uint64_t memoryLimit) {
    std::unique_ptr<HelperProcess> helper(new HelperProcess);
    helper->job_ = MakeJob(memoryLimit);
    PROCESS_INFORMATION started{};
    if (!StartWithOutput(program, arguments, kOutputBuffer, helper->output_, helper->job_, started)) return nullptr;
    helper->process_.reset(started.hProcess);
    const ::win32::UniqueHandle thread(started.hThread);
    helper->processId_ = started.dwProcessId;
    helper->startedAt_ = ::GetTickCount64();
    ::ResumeThread(thread.get());
    return helper;
}

bool HelperProcess::Wait(DWORD waitMs) const noexcept { return ::WaitForSingleObject(process_.get(), waitMs) == WAIT_OBJECT_0; }

std::string HelperProcess::Output() {
    // What is in the pipe, never waiting for its end: a desktop that the helper brings up
    // (Wine starts its explorer so) may inherit the pipe and keep it open.
    std::string said;
    char chunk[4096];
    DWORD ready = 0, got = 0;
    while (::PeekNamedPipe(output_.get(), nullptr, 0, nullptr, &ready, nullptr) && ready &&
           ::ReadFile(output_.get(), chunk, std::min<DWORD>(ready, sizeof chunk), &got, nullptr) && got)
        said.append(chunk, got);
    return said;
}

void HelperProcess::End() noexcept {
    if (job_) ::TerminateJobObject(job_.get(), 1);
    if (process_) ::TerminateProcess(process_.get(), 1);
}

std::optional<std::string> HelperOutput(const std::wstring& program, const std::wstring& arguments, DWORD timeoutMs) {
    const auto helper = HelperProcess::Start(program, arguments);
    if (!helper || !helper->Wait(timeoutMs)) return std::nullopt;
    return helper->Output();
}

void RemoveWorkerLeftovers(const std::wstring& folder) {
    for (const wchar_t* pattern : {L"\\nbx*.tmp", L"\\nbo*.tmp"}) {
        WIN32_FIND_DATAW found;
        ::win32::UniqueFind search(::FindFirstFileW((folder + pattern).c_str(), &found));
        if (!search) continue;
        do {
            ::DeleteFileW((folder + L"\\" + found.cFileName).c_str());
        } while (::FindNextFileW(search.get(), &found));
    }
}

}  // namespace nubilux::win32
