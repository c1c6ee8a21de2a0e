// The platform's private-profile reader behind suite::ProfileStore. A file in UTF-8
// without a byte-order mark (EncodingOf) is read through a marked UTF-16 copy in the
// temporary folder, made once per file for the life of the store.
#pragma once

#include <map>
#include <string>

#include "common/profile.h"

namespace win32 {

class ProfileStore final : public suite::ProfileStore {
public:
    ProfileStore() = default;
    ~ProfileStore() override;
    ProfileStore(const ProfileStore&) = delete;
    ProfileStore& operator=(const ProfileStore&) = delete;

    std::wstring Read(const std::wstring& file, const std::wstring& section,
                      const std::wstring& key) const override;

private:
    // The file the platform's reader is to read for `file`: the file itself, or its copy.
    const std::wstring& Readable(const std::wstring& file) const;

    mutable std::map<std::wstring, std::wstring> readable_;  // by file; copies differ from their key
};

}  // namespace win32
