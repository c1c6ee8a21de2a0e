#include "install/win32/account.h"

#include <windows.h>

#include <wtsapi32.h>

#include <vector>

#include "common/win32/startup.h"
#include "common/win32/unique.h"

namespace install::win32 {

namespace {

// This process's own user, which can always be read; empty when it cannot.
std::vector<BYTE> OwnUser() {
    HANDLE raw = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &raw)) return {};
    const ::win32::UniqueHandle token(raw);
    DWORD size = 0;
    ::GetTokenInformation(token.get(), ::TokenUser, nullptr, 0, &size);
    std::vector<BYTE> user(size);
    if (size == 0 || !::GetTokenInformation(token.get(), ::TokenUser, user.data(), size, &size)) return {};
    return user;
}

// "DOMAIN\name" of an account; empty when it cannot be named.
std::wstring NameOf(PSID sid) {
    wchar_t name[256] = {}, domain[256] = {};
    DWORD nameSize = 256, domainSize = 256;
    SID_NAME_USE use{};
    if (!::LookupAccountSidW(nullptr, sid, name, &nameSize, domain, &domainSize, &use)) return {};
    return std::wstring(domain) + L"\\" + name;
}

// The user signed in to this process's session, "DOMAIN\name"; empty when no one is;
// nothing when the session cannot be asked. wtsapi32 is no KnownDLL: from system32.
std::optional<std::wstring> SessionUser() {
    const ::win32::UniqueModule wts = ::win32::LoadSystemLibrary(L"wtsapi32.dll");
    const auto query = ::win32::ProcAddress<decltype(&::WTSQuerySessionInformationW)>(wts.get(),
                                                                                     "WTSQuerySessionInformationW");
    const auto release = ::win32::ProcAddress<decltype(&::WTSFreeMemory)>(wts.get(), "WTSFreeMemory");
    if (!query || !release) return std::nullopt;
    const auto ask = [&](WTS_INFO_CLASS what) -> std::optional<std::wstring> {
        LPWSTR text = nullptr;
        DWORD bytes = 0;
        if (!query(WTS_CURRENT_SERVER_HANDLE, WTS_CURRENT_SESSION, what, &text, &bytes)) return std::nullopt;
        std::wstring value = text ? text : L"";
        release(text);
        return value;
    };
    const auto user = ask(WTSUserName), domain = ask(WTSDomainName);
    if (!user || !domain) return std::nullopt;
    return user->empty() ? L"" : *domain + L"\\" + *user;
}

}  // namespace

AccountFacts CurrentAccountFacts() {
    AccountFacts facts;
    std::vector<BYTE> own = OwnUser();
    if (!own.empty()) {
        const PSID sid = reinterpret_cast<TOKEN_USER*>(own.data())->User.Sid;
        facts.system = ::IsWellKnownSid(sid, WinLocalSystemSid);
        facts.user = NameOf(sid);
    }
    facts.sessionUser = SessionUser();
    return facts;
}

}  // namespace install::win32
