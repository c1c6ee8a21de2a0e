// Whose account a setup program runs under, and where another account's profile lies.
#pragma once

#include <optional>
#include <string>

namespace suite {

// Who runs a setup program, as against the user whose desktop is on the screen.
enum class Account { DesktopUser, OtherUser, System };

// What Windows tells of both: the program's own token, which can always be read, and
// the user signed in to its session, which works across accounts (another account's
// token does not: it needs a privilege an elevated administrator holds but not enabled).
struct AccountFacts {
    bool system = false;  // the token's user is the system account
    std::wstring user;    // the token's user, "DOMAIN\\name"; empty when it could not be named
    // The session's user, "DOMAIN\\name"; empty when no one is signed in; nothing when
    // it could not be asked.
    std::optional<std::wstring> sessionUser;
};

// The system account; the session's own user (names compared as Windows does, without
// regard to case); else another account, such as an administrator's typed in at the
// elevation prompt, or one with no one signed in. Nothing known: the session's user, as
// the setup programs always took it.
Account AccountOf(const AccountFacts& facts);

// A folder as a profile's registry names it ("%USERPROFILE%\\Desktop"), for that profile:
// its own folder and the machine's system drive put in. Nothing when another variable is
// in it, which would be the running account's, not the profile's.
std::optional<std::wstring> ProfileFolder(const std::wstring& named, const std::wstring& profile,
                                          const std::wstring& systemDrive);

}  // namespace suite
