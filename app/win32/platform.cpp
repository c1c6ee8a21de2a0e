#include "app/win32/platform.h"

#include <ras.h>
#include <shlobj.h>

#include "app/status.h"
#include "app/win32/desktop.h"
#include "common/text.h"
#include "common/win32/startup.h"

namespace nubilux::win32 {

using ::win32::ProcAddress;

std::wstring UserFolder() {
    wchar_t local[MAX_PATH] = {};
    if (FAILED(::SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA | CSIDL_FLAG_CREATE, nullptr, 0, local))) return L"";
    const std::wstring own = std::wstring(local) + L"\\Nubilux";
    ::CreateDirectoryW(own.c_str(), nullptr);
    return own;
}

// Beside the program, as ever; but a standard user may not write Program Files, and then
// the attempt puts the picture in the user's own application data.
std::vector<std::wstring> ImageTargets(const std::wstring& fileName) {
    std::vector<std::wstring> targets{suite::JoinPath(::win32::ProgramFolder(), fileName)};
    const std::wstring own = UserFolder();
    if (!own.empty() && suite::JoinPath(own, fileName) != targets.front()) targets.push_back(suite::JoinPath(own, fileName));
    return targets;
}

Platform::Platform(HWND window, std::function<void(int)> onState, std::function<void(bool)> onWorking,
                   std::function<void(const Source*, Reason)> onFinished)
    : window_(window), onState_(std::move(onState)), onWorking_(std::move(onWorking)),
      onFinished_(std::move(onFinished)), rasapi_(::win32::LoadSystemLibrary(L"rasapi32.dll")) {}

Platform::~Platform() { CancelFetch(); }

std::vector<Connection> Platform::EnumConnections() {
    std::vector<Connection> open;
    // Without the remote-access library there is no dial-up, so nothing is open.
    const auto enumerate = ProcAddress<decltype(&::RasEnumConnectionsW)>(rasapi_.get(), "RasEnumConnectionsW");
    if (!enumerate) return open;
    std::vector<RASCONNW> records(256);
    records[0].dwSize = sizeof(RASCONNW);
    DWORD bytes = static_cast<DWORD>(records.size() * sizeof(RASCONNW)), count = 0;
    if (enumerate(records.data(), &bytes, &count) != ERROR_SUCCESS) return open;
    for (DWORD i = 0; i < count && i < records.size(); ++i)
        open.push_back({records[i].szEntryName, reinterpret_cast<std::uintptr_t>(records[i].hrasconn)});
    return open;
}

void Platform::HangUp(std::uintptr_t handle) {
    if (const auto hangUp = ProcAddress<decltype(&::RasHangUpW)>(rasapi_.get(), "RasHangUpW"))
        hangUp(reinterpret_cast<HRASCONN>(handle));
}

bool Platform::StartAttempt(unsigned number, const Source& source) {
    if (source.picture < 0 || static_cast<std::size_t>(source.picture) >= plan_.size()) return false;
    const PicturePlan& picture = plan_[static_cast<std::size_t>(source.picture)];
    number_ = number;
    transfer_ = Transfer::Start(
        {window_, number, source, {picture.size, LargestScreen(), ImageTargets(picture.fileName)}, picture.monitors});
    return transfer_ != nullptr;
}

std::int64_t Platform::TakenAt(unsigned number) const {
    return transfer_ && number == number_ ? transfer_->TakenAt() : 0;
}

bool Platform::CancelFetch() {
    if (!transfer_ || transfer_->Done()) return true;
    if (!transfer_->Abandon()) return false;  // putting its picture in place: it ends soon
    transfer_.reset();
    // Given up while it ran: the status line tells of the error, as after a failed transfer.
    onState_(kStateError);
    return true;
}

void Platform::RemoveLeftovers() {
    for (const std::wstring& folder : {::win32::ProgramFolder(), UserFolder()}) {
        if (folder.empty()) continue;
        WIN32_FIND_DATAW found;
        ::win32::UniqueFind search(::FindFirstFileW((folder + L"\\nbx*.tmp").c_str(), &found));
        if (!search) continue;
        do {
            ::DeleteFileW((folder + L"\\" + found.cFileName).c_str());
        } while (::FindNextFileW(search.get(), &found));
    }
}

}  // namespace nubilux::win32
