#include "app/win32/transfer.h"

#include <utility>

#include "app/win32/messages.h"
#include "common/win32/unique.h"

namespace nubilux::win32 {

namespace {

std::atomic<int> running{0}, abandonedRunning{0};

}  // namespace

Transfer::Transfer(HWND window, unsigned number, std::unique_ptr<AttemptWork> work)
    : window_(window), number_(number), work_(std::move(work)) {}

std::shared_ptr<Transfer> Transfer::Start(HWND window, unsigned number, std::unique_ptr<AttemptWork> work) {
    auto transfer = std::make_shared<Transfer>(window, number, std::move(work));
    // The thread holds its own reference until it ends.
    auto* held = new std::shared_ptr<Transfer>(transfer);
    ++running;
    ::win32::UniqueHandle thread(::CreateThread(nullptr, 0, ThreadMain, held, 0, nullptr));
    if (!thread) {
        --running;
        delete held;
        return nullptr;
    }
    return transfer;
}

DWORD WINAPI Transfer::ThreadMain(void* parameter) noexcept {
    const std::unique_ptr<std::shared_ptr<Transfer>> self(static_cast<std::shared_ptr<Transfer>*>(parameter));
    (*self)->Run();
    return 0;
}

bool Transfer::AnyRunning() noexcept { return running > 0; }
int Transfer::AbandonedRunning() noexcept { return abandonedRunning; }

bool Transfer::GiveUp(State from) noexcept {
    // Counted first, so that the thread's end, which may come at any moment after the
    // change, never lowers the count below what it was.
    ++abandonedRunning;
    if (!state_.compare_exchange_strong(from, State::GivenUp)) {
        --abandonedRunning;
        return false;
    }
    work_->Close();
    return true;
}

bool Transfer::Abandon() noexcept { return GiveUp(State::Working); }

void Transfer::Forsake() noexcept {
    if (!GiveUp(State::Working)) GiveUp(State::Installing);
}

bool Transfer::Claim() noexcept {
    State working = State::Working;
    return state_.compare_exchange_strong(working, State::Installing) || working == State::Installing;
}

void Transfer::Run() noexcept {
    AttemptEnd end = work_->Run([this] { return Claim(); });
    work_->Close();
    std::unique_ptr<AttemptReport> report;
    try {
        report = std::make_unique<AttemptReport>(AttemptReport{number_, std::move(end)});
    } catch (...) {
        // No memory even for the report: the window's deadline ends the attempt.
    }
    if (state_.exchange(State::Done) == State::GivenUp) --abandonedRunning;
    // Given-up attempts report too: an update waiting for a thread to end goes on.
    if (report && ::PostMessageW(window_, kAttemptDone, 0, reinterpret_cast<LPARAM>(report.get()))) report.release();
    --running;
}

}  // namespace nubilux::win32
