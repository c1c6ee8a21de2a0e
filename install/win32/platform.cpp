#include "install/win32/platform.h"

#include <windows.h>

#include <vector>

#include "common/text.h"
#include "common/setup_log.h"
#include "common/win32/ansi.h"
#include "common/win32/error.h"
#include "common/win32/files.h"
#include "common/win32/setup_log.h"
#include "common/win32/startup.h"
#include "common/win32/unique.h"
#include "install/description.h"

namespace install::win32 {

using ::win32::Check;
using ::win32::LastError;

namespace {

// A library of ours or a component, by full path; what it needs comes from its own
// folder and system32, never from the installer's.
::win32::UniqueModule LoadByPath(const std::wstring& path) {
    ::win32::UniqueModule module(
        ::LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32));
    if (!module && ::GetLastError() == ERROR_INVALID_PARAMETER)  // a loader without those flags
        module.reset(::LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
    return module;
}

}  // namespace

Platform::Platform(const std::wstring& logFile) : logFile_(logFile) {}

bool Platform::MoveLog() {
    logFile_ = ::win32::TemporaryLogFile();
    return !logFile_.empty();
}

suite::Outcome Platform::Scrivi_Log(const std::wstring& text) { return ::win32::AppendLogLine(logFile_, text); }

std::optional<FileVersion> Platform::ReadFileVersion(const std::wstring& path) {
    const ::win32::UniqueModule version = ::win32::LoadSystemLibrary(L"version.dll");
    if (!version) return std::nullopt;
    const auto size = ::win32::ProcAddress<decltype(&::GetFileVersionInfoSizeW)>(version.get(), "GetFileVersionInfoSizeW");
    const auto read = ::win32::ProcAddress<decltype(&::GetFileVersionInfoW)>(version.get(), "GetFileVersionInfoW");
    const auto query = ::win32::ProcAddress<decltype(&::VerQueryValueW)>(version.get(), "VerQueryValueW");
    if (!size || !read || !query) return std::nullopt;

    DWORD ignored = 0;
    const DWORD bytes = size(path.c_str(), &ignored);
    if (bytes == 0) return std::nullopt;
    std::vector<unsigned char> data(bytes);
    if (!read(path.c_str(), 0, bytes, data.data())) return std::nullopt;
    void* block = nullptr;
    UINT length = 0;
    // Version data without a valid fixed record counts as none.
    if (!query(data.data(), L"\\", &block, &length) || length < sizeof(VS_FIXEDFILEINFO)) return std::nullopt;
    const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(block);
    if (fixed->dwSignature != 0xFEEF04BD) return std::nullopt;
    return FileVersion{fixed->dwFileVersionMS, fixed->dwFileVersionLS};
}

suite::Outcome Platform::CopyOver(const std::wstring& from, const std::wstring& to) {
    // Copied beside the destination under a temporary name, then moved over it in one
    // step: a failed copy never leaves a half-written file nor touches the old one.
    const auto slash = to.rfind(L'\\');
    const std::wstring folder = slash == std::wstring::npos ? L"." : to.substr(0, slash);
    wchar_t temporary[MAX_PATH];
    if (!::GetTempFileNameW(folder.c_str(), L"stp", 0, temporary)) return LastError();
    if (!::CopyFileW(from.c_str(), temporary, FALSE) ||
        !::MoveFileExW(temporary, to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        const suite::Outcome failure = LastError();
        ::DeleteFileW(temporary);
        return failure;
    }
    return suite::Outcome::Success();
}

suite::Outcome Platform::ListEntries(const std::wstring& parent, const std::wstring& name,
                                     std::vector<Entry>& entries) {
    WIN32_FIND_DATAW found;
    ::win32::UniqueFind find(::FindFirstFileW(suite::JoinPath(parent, name).c_str(), &found));
    if (!find) {
        const DWORD error = ::GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? suite::Outcome::Success()
                                                                              : ::win32::Failure(error);
    }
    do {
        entries.push_back({found.cFileName, (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
    } while (::FindNextFileW(find.get(), &found));
    return suite::Outcome::Success();
}

suite::Outcome Platform::CreateFolder(const std::wstring& path) {
    return Check(::CreateDirectoryW(path.c_str(), nullptr));
}

bool Platform::IsFolder(const std::wstring& path) { return ::win32::IsFolder(path); }

suite::Outcome Platform::SetCurrentFolder(const std::wstring& path) {
    return Check(::SetCurrentDirectoryW(path.c_str()));
}

suite::Outcome Platform::CallEntry(const std::wstring& libraryPath, const char* entry, const char* standardEntry) {
    const ::win32::UniqueModule library = LoadByPath(libraryPath);
    if (!library) return LastError();
    using EntryFn = LONG(WINAPI*)();
    auto call = ::win32::ProcAddress<EntryFn>(library.get(), entry);
    if (!call) call = ::win32::ProcAddress<EntryFn>(library.get(), standardEntry);
    if (!call) return ::win32::Failure(ERROR_PROC_NOT_FOUND);
    call();  // what it returns is the component's own affair
    return suite::Outcome::Success();
}

// Deployed into system32 just before the first, and looked for nowhere else.
suite::Outcome Platform::CreateShortcut(const std::wstring& folder, const std::wstring& name,
                                        const std::wstring& target) {
    return shortcuts_.Create(folder, name, target);
}

suite::Outcome Platform::RemoveShortcut(const std::wstring& folder, const std::wstring& name) {
    return shortcuts_.Remove(folder, name);
}

suite::Outcome Platform::RemoveFolder(const std::wstring& path) { return ::win32::Check(::RemoveDirectoryW(path.c_str())); }

std::uint64_t Platform::FolderBytes(const std::wstring& path) {
    std::uint64_t bytes = 0;
    WIN32_FIND_DATAW found;
    ::win32::UniqueFind search(::FindFirstFileW((path + L"\\*").c_str(), &found));
    if (!search) return 0;
    do {
        const std::wstring name = found.cFileName;
        if (name == L"." || name == L"..") continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) continue;  // not ours to count
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            bytes += FolderBytes(path + L"\\" + name);
        else
            bytes += static_cast<std::uint64_t>(found.nFileSizeHigh) << 32 | found.nFileSizeLow;
    } while (::FindNextFileW(search.get(), &found));
    return bytes;
}

}  // namespace install::win32
