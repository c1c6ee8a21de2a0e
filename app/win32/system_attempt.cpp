#include "app/win32/system_attempt.h"

#include <objbase.h>

#include <utility>

#include "app/win32/bitmap_file.h"
#include "app/win32/codec.h"
#include "app/win32/desktop.h"

namespace nubilux::win32 {

SystemAttempt::SystemAttempt(WorkerOrder order, std::function<void(int)> report, std::function<void()> installing)
    : order_(std::move(order)), fetch_(std::move(report)), installing_(std::move(installing)) {}

AttemptEnd SystemAttempt::Run() noexcept {
    const HRESULT com = ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    AttemptEnd end = RunAttempt(*this, order_.plan);
    if (SUCCEEDED(com)) ::CoUninitialize();
    return end;
}

Fetched SystemAttempt::Fetch() { return fetch_.Get(order_.source); }

bool SystemAttempt::Decode(const std::string& body, const PictureHeader& header, Canvas& canvas) {
    return DecodePicture(body, header, order_.plan.canvas, canvas, order_.source.crop);
}

std::wstring SystemAttempt::WriteTemporary(const std::wstring& folder, const Canvas& canvas, Reason& why) {
    return WriteTemporaryBitmap(folder, canvas, why);
}

bool SystemAttempt::Replace(const std::wstring& temporary, const std::wstring& target, Reason& why) {
    return ReplaceWith(temporary, target, why);
}

void SystemAttempt::Discard(const std::wstring& temporary) { ::DeleteFileW(temporary.c_str()); }

bool SystemAttempt::ShowAsWallpaper(const std::wstring& picture) { return SetWallpaper(order_.monitors, picture, order_.primary); }

}  // namespace nubilux::win32
