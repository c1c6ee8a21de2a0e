#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <windows.h>

#include <sddl.h>

#include <regex>

#include "common/win32/unique.h"
#include "fixtures.h"
#include "common/win32/account.h"
#include "common/win32/special_folder.h"
#include "install/win32/platform.h"
#include "install/win32/setup_lock.h"
#include "temp_folder.h"

namespace {

using ::testing::ElementsAre;
using ::testing::UnorderedElementsAre;

class InstallPlatform : public ::testing::Test {
protected:
    test::TempFolder folder;
    install::win32::Platform platform{folder.Path() + L"\\Setup.LOG"};
    std::wstring In(const std::wstring& name) const { return folder.Path() + L"\\" + name; }
};

TEST_F(InstallPlatform, VersionIsReadFromTheVersionResource) {
    const auto version = platform.ReadFileVersion(test::Fixture(L"table_6_0_81_69.dll"));
    ASSERT_TRUE(version);
    EXPECT_EQ(install::FormatVersion(*version), L"6.0.81.69");
    EXPECT_FALSE(platform.ReadFileVersion(test::Fixture(L"table_noversion.dll")));
    EXPECT_FALSE(platform.ReadFileVersion(In(L"missing.dll")));
    folder.WriteBytes(L"text.dll", "not a program");
    EXPECT_FALSE(platform.ReadFileVersion(In(L"text.dll")));
}

TEST_F(InstallPlatform, LogLinesAreAppendedInTheAnsiCodePageWithTimeStamps) {
    ASSERT_TRUE(platform.Scrivi_Log(L"copy a b"));
    ASSERT_TRUE(platform.Scrivi_Log(L"Gi\u00e0 fatto"));
    const std::string log = folder.ReadBytes(L"Setup.LOG");
    const std::regex lines(R"((\d{4}/\d{2}/\d{2}-\d{2}:\d{2}:\d{2}) - copy a b\r\n(\d{4}/\d{2}/\d{2}-\d{2}:\d{2}:\d{2}) - )"
                           "Gi\xe0 fatto\r\n");
    std::smatch match;
    ASSERT_TRUE(std::regex_match(log, match, lines)) << log;
    EXPECT_LE(match[1].str(), match[2].str());
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    EXPECT_EQ(std::stoi(match[1].str().substr(0, 4)), now.wYear);
}

TEST_F(InstallPlatform, LogThatCannotBeOpenedReportsTheFailure) {
    folder.Sub(L"Setup.LOG");  // a folder where the log should be
    const auto outcome = platform.Scrivi_Log(L"x");
    EXPECT_FALSE(outcome);
    EXPECT_NE(outcome.number, 0u);
    EXPECT_FALSE(outcome.description.empty());
}

TEST_F(InstallPlatform, CopyReplacesInOneStepAndLeavesNothingBehindOnFailure) {
    folder.WriteBytes(L"new.dll", "new contents");
    folder.WriteBytes(L"old.dll", "old");
    ASSERT_TRUE(platform.CopyOver(In(L"new.dll"), In(L"old.dll")));
    EXPECT_EQ(folder.ReadBytes(L"old.dll"), "new contents");

    const auto missing = platform.CopyOver(In(L"absent.dll"), In(L"old.dll"));
    EXPECT_FALSE(missing);
    EXPECT_EQ(missing.number, static_cast<unsigned long>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(folder.ReadBytes(L"old.dll"), "new contents");
    EXPECT_THAT(folder.Names(), UnorderedElementsAre(L"new.dll", L"old.dll"));
}

TEST_F(InstallPlatform, DestinationInUseStaysAsItWas) {
    folder.WriteBytes(L"new.dll", "new contents");
    ASSERT_TRUE(test::CopyInto(test::Fixture(L"table_6_0_9_0.dll"), In(L"busy.dll")));
    const std::string before = folder.ReadBytes(L"busy.dll");
    {
        win32::UniqueModule loaded(::LoadLibraryW(In(L"busy.dll").c_str()));
        ASSERT_TRUE(loaded);
        const auto outcome = platform.CopyOver(In(L"new.dll"), In(L"busy.dll"));
        EXPECT_FALSE(outcome);
        EXPECT_EQ(outcome.number, static_cast<unsigned long>(ERROR_ACCESS_DENIED));
    }
    EXPECT_EQ(folder.ReadBytes(L"busy.dll"), before);
    EXPECT_THAT(folder.Names(), UnorderedElementsAre(L"new.dll", L"busy.dll"));
}

TEST_F(InstallPlatform, EntriesAreListedAsTheFileSystemNamesThem) {
    std::vector<install::Platform::Entry> entries;
    ASSERT_TRUE(platform.ListEntries(folder.Path(), L"backup", entries));
    EXPECT_TRUE(entries.empty());
    folder.Sub(L"Backup");
    ASSERT_TRUE(platform.ListEntries(folder.Path(), L"backup", entries));
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].name, L"Backup");
    EXPECT_TRUE(entries[0].folder);
    EXPECT_TRUE(platform.IsFolder(In(L"BACKUP")));
    EXPECT_FALSE(platform.CreateFolder(In(L"backup")));  // exists, whatever the case
}

TEST_F(InstallPlatform, EntriesAreCalledByFullPathWithTheStandardEntryAsFallback) {
    const std::wstring trace = In(L"trace.txt");
    ::SetEnvironmentVariableW(L"COMPONENT_TRACE", trace.c_str());
    const std::wstring system = folder.Sub(L"sys");
    ASSERT_TRUE(test::CopyInto(test::Fixture(L"table_6_0_81_69.dll"), system + L"\\TABCTL32.OCX"));
    ASSERT_TRUE(test::CopyInto(test::Fixture(L"standard_1_0_0_0.dll"), system + L"\\MSINET.OCX"));
    ASSERT_TRUE(test::CopyInto(test::Fixture(L"bare_1_0_0_0.dll"), system + L"\\FLASH.OCX"));
    ASSERT_TRUE(platform.SetCurrentFolder(system));

    EXPECT_TRUE(platform.CallEntry(system + L"\\TABCTL32.OCX", "RegisterTABCTL32", "DllRegisterServer"));
    EXPECT_TRUE(platform.CallEntry(system + L"\\MSINET.OCX", "RegisterMSINET", "DllRegisterServer"));
    const auto none = platform.CallEntry(system + L"\\FLASH.OCX", "RegisterFLASH", "DllRegisterServer");
    EXPECT_EQ(none.number, static_cast<unsigned long>(ERROR_PROC_NOT_FOUND));
    EXPECT_FALSE(platform.CallEntry(system + L"\\MISSING.OCX", "RegisterX", "DllRegisterServer"));
    ::SetEnvironmentVariableW(L"COMPONENT_TRACE", nullptr);
    ::SetCurrentDirectoryW(folder.Path().c_str());

    EXPECT_EQ(folder.ReadBytes(L"trace.txt"),
              test::TraceLine("RegisterTABCTL32", system) + test::TraceLine("DllRegisterServer", system));
}

// A lock made by another account that lets no one else open it (the system account of a
// deployment tool, as CreateMutexW's documentation has it: ERROR_ACCESS_DENIED and no
// handle) is an installation running; the installer's own lock lets the next one see it.
TEST(SetupLock, AnInstallationUnderAnotherAccountIsSeenRunning) {
    PSECURITY_DESCRIPTOR systemOnly = nullptr;
    ASSERT_TRUE(::ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:(A;;GA;;;SY)", SDDL_REVISION_1, &systemOnly,
                                                                       nullptr));
    SECURITY_ATTRIBUTES attributes{sizeof attributes, systemOnly, FALSE};
    win32::UniqueHandle others(::CreateMutexW(&attributes, FALSE, L"Global\\QuintarisSetup"));
    ::LocalFree(systemOnly);
    ASSERT_TRUE(others);
    bool anotherRuns = false;
    EXPECT_FALSE(install::win32::TakeSetupLock(anotherRuns));
    EXPECT_TRUE(anotherRuns);
    others.reset();

    const win32::UniqueHandle mine = install::win32::TakeSetupLock(anotherRuns);
    EXPECT_TRUE(mine);
    EXPECT_FALSE(anotherRuns);
    bool second = false;
    install::win32::TakeSetupLock(second);
    EXPECT_TRUE(second);
}

// Run from the desktop, as under Wine, the installer is the user signed in to its session:
// the token's user and the session's (WTSQuerySessionInformation), named alike.
TEST(Account, TheInstallerAtTheDesktopIsTheSessionsUser) {
    const suite::AccountFacts facts = win32::CurrentAccountFacts();
    EXPECT_FALSE(facts.system);
    ASSERT_TRUE(facts.sessionUser);
    wchar_t name[256] = {};
    DWORD size = 256;
    ASSERT_TRUE(::GetUserNameW(name, &size));
    const std::wstring ending = std::wstring(L"\\") + name;
    ASSERT_GT(facts.user.size(), ending.size());
    EXPECT_EQ(facts.user.substr(facts.user.size() - ending.size()), ending);
    EXPECT_EQ(*facts.sessionUser, facts.user);
    EXPECT_EQ(suite::AccountOf(facts), suite::Account::DesktopUser);
}

// Another account reaches the session's user's profile through their hive under
// HKEY_USERS and their entry in ProfileList; under Wine the session's user is this one, so
// what it finds must be this user's own folders and registry.
TEST(Account, TheSessionsUsersProfileIsReadFromTheirHive) {
    const suite::AccountFacts facts = win32::CurrentAccountFacts();
    ASSERT_TRUE(facts.sessionUser && !facts.sessionUser->empty());
    const std::optional<win32::UserProfile> profile = win32::ProfileOf(*facts.sessionUser);
    ASSERT_TRUE(profile);
    EXPECT_EQ(profile->programs, win32::GetSpecialFolder(2));
    EXPECT_EQ(profile->startup, win32::GetSpecialFolder(7));
    EXPECT_EQ(profile->desktop, win32::GetSpecialFolder(16));
    EXPECT_EQ(profile->localAppData, win32::GetSpecialFolder(28));
    // Their hive is this user's HKEY_CURRENT_USER: a value written there is read through it.
    HKEY mark = nullptr;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\QuintarisTest", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                &mark, nullptr),
              ERROR_SUCCESS);
    ::RegCloseKey(mark);
    EXPECT_EQ(::RegDeleteKeyW(profile->hive.get(), L"Software\\QuintarisTest"), ERROR_SUCCESS);
    EXPECT_NE(::RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\QuintarisTest", 0, KEY_READ, &mark), ERROR_SUCCESS);

    EXPECT_FALSE(win32::ProfileOf(L"NOSUCHDOMAIN\\nessuno"));
}

}  // namespace
