#include "common/win32/setup_log.h"

#include <windows.h>

#include "common/setup_log.h"
#include "common/win32/ansi.h"
#include "common/win32/error.h"
#include "common/win32/unique.h"

namespace win32 {

namespace {

std::wstring LocaleText(LCTYPE type, const wchar_t* fallback) {
    wchar_t text[8] = {};
    return ::GetLocaleInfoW(LOCALE_USER_DEFAULT, type, text, 8) > 1 ? text : fallback;
}

}  // namespace

suite::Outcome AppendLogLine(const std::wstring& file, const std::wstring& text) {
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    const std::wstring line =
        suite::FormatLogLine({now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond},
                             LocaleText(LOCALE_SDATE, L"/"), LocaleText(LOCALE_STIME, L":"), text) +
        L"\r\n";
    const std::string bytes = ToAnsi(line);
    UniqueFile log(::CreateFileW(file.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!log) return LastError();
    DWORD written = 0;
    if (!::WriteFile(log.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr)) return LastError();
    return suite::Outcome::Success();
}

std::wstring TemporaryLogFile() {
    wchar_t temp[MAX_PATH + 1];
    const DWORD n = ::GetTempPathW(MAX_PATH + 1, temp);
    return n == 0 || n > MAX_PATH ? L"" : std::wstring(temp, n) + suite::kLogFile;
}

void SetupLogFile::Write(const std::wstring& text) {
    const suite::Outcome written = AppendLogLine(file_, text);
    if (written || moved_) return;
    moved_ = true;
    const std::wstring refused = file_;
    file_ = TemporaryLogFile();
    if (AppendLogLine(file_, suite::ErrorLine(written) + L" " + refused)) AppendLogLine(file_, text);
}

}  // namespace win32
