// The download's states as the status fields show them.
#pragma once

#include <optional>
#include <string>

#include "app/attempt.h"

namespace nubilux {

inline constexpr int kStateRequestSent = 6;
inline constexpr int kStateError = 11;
inline constexpr int kStateResponseCompleted = 12;

struct StateTexts {
    const wchar_t* name;
    const wchar_t* description;
};

// The name and Italian description of states 0 to 12; nothing for any other number.
std::optional<StateTexts> DescribeState(int state);

// The menu's and the tooltip's line after a failed update: "Last update failed at 10:00:
// no connection; next try 10:02", without the next try when none is planned.
std::wstring FailureLine(const std::wstring& at, Reason reason, const std::wstring& nextTry);

}  // namespace nubilux
