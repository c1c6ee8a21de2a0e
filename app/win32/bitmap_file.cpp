#include "app/win32/bitmap_file.h"

#include <windows.h>

#include <algorithm>
#include <vector>

#include "app/worker_protocol.h"
#include "common/text.h"
#include "common/win32/unique.h"

namespace nubilux::win32 {

namespace {

// The rows written bottom row first, in chunks of about a megabyte, and flushed.
bool WriteRows(HANDLE file, const Canvas& canvas) {
    const auto put = [&](const void* data, std::size_t size) {
        DWORD written = 0;
        return ::WriteFile(file, data, static_cast<DWORD>(size), &written, nullptr) && written == size;
    };
    const std::string header = BmpHeader(canvas.width, canvas.height);
    if (!put(header.data(), header.size())) return false;
    const std::size_t stride = canvas.Stride();
    const std::size_t rowsAtOnce = std::max<std::size_t>(1, (1u << 20) / stride);
    std::vector<std::uint8_t> chunk;
    chunk.reserve(rowsAtOnce * stride);
    for (std::uint32_t y = canvas.height; y-- > 0;) {
        const auto row = canvas.rows.begin() + static_cast<std::ptrdiff_t>(y * stride);
        chunk.insert(chunk.end(), row, row + static_cast<std::ptrdiff_t>(stride));
        if (chunk.size() + stride > chunk.capacity() || y == 0) {
            if (!put(chunk.data(), chunk.size())) return false;
            chunk.clear();
        }
    }
    return ::FlushFileBuffers(file) != FALSE;
}

}  // namespace

Reason ReasonForFileError(DWORD code) {
    return code == ERROR_DISK_FULL || code == ERROR_HANDLE_DISK_FULL ? Reason::DiskFull : Reason::CannotSave;
}

std::wstring WriteTemporaryBitmap(const std::wstring& folder, const Canvas& canvas, Reason& why) {
    // The process's own name: a file left by one that died is found by it (and by the
    // clean-up at start), and a worker's own earlier one is simply written over.
    const std::wstring path = suite::JoinPath(folder, WorkerTemporaryName(::GetCurrentProcessId()));
    DWORD error = ERROR_SUCCESS;
    {
        ::win32::UniqueFile file(
            ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) {
            why = ReasonForFileError(::GetLastError());
            return L"";
        }
        if (!WriteRows(file.get(), canvas)) error = std::max<DWORD>(::GetLastError(), ERROR_WRITE_FAULT);
    }
    if (error == ERROR_SUCCESS) return path;
    ::DeleteFileW(path.c_str());
    why = ReasonForFileError(error);
    return L"";
}

bool ReplaceWith(const std::wstring& temporary, const std::wstring& target, Reason& why) {
    if (::MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
    why = ReasonForFileError(::GetLastError());
    return false;
}

}  // namespace nubilux::win32
