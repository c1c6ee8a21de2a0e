// The deployment step against the real platform, with folders of the test's own
// standing in for system32, LIB and the installer's folder. Components take the names
// of controls Wine has no built-in copy of, so that the file itself is what gets loaded.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <regex>
#include <sstream>

#include "common/win32/profile_store.h"
#include "fixtures.h"
#include "install/deployment.h"
#include "install/win32/platform.h"
#include "temp_folder.h"

namespace {

using ::testing::ElementsAre;

class RealDeployment : public ::testing::Test {
protected:
    RealDeployment() {
        trace_ = folder.Path() + L"\\trace.txt";
        ::SetEnvironmentVariableW(L"COMPONENT_TRACE", trace_.c_str());
        // the last entry of every run
        test::CopyInto(test::Product(L"LIB\\VB6STKIT.DLL"), lib + L"\\VB6STKIT.DLL");
    }
    ~RealDeployment() override {
        ::SetEnvironmentVariableW(L"COMPONENT_TRACE", nullptr);
        ::SetCurrentDirectoryW(folder.Path().c_str());
    }
    void Ship(const wchar_t* fixture, const std::wstring& as) { test::CopyInto(test::Fixture(fixture), lib + L"\\" + as); }
    void Install(const wchar_t* fixture, const std::wstring& as) {
        test::CopyInto(test::Fixture(fixture), system + L"\\" + as);
    }
    void Ini(const std::wstring& lib_section) {
        folder.WriteAnsi(L"Install.ini", L"[LIB]\r\n" + lib_section);
    }
    // Log lines without their time stamps, after checking each has one.
    std::vector<std::wstring> Log() {
        std::vector<std::wstring> lines;
        std::istringstream in(folder.ReadBytes(L"Setup.LOG"));
        const std::regex stamp(R"(\d{4}/\d{2}/\d{2}-\d{2}:\d{2}:\d{2} - (.*)\r)");
        for (std::string line; std::getline(in, line);) {
            std::smatch match;
            EXPECT_TRUE(std::regex_match(line, match, stamp)) << line;
            lines.push_back(win32::FromAnsi(match[1].str()));
        }
        return lines;
    }
    bool Run() {
        win32::ProfileStore store;
        const suite::ProfileReader ini(store, folder.Path() + L"\\Install.ini", L"");
        install::win32::Platform platform(folder.Path() + L"\\Setup.LOG");
        return install::Deployment(platform, ini, {system, lib, folder.Path()}).Registra_DLL();
    }
    std::string Trace() const { return folder.ReadBytes(L"trace.txt"); }

    test::TempFolder folder;
    const std::wstring system = folder.Sub(L"sys"), lib = folder.Sub(L"LIB"), B = folder.Path() + L"\\backup";
    std::wstring trace_;
};

TEST_F(RealDeployment, FirstCopyThenEqualVersionsOnTheNextRun) {
    Ini(L"Uses1=TABCTL32.OCX\r\n");
    Ship(L"table_6_0_81_69.dll", L"TABCTL32.OCX");
    ASSERT_TRUE(Run());
    EXPECT_THAT(Log(), ElementsAre(L"copy " + lib + L"\\TABCTL32.OCX " + system + L"\\TABCTL32.OCX",
                                   system + L"\\TABCTL32.OCX Register",
                                   L"copy " + lib + L"\\VB6STKIT.DLL " + system + L"\\VB6STKIT.DLL",
                                   system + L"\\VB6STKIT.DLL Register"));
    // only the component traces its calls; the shortcut library leaves none
    EXPECT_EQ(Trace(), test::TraceLine("RegisterTABCTL32", system));

    ASSERT_TRUE(Run());
    const auto log = Log();
    ASSERT_EQ(log.size(), 8u);
    EXPECT_EQ(log[4], system + L"\\TABCTL32.OCX Versione: 6.0.81.69");
    EXPECT_EQ(log[5], lib + L"\\TABCTL32.OCX Versione: 6.0.81.69");
}

TEST_F(RealDeployment, NewerShippedCopyReplacesTheInstalledOneWithABackup) {
    Ini(L"Uses1=MSFLXGRD.ocx\r\nUses2=TABCTL32.OCX\r\n");
    Install(L"table_6_0_9_0.dll", L"MSFLXGRD.ocx");
    Ship(L"table_6_0_81_69.dll", L"MSFLXGRD.ocx");  // newer in numbers, older as text
    Install(L"table_6_0_81_69.dll", L"TABCTL32.OCX");
    Ship(L"table_6_0_88_62.dll", L"TABCTL32.OCX");
    ASSERT_TRUE(Run());
    const std::wstring s = system + L"\\MSFLXGRD.ocx", l = lib + L"\\MSFLXGRD.ocx";
    const auto log = Log();
    ASSERT_GE(log.size(), 7u);
    EXPECT_THAT(std::vector<std::wstring>(log.begin(), log.begin() + 7),
                ElementsAre(s + L" Versione: 6.0.9.0", l + L" Versione: 6.0.81.69", s + L" Unregister",
                            B + L" Creazione cartella", L"copy " + s + L" " + B + L"\\MSFLXGRD.ocx",
                            L"copy " + l + L" " + s, s + L" Register"));
    EXPECT_EQ(std::count(log.begin(), log.end(), B + L" Creazione cartella"), 1);
    install::win32::Platform platform(folder.Path() + L"\\Setup.LOG");
    EXPECT_EQ(install::FormatVersion(*platform.ReadFileVersion(s)), L"6.0.81.69");
    EXPECT_EQ(install::FormatVersion(*platform.ReadFileVersion(B + L"\\MSFLXGRD.ocx")), L"6.0.9.0");
    EXPECT_EQ(install::FormatVersion(*platform.ReadFileVersion(system + L"\\TABCTL32.OCX")), L"6.0.88.62");
    EXPECT_EQ(Trace(), test::TraceLine("UnRegisterMSFLXGRD", system) + test::TraceLine("RegisterMSFLXGRD", system) +
                           test::TraceLine("UnRegisterTABCTL32", system) + test::TraceLine("RegisterTABCTL32", system));
}

TEST_F(RealDeployment, BackupThatIsAFileAndAShippedCopyWithoutVersion) {
    Ini(L"Uses1=TABCTL32.OCX\r\nUses2=MSFLXGRD.ocx\r\n");
    folder.WriteBytes(L"backup", "a file, not a folder");
    Install(L"table_6_0_81_69.dll", L"TABCTL32.OCX");
    Ship(L"table_6_0_88_62.dll", L"TABCTL32.OCX");
    Install(L"table_6_0_81_69.dll", L"MSFLXGRD.ocx");
    Ship(L"table_noversion.dll", L"MSFLXGRD.ocx");
    ASSERT_TRUE(Run());
    const auto log = Log();
    ASSERT_GE(log.size(), 12u);
    EXPECT_EQ(log[3], B + L" Creazione cartella");
    EXPECT_EQ(log[4].rfind(L"Errore: 183-", 0), 0u) << log[4];  // already exists
    EXPECT_EQ(log[5], L"copy " + system + L"\\TABCTL32.OCX " + B + L"\\TABCTL32.OCX");
    EXPECT_EQ(log[6].rfind(L"Errore: ", 0), 0u) << log[6];
    EXPECT_EQ(log[8], system + L"\\TABCTL32.OCX Register");
    EXPECT_EQ(log[9], system + L"\\MSFLXGRD.ocx Versione: 6.0.81.69");
    EXPECT_EQ(log[10], lib + L"\\MSFLXGRD.ocx Versione: 6.0.81.69");  // kept: the texts are equal
    EXPECT_EQ(folder.ReadBytes(L"backup"), "a file, not a folder");
}

TEST_F(RealDeployment, InstalledCopyInUseIsLoggedAndStays) {
    Ini(L"Uses1=TABCTL32.OCX\r\n");
    Install(L"table_6_0_81_69.dll", L"TABCTL32.OCX");
    Ship(L"table_6_0_88_62.dll", L"TABCTL32.OCX");
    {
        win32::UniqueModule inUse(::LoadLibraryW((system + L"\\TABCTL32.OCX").c_str()));
        ASSERT_TRUE(inUse);
        ASSERT_TRUE(Run());
    }
    const auto log = Log();
    ASSERT_GE(log.size(), 8u);
    EXPECT_EQ(log[5], L"copy " + lib + L"\\TABCTL32.OCX " + system + L"\\TABCTL32.OCX");
    EXPECT_EQ(log[6].rfind(L"Errore: 5-", 0), 0u) << log[6];  // access denied
    EXPECT_EQ(log[7], system + L"\\TABCTL32.OCX Register");
    install::win32::Platform platform(folder.Path() + L"\\Setup.LOG");
    EXPECT_EQ(install::FormatVersion(*platform.ReadFileVersion(system + L"\\TABCTL32.OCX")), L"6.0.81.69");
    EXPECT_THAT(folder.Names(L"sys"), ::testing::UnorderedElementsAre(L"TABCTL32.OCX", L"VB6STKIT.DLL"));
}

}  // namespace
