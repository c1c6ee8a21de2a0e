#include "app/win32/worker.h"

#include <windows.h>

#include <mutex>
#include <string>

#include "app/worker_protocol.h"
#include "app/win32/system_attempt.h"
#include "common/text.h"
#include "common/win32/unique.h"

namespace nubilux::win32 {

namespace {

constexpr DWORD kMaxOrderBytes = 64 * 1024;  // an order is a few hundred bytes

// The order file's text (UTF-8); empty when it cannot be read whole.
std::wstring ReadOrderFile(const std::wstring& path) {
    ::win32::UniqueFile file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                           FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size{};
    if (!file || !::GetFileSizeEx(file.get(), &size) || size.QuadPart <= 0 || size.QuadPart > kMaxOrderBytes) return {};
    std::string bytes(static_cast<std::size_t>(size.QuadPart), '\0');
    DWORD read = 0;
    if (!::ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) || read != bytes.size())
        return {};
    const int length = ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(), static_cast<int>(read),
                                             nullptr, 0);
    std::wstring text(static_cast<std::size_t>(length > 0 ? length : 0), L'\0');
    if (length > 0)
        ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(), static_cast<int>(read), text.data(), length);
    return text;
}

// News lines to the standard output, whole, from whichever thread has news.
class NewsOut {
public:
    void Send(const WorkerNews& news) {
        const std::wstring line = NewsLine(news) + L"\n";
        const int bytes = ::WideCharToMultiByte(CP_UTF8, 0, line.c_str(), static_cast<int>(line.size()), nullptr, 0,
                                                nullptr, nullptr);
        std::string text(static_cast<std::size_t>(bytes > 0 ? bytes : 0), '\0');
        ::WideCharToMultiByte(CP_UTF8, 0, line.c_str(), static_cast<int>(line.size()), text.data(), bytes, nullptr,
                              nullptr);
        const std::lock_guard<std::mutex> one(lock_);
        DWORD written = 0;
        ::WriteFile(::GetStdHandle(STD_OUTPUT_HANDLE), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    }

private:
    std::mutex lock_;
};

}  // namespace

bool IsWorkerCommand(const std::vector<std::wstring>& arguments) {
    return !arguments.empty() && suite::SameNoCase(arguments[0], L"/ATTEMPT");
}

int RunWorker(const std::vector<std::wstring>& arguments) {
    const auto order = arguments.size() == 2 ? ReadOrder(ReadOrderFile(arguments[1])) : std::nullopt;
    if (!order) return kWorkerBadOrder;
    NewsOut out;
    SystemAttempt attempt(*order, [&out](int state) { out.Send({WorkerNews::Kind::State, state}); });
    // Nubilux alone gives up: the worker goes on until it is ended, and says when it puts
    // its picture in place, from where it has its own time to finish.
    const AttemptEnd end = attempt.Run([&out] {
        out.Send({WorkerNews::Kind::Installing});
        return true;
    });
    out.Send({WorkerNews::Kind::Ended, 0, end});
    return 0;
}

}  // namespace nubilux::win32
