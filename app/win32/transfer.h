// One source's picture fetched with WinINet, checked, and put in place as NUBILUX.BMP
// and the wallpaper, on a thread of its own: the window never waits on a server.
#pragma once

#include <windows.h>

#include <wininet.h>

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "app/sources.h"
#include "app/update.h"
#include "common/outcome.h"

namespace nubilux::win32 {

// What one attempt is to do, and the window it reports to (messages.h).
struct AttemptOrder {
    HWND window = nullptr;
    unsigned number = 0;
    Source source;
    std::wstring image;                 // the bitmap file it makes: NUBILUX.BMP for the primary monitor
    Screen canvas;                      // the bitmap's size: its monitors' own
    std::vector<std::wstring> monitors;  // whose wallpaper it becomes; none: the desktop's
    Screen largest;                     // the largest monitor, which bounds what a picture may declare
};

// A new, empty file "nbx*.tmp" in folder, for writing before a move; empty when the
// folder takes no new file.
std::wstring NewTemporaryFile(const std::wstring& folder);

class Transfer {
public:
    // Starts the attempt's thread, which keeps the object alive until it ends; nullptr
    // when no thread can be made.
    static std::shared_ptr<Transfer> Start(AttemptOrder order);
    // From the window's thread: the attempt no longer counts. Its handles are closed, so
    // that a blocked call returns where the platform allows, and it installs nothing.
    void Abandon() noexcept;
    // Whether this attempt's thread has ended.
    bool Done() const noexcept { return done_; }
    // When the picture was taken (UTC seconds since 1970): its time slot, else the
    // server's Last-Modified; 0 when unknown.
    std::int64_t TakenAt() const noexcept { return takenAt_; }
    // Whether any attempt's thread still runs, abandoned ones included.
    static bool AnyRunning() noexcept;

    explicit Transfer(AttemptOrder order) : order_(std::move(order)) {}
    Transfer(const Transfer&) = delete;
    Transfer& operator=(const Transfer&) = delete;

private:
    enum Phase { kWorking, kInstalling, kAbandoned };

    static DWORD WINAPI ThreadMain(void* parameter) noexcept;
    void Run() noexcept;
    Ending Work();
    suite::Outcome Fetch(std::string& body);
    suite::Outcome Install(const std::string& body);
    // Keeps a handle where Abandon can close it; false (handle closed) once abandoned.
    bool Keep(HINTERNET& slot, HINTERNET handle);
    void CloseHandles() noexcept;
    void Report(int state) noexcept;
    static void CALLBACK OnStatus(HINTERNET, DWORD_PTR context, DWORD status, LPVOID, DWORD) noexcept;

    AttemptOrder order_;
    std::atomic<int> phase_{kWorking};
    std::atomic<bool> reporting_{true};
    std::atomic<bool> done_{false};
    std::atomic<std::int64_t> takenAt_{0};
    bool slotMissing_ = false;  // the server has no picture for the slot asked (yet)
    // Guards the handles between the attempt's thread and Abandon.
    struct Lock {
        explicit Lock(SRWLOCK& lock) : lock_(lock) { ::AcquireSRWLockExclusive(&lock_); }
        ~Lock() { ::ReleaseSRWLockExclusive(&lock_); }
        SRWLOCK& lock_;
    };
    SRWLOCK handles_ = SRWLOCK_INIT;
    HINTERNET session_ = nullptr;
    HINTERNET request_ = nullptr;
};

}  // namespace nubilux::win32
