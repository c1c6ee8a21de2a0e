#include "common/win32/elevation.h"

#include <shellapi.h>

#include "common/win32/error.h"
#include "common/win32/unique.h"

namespace win32 {

bool IsElevated() {
    HANDLE raw = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &raw)) return false;
    const UniqueHandle token(raw);
    TOKEN_ELEVATION elevation{};
    DWORD size = 0;
    return ::GetTokenInformation(token.get(), TokenElevation, &elevation, sizeof elevation, &size) &&
           elevation.TokenIsElevated;
}

suite::Outcome RunElevated(const std::wstring& program, const std::wstring& arguments, DWORD& exitCode) {
    SHELLEXECUTEINFOW run{};
    run.cbSize = sizeof run;
    run.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
    run.lpVerb = L"runas";
    run.lpFile = program.c_str();
    run.lpParameters = arguments.c_str();
    run.nShow = SW_SHOWNORMAL;
    if (!::ShellExecuteExW(&run)) return LastError();
    if (!run.hProcess) return Failure(ERROR_INVALID_HANDLE);
    const UniqueHandle process(run.hProcess);
    if (::WaitForSingleObject(process.get(), INFINITE) != WAIT_OBJECT_0 || !::GetExitCodeProcess(process.get(), &exitCode))
        return LastError();
    return suite::Outcome::Success();
}

}  // namespace win32
