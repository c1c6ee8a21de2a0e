// The hourly rule of Automatic mode, checked once a second.
#pragma once

#include <string>

namespace nubilux {

// "00" to "23".
std::wstring FormatHour(int hour);

class HourlyRule {
public:
    // One tick at the given hour of the day: true when an update is due. The hour is
    // stored before the update starts, so ticks during it find nothing to do.
    bool Timer1_Timer(int hour);
    const std::wstring& Ultima_Ora() const { return ultimaOra_; }

private:
    std::wstring ultimaOra_;  // empty until the first automatic update of the run
};

}  // namespace nubilux
