#include "common/win32/account.h"

#include <windows.h>

#include <wtsapi32.h>

#include <sddl.h>

#include <vector>

#include "common/win32/startup.h"
#include "common/win32/unique.h"

namespace win32 {

namespace {

// This process's own user, which can always be read; empty when it cannot.
std::vector<BYTE> OwnUser() {
    HANDLE raw = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &raw)) return {};
    const UniqueHandle token(raw);
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
    const UniqueModule wts = LoadSystemLibrary(L"wtsapi32.dll");
    const auto query =
        ProcAddress<decltype(&::WTSQuerySessionInformationW)>(wts.get(), "WTSQuerySessionInformationW");
    const auto release = ProcAddress<decltype(&::WTSFreeMemory)>(wts.get(), "WTSFreeMemory");
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

// A string value of an open key, REG_SZ or REG_EXPAND_SZ, as stored; nothing when missing.
std::optional<std::wstring> StringValue(HKEY key, const wchar_t* subkey, const wchar_t* name) {
    DWORD type = 0, bytes = 0;
    if (::RegGetValueW(key, subkey, name, RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND, &type, nullptr,
                       &bytes) != ERROR_SUCCESS)
        return std::nullopt;
    std::wstring value(bytes / sizeof(wchar_t) + 1, L'\0');
    if (::RegGetValueW(key, subkey, name, RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND, &type, value.data(),
                       &bytes) != ERROR_SUCCESS)
        return std::nullopt;
    value.resize(value.find(L'\0'));
    return value;
}

// The account's security identifier as text ("S-1-5-21-..."); empty when it cannot be named.
std::wstring SidText(const std::wstring& account) {
    BYTE sid[SECURITY_MAX_SID_SIZE] = {};
    DWORD sidSize = sizeof sid;
    wchar_t domain[256] = {};
    DWORD domainSize = 256;
    SID_NAME_USE use{};
    if (!::LookupAccountNameW(nullptr, account.c_str(), sid, &sidSize, domain, &domainSize, &use)) return {};
    LPWSTR text = nullptr;
    if (!::ConvertSidToStringSidW(sid, &text)) return {};
    std::wstring value = text;
    ::LocalFree(text);
    return value;
}

}  // namespace

std::optional<UserProfile> ProfileOf(const std::wstring& account) {
    const std::wstring sid = SidText(account);
    if (sid.empty()) return std::nullopt;
    UserProfile profile;
    // Their folders as their shell names them; the folder of the profile itself from the
    // machine's list of profiles, which is where %USERPROFILE% comes from at their logon.
    const auto home = StringValue(HKEY_LOCAL_MACHINE,
                                  (L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList\\" + sid).c_str(),
                                  L"ProfileImagePath");
    wchar_t drive[MAX_PATH] = {};
    ::GetEnvironmentVariableW(L"SystemDrive", drive, MAX_PATH);
    const auto profileFolder = home ? suite::ProfileFolder(*home, L"", drive) : std::nullopt;
    if (!profileFolder) return std::nullopt;
    for (const REGSAM access : {KEY_READ | KEY_WRITE, KEY_READ}) {
        if (::RegOpenKeyExW(HKEY_USERS, sid.c_str(), 0, access, profile.hive.put()) == ERROR_SUCCESS) break;
    }
    if (!profile.hive) return std::nullopt;
    const wchar_t* const shellFolders = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
    const auto folder = [&](const wchar_t* name) -> std::optional<std::wstring> {
        const auto named = StringValue(profile.hive.get(), shellFolders, name);
        return named ? suite::ProfileFolder(*named, *profileFolder, drive) : std::nullopt;
    };
    const auto programs = folder(L"Programs"), startup = folder(L"Startup"), desktop = folder(L"Desktop"),
               local = folder(L"Local AppData");
    if (!programs || !startup || !desktop || !local) return std::nullopt;
    profile.programs = *programs;
    profile.startup = *startup;
    profile.desktop = *desktop;
    profile.localAppData = *local;
    return profile;
}

suite::AccountFacts CurrentAccountFacts() {
    suite::AccountFacts facts;
    std::vector<BYTE> own = OwnUser();
    if (!own.empty()) {
        const PSID sid = reinterpret_cast<TOKEN_USER*>(own.data())->User.Sid;
        facts.system = ::IsWellKnownSid(sid, WinLocalSystemSid);
        facts.user = NameOf(sid);
    }
    facts.sessionUser = SessionUser();
    return facts;
}

}  // namespace win32
