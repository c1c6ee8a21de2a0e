#include "common/win32/error.h"

#include <string>

#include "common/text.h"

namespace win32 {

suite::Outcome Failure(DWORD error) {
    wchar_t* text = nullptr;
    const DWORD n = ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                         FORMAT_MESSAGE_IGNORE_INSERTS,
                                     nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring description = n ? std::wstring(text, n) : L"Errore " + suite::Decimal(error);
    ::LocalFree(text);
    while (!description.empty() && (description.back() == L'\n' || description.back() == L'\r' ||
                                    description.back() == L' '))
        description.pop_back();
    return suite::Outcome::Failure(error, description);
}

}  // namespace win32
