#include "common/setup_log.h"

namespace suite {

namespace {

std::wstring Digits(int value, std::size_t width) {
    std::wstring text = suite::Decimal(value);
    if (text.size() < width) text.insert(0, width - text.size(), L'0');
    return text;
}

}  // namespace

std::wstring FormatLogLine(const LocalTime& t, const std::wstring& dateSeparator,
                           const std::wstring& timeSeparator, const std::wstring& text) {
    return Digits(t.year, 4) + dateSeparator + Digits(t.month, 2) + dateSeparator + Digits(t.day, 2) + L"-" +
           Digits(t.hour, 2) + timeSeparator + Digits(t.minute, 2) + timeSeparator + Digits(t.second, 2) +
           L" - " + text;
}

}  // namespace suite
