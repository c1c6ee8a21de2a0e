// What a platform operation reports: success, or the platform's error number and its
// description (GetLastError or HRESULT with FormatMessage).
#pragma once

#include <string>

namespace suite {

struct Outcome {
    bool ok = true;
    unsigned long number = 0;
    std::wstring description;

    static Outcome Success() { return {}; }
    static Outcome Failure(unsigned long number, std::wstring description) {
        return {false, number, std::move(description)};
    }
    explicit operator bool() const { return ok; }
};

}  // namespace suite
