#include "common/account.h"

#include "common/text.h"

namespace suite {

Account AccountOf(const AccountFacts& facts) {
    if (facts.system) return Account::System;
    if (!facts.sessionUser || facts.user.empty()) return Account::DesktopUser;
    return suite::SameNoCase(*facts.sessionUser, facts.user) ? Account::DesktopUser : Account::OtherUser;
}

std::optional<std::wstring> ProfileFolder(const std::wstring& named, const std::wstring& profile,
                                          const std::wstring& systemDrive) {
    std::wstring folder;
    for (std::size_t at = 0; at < named.size();) {
        if (named[at] != L'%') {
            folder += named[at++];
            continue;
        }
        const std::size_t end = named.find(L'%', at + 1);
        if (end == std::wstring::npos) return std::nullopt;
        const std::wstring variable = named.substr(at + 1, end - at - 1);
        if (SameNoCase(variable, L"USERPROFILE") && !profile.empty())
            folder += profile;
        else if (SameNoCase(variable, L"SystemDrive") && !systemDrive.empty())
            folder += systemDrive;
        else
            return std::nullopt;
        at = end + 1;
    }
    return folder;
}

}  // namespace suite
