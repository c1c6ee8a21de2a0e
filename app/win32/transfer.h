// One attempt at one source's picture, on a thread of its own: the window never waits on
// a server or the shell. The thread runs the attempt's work and ends by posting the
// window one report (messages.h), whatever happened meanwhile.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <memory>

#include "app/attempt.h"

namespace nubilux::win32 {

// What an attempt's thread does: the real one fetches, decodes, writes the bitmap and sets
// the wallpaper (SystemAttempt); the tests give their own.
class AttemptWork {
public:
    virtual ~AttemptWork() = default;
    // claim: the point of no return before the first file is replaced (AttemptSeams::Claim).
    virtual AttemptEnd Run(const std::function<bool()>& claim) noexcept = 0;
    // From the window's thread, at any time: whatever blocks returns where the platform
    // allows (connections closed).
    virtual void Close() noexcept = 0;
};

class Transfer final {
public:
    // Every change of state is one atomic step, so the attempt's end and its being given
    // up cannot both count: the count of given-up threads follows whichever came first.
    enum class State { Working, Installing, GivenUp, Done };

    // Starts the attempt's thread, which keeps the object alive until it ends; nullptr
    // when no thread can be made.
    static std::shared_ptr<Transfer> Start(HWND window, unsigned number, std::unique_ptr<AttemptWork> work);
    // From the window's thread: the attempt no longer counts, and what blocks it is closed.
    // False when it is past giving up: putting its picture in place, or ended (its report
    // is on its way).
    bool Abandon() noexcept;
    // Given up even while it puts its picture in place (the shell did not answer in time).
    void Forsake() noexcept;
    State Current() const noexcept { return state_; }
    // Whether any attempt's thread still runs, given-up ones included.
    static bool AnyRunning() noexcept;
    // How many given-up attempts' threads still run.
    static int AbandonedRunning() noexcept;

    Transfer(HWND window, unsigned number, std::unique_ptr<AttemptWork> work);

private:
    static DWORD WINAPI ThreadMain(void* parameter) noexcept;
    void Run() noexcept;
    bool Claim() noexcept;
    bool GiveUp(State from) noexcept;

    HWND window_;
    unsigned number_;
    std::unique_ptr<AttemptWork> work_;
    std::atomic<State> state_{State::Working};
};

}  // namespace nubilux::win32
