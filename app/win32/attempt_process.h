// One attempt in a worker process of its own (Nubilux.exe /ATTEMPT): its order in a file,
// the worker in a job object that ends it with Nubilux and bounds its memory, its news
// read as it comes, without waiting, and posted to the window (messages.h). Nubilux starts
// no thread of its own for it. Ending it is ending its process, on Wine as on Windows;
// what it loaded goes with it.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/session.h"
#include "app/update.h"
#include "app/worker_protocol.h"
#include "common/win32/unique.h"

namespace nubilux::win32 {

// A helper process of Nubilux's own (Nubilux.exe with a switch of its own), in a job that
// ends it with Nubilux and bounds its memory (memoryLimit; 0: no bound), its standard
// output a pipe with room for all it says. Ended when destroyed.
class HelperProcess {
public:
    static std::unique_ptr<HelperProcess> Start(const std::wstring& program, const std::wstring& arguments,
                                                std::uint64_t memoryLimit = 0);
    // Whether it has ended, waiting up to waitMs.
    bool Wait(DWORD waitMs) const noexcept;
    // What it has said since the last look, never waiting: all it said, once it has ended.
    std::string Output();
    // Ends it whatever it does.
    void End() noexcept;
    HANDLE Process() const noexcept { return process_.get(); }
    DWORD ProcessId() const noexcept { return processId_; }
    ULONGLONG StartedAt() const noexcept { return startedAt_; }
    ~HelperProcess() { End(); }

private:
    HelperProcess() = default;
    ::win32::UniqueHandle job_, process_, output_;
    DWORD processId_ = 0;
    ULONGLONG startedAt_ = 0;
};

class AttemptProcess final : public RunningAttempt {
public:
    // Starts the worker for the order, with its news for `window`: kAttemptState for each
    // download state, then one kAttemptDone with the order's number, whatever the worker
    // does (one that exits without an ending is its source's failure). The news comes as
    // the window's thread calls Poll. `program` is the worker's executable, `orderFolder`
    // where its order file goes. nullptr: not started.
    static std::shared_ptr<AttemptProcess> Start(HWND window, const WorkerOrder& order, const std::wstring& program,
                                                 const std::wstring& orderFolder);

    // Reads what the worker has said, without waiting, and posts it; once the worker is
    // gone, posts its report and removes what it left. A worker past its grace after its
    // ending is ended. On the window's thread only.
    void Poll() noexcept;
    // Whether all is done: its report posted, its process gone, its leftovers removed.
    bool Finished() const noexcept { return finished_; }
    // Set when the worker's process has ended: the time to Poll.
    HANDLE Process() const noexcept { return worker_->Process(); }

    // Ends the worker unless it has said it is putting its picture in place, or has ended:
    // false then, and its report is awaited.
    bool Abandon() noexcept override;
    // Ends the worker whatever it does.
    void End() noexcept override;
    // Whether the worker's process is still there.
    bool Alive() const noexcept;
    DWORD ProcessId() const noexcept { return worker_->ProcessId(); }

    AttemptProcess(HWND window, unsigned number, std::vector<std::wstring> folders, std::wstring orderFile);
    AttemptProcess(const AttemptProcess&) = delete;
    AttemptProcess& operator=(const AttemptProcess&) = delete;

private:
    void Read() noexcept;
    void RemoveLeftovers() noexcept;

    HWND window_;
    unsigned number_;
    std::vector<std::wstring> folders_;  // where its temporary bitmap may be
    std::wstring orderFile_;
    std::unique_ptr<HelperProcess> worker_;  // ended with this object
    std::string pending_;                  // news not yet whole
    std::unique_ptr<AttemptReport> report_;  // made before the worker starts: none is lost
    bool installing_ = false, ended_ = false, finished_ = false;
    ULONGLONG endedAt_ = 0;
};

// Runs program with the arguments as a helper and waits for its end: its standard output;
// nothing when it could not be started or had not ended within timeoutMs, and was then
// ended.
std::optional<std::string> HelperOutput(const std::wstring& program, const std::wstring& arguments, DWORD timeoutMs);

// Removes what workers that died may have left in a folder: temporary bitmaps and orders.
void RemoveWorkerLeftovers(const std::wstring& folder);

}  // namespace nubilux::win32
