#include "app/hourly.h"

namespace nubilux {

std::wstring FormatHour(int hour) {
    std::wstring text = std::to_wstring(hour);
    return text.size() < 2 ? L"0" + text : text;
}

bool HourlyRule::Timer1_Timer(int hour) {
    const std::wstring now = FormatHour(hour);
    if (now == ultimaOra_) return false;
    ultimaOra_ = now;
    return true;
}

}  // namespace nubilux
