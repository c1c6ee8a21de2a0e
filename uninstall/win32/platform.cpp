#include "uninstall/win32/platform.h"

#include <windows.h>

#include <cwchar>
#include <vector>

#include "common/win32/ansi.h"
#include "common/win32/error.h"
#include "common/win32/files.h"
#include "common/win32/nubilux_window.h"
#include "common/win32/startup.h"
#include "common/win32/unique.h"

namespace uninstall::win32 {

// Where the installer deployed it, and nowhere else.
suite::Outcome Platform::RemoveShortcut(const std::wstring& folder, const std::wstring& name) {
    return shortcuts_.Remove(folder, name);
}

namespace {

// This user's record of removals: one value an installation, named after it.
constexpr wchar_t kRecordKey[] = L"Software\\Quintaris\\Uninstall";

}  // namespace

bool Platform::WasRemoved(const std::wstring& installation) {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(userRoot_, kRecordKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return false;
    const bool found = ::RegQueryValueExW(key, installation.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
    ::RegCloseKey(key);
    return found;
}

void Platform::RecordRemoval(const std::wstring& installation) {
    HKEY key = nullptr;
    if (::RegCreateKeyExW(userRoot_, kRecordKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return;
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    wchar_t when[32] = {};
    ::GetDateFormatEx(LOCALE_NAME_INVARIANT, 0, &now, L"yyyy'-'MM'-'dd", when, 32, nullptr);
    ::RegSetValueExW(key, installation.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(when),
                     static_cast<DWORD>((std::wcslen(when) + 1) * sizeof(wchar_t)));
    ::RegCloseKey(key);
}

suite::Outcome Platform::RemoveFolder(const std::wstring& path) {
    return ::win32::Check(::RemoveDirectoryW(path.c_str()));
}

bool Platform::IsFolder(const std::wstring& path) { return ::win32::IsFolder(path); }

namespace {

constexpr DWORD kEndWaitMs = 5000;  // as long as Windows gives a program at the end of a session

// The full path of the program a process runs; empty when it cannot be told.
std::wstring ImageOf(HANDLE process) {
    wchar_t path[MAX_PATH * 2] = {};
    DWORD size = MAX_PATH * 2;
    return ::QueryFullProcessImageNameW(process, 0, path, &size) ? std::wstring(path, size) : L"";
}

}  // namespace

bool Platform::EndProgram(const std::wstring& path) {
    std::vector<::win32::UniqueHandle> asked;
    for (HWND window = ::FindWindowExW(nullptr, nullptr, ::win32::kNubiluxWindowClass, nullptr); window;
         window = ::FindWindowExW(nullptr, window, ::win32::kNubiluxWindowClass, nullptr)) {
        DWORD id = 0;
        ::GetWindowThreadProcessId(window, &id);
        ::win32::UniqueHandle process(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE, FALSE, id));
        // Only this installation's: a copy started from another folder is another's.
        if (!process || ::CompareStringOrdinal(ImageOf(process.get()).c_str(), -1, path.c_str(), -1, TRUE) != CSTR_EQUAL)
            continue;
        ::PostMessageW(window, ::win32::NubiluxEndMessage(), 0, 0);
        asked.push_back(std::move(process));
    }
    const ULONGLONG end = ::GetTickCount64() + kEndWaitMs;
    for (const auto& process : asked) {
        const ULONGLONG now = ::GetTickCount64();
        if (::WaitForSingleObject(process.get(), now < end ? static_cast<DWORD>(end - now) : 0) != WAIT_OBJECT_0)
            return false;
    }
    return true;
}

}  // namespace uninstall::win32
