#include "app/win32/transfer.h"

#include <objbase.h>

#include <utility>

#include "app/win32/bitmap_file.h"
#include "app/win32/codec.h"
#include "app/win32/desktop.h"
#include "app/win32/messages.h"
#include "common/win32/unique.h"

namespace nubilux::win32 {

namespace {

std::atomic<int> running{0}, abandonedRunning{0};

}  // namespace

Transfer::Transfer(AttemptOrder order)
    : order_(std::move(order)),
      fetch_([this](int state) { ::PostMessageW(order_.window, kAttemptState, order_.number, state); }) {}

std::shared_ptr<Transfer> Transfer::Start(AttemptOrder order) {
    auto transfer = std::make_shared<Transfer>(std::move(order));
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

bool Transfer::Abandon() noexcept {
    int working = kWorking;
    if (done_ || !phase_.compare_exchange_strong(working, kAbandoned)) return false;  // an install under way finishes
    ++abandonedRunning;
    fetch_.Close();  // and its reports end with it
    return true;
}

void Transfer::Run() noexcept {
    AttemptEnd end;
    try {
        const HRESULT com = ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        end = RunAttempt(*this, order_.plan);
        if (SUCCEEDED(com)) ::CoUninitialize();
    } catch (...) {
        end = {Ending::LocalFailure, Reason::CannotSave, {}};  // out of memory, most likely
    }
    fetch_.Close();
    done_ = true;
    // The ending and its reason, packed into the message (messages.h).
    ::PostMessageW(order_.window, kAttemptDone, order_.number, PackEnding(end.ending, end.reason));
    if (phase_ == kAbandoned) --abandonedRunning;
    --running;
}

Fetched Transfer::Fetch() { return fetch_.Get(order_.source, takenAt_); }

bool Transfer::Decode(const std::string& body, const PictureHeader& header, Canvas& canvas) {
    return phase_ != kAbandoned && DecodePicture(body, header, order_.plan.canvas, canvas);
}

std::wstring Transfer::WriteTemporary(const std::wstring& folder, const Canvas& canvas, Reason& why) {
    return WriteTemporaryBitmap(folder, canvas, why);
}

bool Transfer::Replace(const std::wstring& temporary, const std::wstring& target, Reason& why) {
    return ReplaceWith(temporary, target, why);
}

void Transfer::Discard(const std::wstring& temporary) { ::DeleteFileW(temporary.c_str()); }

bool Transfer::Claim() {
    int working = kWorking;
    return phase_.compare_exchange_strong(working, kInstalling) || working == kInstalling;
}

bool Transfer::ShowAsWallpaper(const std::wstring& picture) { return SetWallpaper(order_.monitors, picture); }

}  // namespace nubilux::win32
