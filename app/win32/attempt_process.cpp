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
constexpr DWORD kExitGraceMs = 10'000;

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
    : window_(window), number_(number), folders_(std::move(folders)), orderFile_(std::move(orderFile)) {}

AttemptProcess::~AttemptProcess() = default;

std::shared_ptr<AttemptProcess> AttemptProcess::Start(HWND window, const WorkerOrder& order, const std::wstring& program,
                                                      const std::wstring& orderFolder) {
    const std::wstring orderFile = WriteOrderFile(orderFolder, order);
    if (orderFile.empty()) return nullptr;
    std::vector<std::wstring> folders;
    for (const std::wstring& target : order.plan.targets) folders.push_back(suite::FolderOf(target));
    auto attempt = std::make_shared<AttemptProcess>(window, order.number, std::move(folders), orderFile);
    const auto fail = [&] {
        ::DeleteFileW(orderFile.c_str());
        return nullptr;
    };

    attempt->job_ = MakeJob(WorkerMemoryLimit(order.plan));
    PROCESS_INFORMATION started{};
    if (!StartWithOutput(program, L"/ATTEMPT \"" + orderFile + L"\"", 0, attempt->news_, attempt->job_, started))
        return fail();
    attempt->process_.reset(started.hProcess);
    const ::win32::UniqueHandle thread(started.hThread);
    attempt->processId_ = started.dwProcessId;
    ::ResumeThread(thread.get());

    // The reader holds its own reference until the worker is gone and its report delivered.
    auto* held = new std::shared_ptr<AttemptProcess>(attempt);
    ::win32::UniqueHandle reader(::CreateThread(nullptr, 0, ReaderMain, held, 0, nullptr));
    if (!reader) {
        delete held;
        attempt->End();
        return fail();
    }
    return attempt;
}

bool AttemptProcess::Abandon() noexcept {
    if (installing_ || ended_) return false;
    End();
    return true;
}

void AttemptProcess::End() noexcept {
    if (job_) ::TerminateJobObject(job_.get(), 1);
    ::TerminateProcess(process_.get(), 1);
}

bool AttemptProcess::Alive() const noexcept { return ::WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT; }

DWORD WINAPI AttemptProcess::ReaderMain(void* parameter) noexcept {
    const std::unique_ptr<std::shared_ptr<AttemptProcess>> self(static_cast<std::shared_ptr<AttemptProcess>*>(parameter));
    (*self)->Listen();
    return 0;
}

void AttemptProcess::Listen() noexcept {
    // Made before anything is read: a report lost to a failed allocation would leave the
    // update waiting for its deadline and blame the wrong party.
    std::unique_ptr<AttemptReport> report;
    try {
        report = std::make_unique<AttemptReport>(AttemptReport{number_, {Ending::SourceFailed, Reason::BadPicture, {}, 0}});
    } catch (...) {
    }
    try {
        std::string pending;
        char chunk[4096];
        DWORD got = 0;
        while (!ended_ && ::ReadFile(news_.get(), chunk, sizeof chunk, &got, nullptr) && got) {
            pending.append(chunk, got);
            for (std::size_t end; !ended_ && (end = pending.find('\n')) != std::string::npos;) {
                const auto line = ::win32::FromUtf8(pending.substr(0, end));
                pending.erase(0, end + 1);
                const auto news = line ? ReadNews(*line) : std::nullopt;
                if (!news) continue;  // not news: passed over
                switch (news->kind) {
                case WorkerNews::Kind::State: ::PostMessageW(window_, kAttemptState, number_, news->state); break;
                case WorkerNews::Kind::Installing: installing_ = true; break;
                case WorkerNews::Kind::Ended:
                    if (report) report->end = news->end;
                    ended_ = true;
                    break;
                }
            }
        }
    } catch (...) {
        // Out of memory for its news: the worker counts as having failed.
    }
    // Its ending is told at once; a worker that does not exit in its grace is ended.
    if (ended_) Deliver(std::move(report));
    if (::WaitForSingleObject(process_.get(), ended_ ? kExitGraceMs : INFINITE) != WAIT_OBJECT_0) End();
    ::WaitForSingleObject(process_.get(), INFINITE);
    RemoveLeftovers();
    if (report) Deliver(std::move(report));  // died without an ending: that source's failure
}

void AttemptProcess::Deliver(std::unique_ptr<AttemptReport> report) noexcept {
    // Its last word reaches the window unless the window is gone: a full queue is waited out.
    while (report && !::PostMessageW(window_, kAttemptDone, 0, reinterpret_cast<LPARAM>(report.get()))) {
        if (!::IsWindow(window_)) return;
        ::Sleep(50);
    }
    report.release();
}

void AttemptProcess::RemoveLeftovers() noexcept {
    try {
        const std::wstring own = WorkerTemporaryName(processId_);
        for (const std::wstring& folder : folders_) ::DeleteFileW(suite::JoinPath(folder, own).c_str());
    } catch (...) {
    }
    ::DeleteFileW(orderFile_.c_str());
}

std::optional<std::string> HelperOutput(const std::wstring& program, const std::wstring& arguments, DWORD timeoutMs) {
    ::win32::UniqueHandle output, job = MakeJob(0);
    PROCESS_INFORMATION started{};
    // Room for all it says: it never waits on the reader, who reads once it has ended.
    if (!StartWithOutput(program, arguments, 64 * 1024, output, job, started)) return std::nullopt;
    const ::win32::UniqueHandle process(started.hProcess), thread(started.hThread);
    ::ResumeThread(thread.get());
    if (::WaitForSingleObject(process.get(), timeoutMs) != WAIT_OBJECT_0) {
        ::TerminateProcess(process.get(), 1);
        return std::nullopt;
    }
    char chunk[4096];
    DWORD got = 0;
    std::string said;
    while (::ReadFile(output.get(), chunk, sizeof chunk, &got, nullptr) && got) said.append(chunk, got);
    return said;
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
