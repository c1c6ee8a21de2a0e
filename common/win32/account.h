// Who runs a setup program, as against the user whose desktop is on the screen, and that
// user's profile as another account sees it.
#pragma once

#include <optional>
#include <string>

#include "common/account.h"
#include "common/win32/unique.h"

namespace win32 {

// What Windows tells of the program's own account and of the user signed in to its
// session; suite::AccountOf decides from them.
suite::AccountFacts CurrentAccountFacts();

// A signed-in user's profile as another account (an administrator's) reaches it: the
// registry hive Windows keeps loaded for them under HKEY_USERS, and their own folders.
struct UserProfile {
    UniqueKey hive;  // HKEY_USERS\<their SID>: for writing too where this account may
    std::wstring programs, startup, desktop, localAppData;
};

// account: "DOMAIN\name". Nothing when it cannot be named, its hive is not loaded, or
// one of its folders cannot be told.
std::optional<UserProfile> ProfileOf(const std::wstring& account);

}  // namespace win32
