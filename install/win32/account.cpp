#include "install/win32/account.h"

#include <windows.h>

#include <vector>

#include "common/win32/unique.h"

namespace install::win32 {

namespace {

// The user a process's token stands for; empty when it cannot be read.
std::vector<BYTE> TokenUser(HANDLE process) {
    HANDLE raw = nullptr;
    if (!::OpenProcessToken(process, TOKEN_QUERY, &raw)) return {};
    const ::win32::UniqueHandle token(raw);
    DWORD size = 0;
    ::GetTokenInformation(token.get(), ::TokenUser, nullptr, 0, &size);
    std::vector<BYTE> user(size);
    if (size == 0 || !::GetTokenInformation(token.get(), ::TokenUser, user.data(), size, &size)) return {};
    return user;
}

PSID SidOf(std::vector<BYTE>& user) { return reinterpret_cast<TOKEN_USER*>(user.data())->User.Sid; }

}  // namespace

Account CurrentAccount() {
    std::vector<BYTE> own = TokenUser(::GetCurrentProcess());
    if (own.empty()) return Account::DesktopUser;  // nothing known: as ever
    if (::IsWellKnownSid(SidOf(own), WinLocalSystemSid)) return Account::System;
    // The desktop belongs to the user whose shell draws it.
    DWORD shellProcess = 0;
    const HWND shell = ::GetShellWindow();
    if (!shell || !::GetWindowThreadProcessId(shell, &shellProcess)) return Account::DesktopUser;
    const ::win32::UniqueHandle process(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, shellProcess));
    if (!process) return Account::DesktopUser;
    std::vector<BYTE> desktop = TokenUser(process.get());
    if (desktop.empty()) return Account::DesktopUser;
    return ::EqualSid(SidOf(own), SidOf(desktop)) ? Account::DesktopUser : Account::OtherUser;
}

}  // namespace install::win32
