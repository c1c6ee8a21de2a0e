// The platform's private-profile reader behind suite::ProfileStore.
#pragma once

#include "common/profile.h"

namespace win32 {

class ProfileStore final : public suite::ProfileStore {
public:
    std::wstring Read(const std::wstring& file, const std::wstring& section,
                      const std::wstring& key) const override;
};

}  // namespace win32
