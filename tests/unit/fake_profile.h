// An in-memory private-profile reader that remembers every key it was asked for.
#pragma once

#include <algorithm>
#include <cwctype>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "common/profile.h"

namespace test {

class FakeProfileStore : public suite::ProfileStore {
public:
    void Set(const std::wstring& file, const std::wstring& section, const std::wstring& key,
             const std::wstring& value) {
        values_[{file, Lower(section), Lower(key)}] = value;
    }

    std::wstring Read(const std::wstring& file, const std::wstring& section,
                      const std::wstring& key) const override {
        asked_.push_back(key);
        const auto it = values_.find({file, Lower(section), Lower(key)});
        if (it == values_.end()) return L"";
        return it->second.substr(0, suite::kProfileBufferChars - 1);
    }

    const std::vector<std::wstring>& Asked() const { return asked_; }

private:
    static std::wstring Lower(std::wstring s) {
        std::transform(s.begin(), s.end(), s.begin(), [](wchar_t c) { return std::towlower(c); });
        return s;
    }
    std::map<std::tuple<std::wstring, std::wstring, std::wstring>, std::wstring> values_;
    mutable std::vector<std::wstring> asked_;
};

}  // namespace test
