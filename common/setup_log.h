// Setup.LOG lines: "yyyy/mm/dd-hh:nn:ss - text".
#pragma once

#include <string>

#include "common/outcome.h"
#include "common/text.h"

namespace suite {

inline constexpr wchar_t kLogFile[] = L"Setup.LOG";

struct LocalTime {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

// One log line without its line end. The separators are the user's regional date and
// time separators ("/" and ":" in most).
std::wstring FormatLogLine(const LocalTime& time, const std::wstring& dateSeparator,
                           const std::wstring& timeSeparator, const std::wstring& text);

// A failure as the log tells it: "Errore: 5-Accesso negato."
inline std::wstring ErrorLine(const Outcome& outcome) {
    return L"Errore: " + suite::Decimal(outcome.number) + L"-" + outcome.description;
}

}  // namespace suite
