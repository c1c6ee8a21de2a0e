#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "fake_platform.h"
#include "fake_profile.h"
#include "install/deployment.h"

namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using test::FakePlatform;

const std::wstring S = L"C:\\Windows\\system32";
const std::wstring L_ = L"D:\\Setup\\LIB";
const std::wstring B = L"D:\\Setup\\backup";
const std::wstring kError = L"Errore: 5-Accesso negato.";

class Deployment : public ::testing::Test {
protected:
    Deployment() {
        // Every run ends with the shortcut library; give it a shipped copy and its entry.
        platform.files[L_ + L"\\VB6STKIT.DLL"] = FakePlatform::V(1, 0, 0, 0);
        platform.librariesWithEntries.insert(S + L"\\VB6STKIT.DLL|RegisterVB6STKIT");
        platform.folders.insert(L"D:\\Setup");
    }
    void List(std::initializer_list<const wchar_t*> names) {
        int n = 1;
        for (const wchar_t* name : names) store.Set(L"D:\\Setup\\Install.ini", L"LIB", L"Uses" + std::to_wstring(n++), name);
    }
    bool Run() { return deployment.Registra_DLL(); }
    // The log lines of one file: from its first line to its last, with the failure lines
    // that follow.
    std::vector<std::wstring> LinesAbout(const std::wstring& file) const {
        const auto& log = platform.log;
        const auto mentions = [&](const std::wstring& line) { return line.find(file) != std::wstring::npos; };
        const auto first = std::find_if(log.begin(), log.end(), mentions);
        auto last = std::find_if(log.rbegin(), log.rend(), mentions).base();
        while (last != log.end() && last->rfind(L"Errore: ", 0) == 0) ++last;
        return first < last ? std::vector<std::wstring>(first, last) : std::vector<std::wstring>{};
    }

    test::FakeProfileStore store;
    suite::ProfileReader ini{store, L"D:\\Setup\\Install.ini", L""};
    FakePlatform platform;
    install::Deployment deployment{platform, ini, {S, L_, L"D:\\Setup"}};
};

TEST_F(Deployment, FirstCopyIsCopiedAndRegisteredInTheSystemFolderByFullPath) {
    List({L"COMCAT.DLL"});
    platform.files[L_ + L"\\COMCAT.DLL"] = FakePlatform::V(5, 0, 0, 1);
    platform.librariesWithEntries.insert(S + L"\\COMCAT.DLL|RegisterCOMCAT");
    EXPECT_TRUE(Run());
    EXPECT_THAT(platform.log, ElementsAre(L"copy " + L_ + L"\\COMCAT.DLL " + S + L"\\COMCAT.DLL",
                                          S + L"\\COMCAT.DLL Register",
                                          L"copy " + L_ + L"\\VB6STKIT.DLL " + S + L"\\VB6STKIT.DLL",
                                          S + L"\\VB6STKIT.DLL Register"));
    EXPECT_THAT(platform.Actions(),
                ElementsAre(L"copy " + L_ + L"\\COMCAT.DLL " + S + L"\\COMCAT.DLL",
                            L"call " + S + L"\\COMCAT.DLL RegisterCOMCAT in " + S,
                            L"copy " + L_ + L"\\VB6STKIT.DLL " + S + L"\\VB6STKIT.DLL",
                            L"call " + S + L"\\VB6STKIT.DLL RegisterVB6STKIT in " + S));
}

TEST_F(Deployment, EqualVersionsGiveTwoVersionLinesAndNothingElse) {
    List({L"COMCAT.DLL", L"VB6STKIT.DLL"});
    platform.files[S + L"\\COMCAT.DLL"] = platform.files[L_ + L"\\COMCAT.DLL"] = FakePlatform::V(5, 0, 4118, 40000);
    platform.files[S + L"\\VB6STKIT.DLL"] = FakePlatform::V(1, 0, 0, 0);
    EXPECT_TRUE(Run());
    EXPECT_THAT(platform.log, ElementsAre(S + L"\\COMCAT.DLL Versione: 5.0.4118.40000",
                                          L_ + L"\\COMCAT.DLL Versione: 5.0.4118.40000",
                                          S + L"\\VB6STKIT.DLL Versione: 1.0.0.0",
                                          L_ + L"\\VB6STKIT.DLL Versione: 1.0.0.0"));
    EXPECT_THAT(platform.Actions(), IsEmpty());
}

TEST_F(Deployment, OlderInstalledCopyIsUnregisteredSavedReplacedAndRegistered) {
    List({L"MSFLXGRD.ocx", L"VB6STKIT.DLL"});
    platform.files[S + L"\\MSFLXGRD.ocx"] = FakePlatform::V(6, 0, 81, 69);
    platform.files[L_ + L"\\MSFLXGRD.ocx"] = FakePlatform::V(6, 0, 88, 62);
    platform.files[S + L"\\VB6STKIT.DLL"] = FakePlatform::V(1, 0, 0, 0);
    platform.librariesWithEntries.insert(S + L"\\MSFLXGRD.OCX|UnRegisterMSFLXGRD");
    platform.librariesWithEntries.insert(S + L"\\MSFLXGRD.OCX|RegisterMSFLXGRD");
    EXPECT_TRUE(Run());
    const std::wstring sf = S + L"\\MSFLXGRD.ocx", lf = L_ + L"\\MSFLXGRD.ocx";
    EXPECT_THAT(LinesAbout(L"MSFLXGRD"),
                ElementsAre(sf + L" Versione: 6.0.81.69", lf + L" Versione: 6.0.88.62", sf + L" Unregister",
                            B + L" Creazione cartella", L"copy " + sf + L" " + B + L"\\MSFLXGRD.ocx",
                            L"copy " + lf + L" " + sf, sf + L" Register"));
    EXPECT_THAT(platform.Actions(),
                ElementsAre(L"call " + S + L"\\MSFLXGRD.OCX UnRegisterMSFLXGRD in " + S, L"list D:\\Setup\\backup",
                            L"mkdir " + B, L"copy " + sf + L" " + B + L"\\MSFLXGRD.ocx", L"copy " + lf + L" " + sf,
                            L"call " + S + L"\\MSFLXGRD.OCX RegisterMSFLXGRD in " + S));
    EXPECT_EQ(platform.files[sf]->ls, (88u << 16 | 62u));
    EXPECT_EQ(platform.files[B + L"\\MSFLXGRD.ocx"]->ls, (81u << 16 | 69u));
}

TEST_F(Deployment, BackupFolderIsCreatedOnceForTwoReplacements) {
    List({L"A.DLL", L"B.DLL", L"VB6STKIT.DLL"});
    for (const wchar_t* f : {L"\\A.DLL", L"\\B.DLL"}) {
        platform.files[S + f] = FakePlatform::V(1, 0, 0, 0);
        platform.files[L_ + f] = FakePlatform::V(2, 0, 0, 0);
    }
    platform.files[S + L"\\VB6STKIT.DLL"] = FakePlatform::V(1, 0, 0, 0);
    EXPECT_TRUE(Run());
    EXPECT_EQ(std::count(platform.log.begin(), platform.log.end(), B + L" Creazione cartella"), 1);
    EXPECT_TRUE(platform.files.count(B + L"\\A.DLL") && platform.files.count(B + L"\\B.DLL"));
}

TEST_F(Deployment, BackupThatIsAFileIsNotTakenForTheFolderAndTheReplacementGoesOn) {
    List({L"A.DLL", L"VB6STKIT.DLL"});
    platform.files[B] = std::nullopt;  // a file named "backup"
    platform.files[S + L"\\A.DLL"] = FakePlatform::V(1, 0, 0, 0);
    platform.files[L_ + L"\\A.DLL"] = FakePlatform::V(2, 0, 0, 0);
    platform.files[S + L"\\VB6STKIT.DLL"] = FakePlatform::V(1, 0, 0, 0);
    platform.failing.insert(L"copy " + S + L"\\A.DLL " + B + L"\\A.DLL");
    EXPECT_TRUE(Run());
    EXPECT_THAT(LinesAbout(L"A.DLL"),
                ElementsAre(S + L"\\A.DLL Versione: 1.0.0.0", L_ + L"\\A.DLL Versione: 2.0.0.0",
                            S + L"\\A.DLL Unregister", B + L" Creazione cartella", kError,
                            L"copy " + S + L"\\A.DLL " + B + L"\\A.DLL", kError,
                            L"copy " + L_ + L"\\A.DLL " + S + L"\\A.DLL", S + L"\\A.DLL Register"));
    EXPECT_EQ(platform.files[S + L"\\A.DLL"]->ms, 2u << 16);
}

TEST_F(Deployment, VersionsAreComparedAsNumbers) {
    List({L"A.DLL", L"B.DLL", L"VB6STKIT.DLL"});
    platform.files[S + L"\\A.DLL"] = FakePlatform::V(6, 0, 9, 0);
    platform.files[L_ + L"\\A.DLL"] = FakePlatform::V(6, 0, 81, 69);
    platform.files[S + L"\\B.DLL"] = FakePlatform::V(10, 0, 0, 0);
    platform.files[L_ + L"\\B.DLL"] = FakePlatform::V(9, 0, 0, 0);
    platform.files[S + L"\\VB6STKIT.DLL"] = FakePlatform::V(1, 0, 0, 0);
    EXPECT_TRUE(Run());
    EXPECT_EQ(platform.files[S + L"\\A.DLL"]->ls, 81u << 16 | 69u);  // upgraded
    EXPECT_EQ(platform.files[S + L"\\B.DLL"]->ms, 10u << 16);        // never downgraded
    EXPECT_THAT(LinesAbout(L"B.DLL"), ElementsAre(S + L"\\B.DLL Versione: 10.0.0.0", L_ + L"\\B.DLL Versione: 9.0.0.0"));
}

TEST_F(Deployment, ShippedCopyWithoutVersionKeepsTheInstalledOne) {
    List({L"A.DLL", L"VB6STKIT.DLL"});
    platform.files[S + L"\\A.DLL"] = FakePlatform::V(3, 1, 0, 0);
    platform.files[L_ + L"\\A.DLL"] = std::nullopt;
    platform.files[S + L"\\VB6STKIT.DLL"] = FakePlatform::V(1, 0, 0, 0);
    EXPECT_TRUE(Run());
    EXPECT_THAT(LinesAbout(L"A.DLL"), ElementsAre(S + L"\\A.DLL Versione: 3.1.0.0", L_ + L"\\A.DLL Versione: 3.1.0.0"));
    EXPECT_THAT(platform.Actions(), IsEmpty());
}

TEST_F(Deployment, InstalledCopyWithoutVersionIsOverwrittenOutright) {
    List({L"A.DLL", L"VB6STKIT.DLL"});
    platform.files[S + L"\\A.DLL"] = std::nullopt;
    platform.files[L_ + L"\\A.DLL"] = FakePlatform::V(2, 0, 0, 0);
    platform.files[S + L"\\VB6STKIT.DLL"] = FakePlatform::V(1, 0, 0, 0);
    EXPECT_TRUE(Run());
    EXPECT_THAT(LinesAbout(L"A.DLL"),
                ElementsAre(L"copy " + L_ + L"\\A.DLL " + S + L"\\A.DLL", S + L"\\A.DLL Register"));
}

TEST_F(Deployment, FailedCopyIsLoggedAndTheRegistrationStillFollows) {
    List({L"COMCAT.DLL"});  // no shipped copy: the copy fails
    platform.librariesWithEntries.insert(S + L"\\COMCAT.DLL|RegisterCOMCAT");
    EXPECT_TRUE(Run());
    EXPECT_THAT(LinesAbout(L"COMCAT"), ElementsAre(L"copy " + L_ + L"\\COMCAT.DLL " + S + L"\\COMCAT.DLL", kError,
                                                   S + L"\\COMCAT.DLL Register"));
    EXPECT_THAT(platform.Actions()[1], L"call " + S + L"\\COMCAT.DLL RegisterCOMCAT in " + S);
}

TEST_F(Deployment, FailedRegistrationEndsTheFileAndTheListGoesOn) {
    List({L"FLASH.OCX"});
    platform.files[L_ + L"\\FLASH.OCX"] = FakePlatform::V(1, 0, 0, 0);  // a library with no entry at all
    EXPECT_TRUE(Run());
    EXPECT_THAT(platform.log, ElementsAre(L"copy " + L_ + L"\\FLASH.OCX " + S + L"\\FLASH.OCX",
                                          S + L"\\FLASH.OCX Register", kError,
                                          L"copy " + L_ + L"\\VB6STKIT.DLL " + S + L"\\VB6STKIT.DLL",
                                          S + L"\\VB6STKIT.DLL Register"));
    EXPECT_TRUE(platform.files.count(S + L"\\FLASH.OCX"));  // the copy stays
}

TEST_F(Deployment, StandardSelfRegistrationIsCalledWhenTheTableEntryIsMissing) {
    List({L"MSINET.OCX"});
    platform.files[L_ + L"\\MSINET.OCX"] = FakePlatform::V(6, 1, 98, 39);
    platform.librariesWithEntries.insert(S + L"\\MSINET.OCX|DllRegisterServer");
    platform.librariesWithEntries.insert(S + L"\\MSINET.OCX|DllUnregisterServer");
    EXPECT_TRUE(Run());
    EXPECT_EQ(platform.Actions()[1], L"call " + S + L"\\MSINET.OCX DllRegisterServer in " + S);

    // and the standard unregistration when it is replaced
    platform.files[L_ + L"\\MSINET.OCX"] = FakePlatform::V(6, 1, 98, 40);
    install::Deployment again{platform, ini, {S, L_, L"D:\\Setup"}};
    platform.journal.clear();
    again.Registra_DLL();
    EXPECT_EQ(platform.Actions()[0], L"call " + S + L"\\MSINET.OCX DllUnregisterServer in " + S);
}

TEST_F(Deployment, OnlyTheExactTableNameIsRegistered) {
    List({L"MSFLXGRD.OCX", L"vb6stkit.dll"});
    platform.files[L_ + L"\\MSFLXGRD.OCX"] = FakePlatform::V(1, 0, 0, 0);
    platform.files[L_ + L"\\vb6stkit.dll"] = FakePlatform::V(1, 0, 0, 0);
    platform.librariesWithEntries.insert(S + L"\\MSFLXGRD.OCX|RegisterMSFLXGRD");
    EXPECT_TRUE(Run());
    // No call for either; and once vb6stkit.dll is in, VB6STKIT.DLL is the same file, equal in version.
    EXPECT_THAT(platform.Actions(), ElementsAre(L"copy " + L_ + L"\\MSFLXGRD.OCX " + S + L"\\MSFLXGRD.OCX",
                                                L"copy " + L_ + L"\\vb6stkit.dll " + S + L"\\vb6stkit.dll"));
    EXPECT_EQ(platform.log.back(), L_ + L"\\VB6STKIT.DLL Versione: 1.0.0.0");
}

TEST_F(Deployment, FailedUnregistrationGoesOnWithTheBackup) {
    List({L"COMCAT.DLL", L"VB6STKIT.DLL"});
    platform.files[S + L"\\COMCAT.DLL"] = FakePlatform::V(1, 0, 0, 0);
    platform.files[L_ + L"\\COMCAT.DLL"] = FakePlatform::V(1, 0, 0, 1);
    platform.files[S + L"\\VB6STKIT.DLL"] = FakePlatform::V(1, 0, 0, 0);
    platform.folders.insert(B);
    EXPECT_TRUE(Run());
    EXPECT_THAT(LinesAbout(L"COMCAT"),
                ElementsAre(S + L"\\COMCAT.DLL Versione: 1.0.0.0", L_ + L"\\COMCAT.DLL Versione: 1.0.0.1",
                            S + L"\\COMCAT.DLL Unregister", kError,
                            L"copy " + S + L"\\COMCAT.DLL " + B + L"\\COMCAT.DLL",
                            L"copy " + L_ + L"\\COMCAT.DLL " + S + L"\\COMCAT.DLL", S + L"\\COMCAT.DLL Register",
                            kError));
}

TEST_F(Deployment, LogThatCannotBeWrittenMovesToTheFallbackWithItsReasonAndWorkGoesOn) {
    List({L"A.DLL"});
    platform.files[L_ + L"\\A.DLL"] = FakePlatform::V(1, 0, 0, 0);
    platform.failing.insert(L"D:\\Setup\\Setup.LOG");
    EXPECT_TRUE(Run());
    EXPECT_EQ(platform.logFile, L"C:\\Temp\\Setup.LOG");
    ASSERT_GE(platform.log.size(), 2u);
    EXPECT_EQ(platform.log[0], kError + L" D:\\Setup\\Setup.LOG");  // why, and where it could not be
    EXPECT_EQ(platform.log[1], L"copy " + L_ + L"\\A.DLL " + S + L"\\A.DLL");
    EXPECT_TRUE(platform.files.count(S + L"\\A.DLL"));
}

TEST_F(Deployment, WithoutAnyLogTheComponentsAreStillDeployed) {
    List({L"A.DLL"});
    platform.files[L_ + L"\\A.DLL"] = FakePlatform::V(1, 0, 0, 0);
    platform.failing.insert(L"D:\\Setup\\Setup.LOG");
    platform.failing.insert(L"move log");
    EXPECT_FALSE(Run());
    EXPECT_TRUE(platform.log.empty());
    EXPECT_TRUE(platform.files.count(S + L"\\A.DLL"));
    // A log found lost is not tried again for every line that follows.
    EXPECT_EQ(std::count_if(platform.journal.begin(), platform.journal.end(),
                            [](const std::wstring& entry) { return entry.rfind(L"FAILED log: ", 0) == 0; }),
              1);
}

TEST_F(Deployment, CurrentFolderThatCannotBeSetFailsTheRegistration) {
    List({L"COMCAT.DLL"});
    platform.files[L_ + L"\\COMCAT.DLL"] = FakePlatform::V(1, 0, 0, 0);
    platform.librariesWithEntries.insert(S + L"\\COMCAT.DLL|RegisterCOMCAT");
    platform.failing.insert(L"cd " + S);
    EXPECT_TRUE(Run());
    EXPECT_THAT(LinesAbout(L"COMCAT"), ElementsAre(L"copy " + L_ + L"\\COMCAT.DLL " + S + L"\\COMCAT.DLL",
                                                   S + L"\\COMCAT.DLL Register", kError));
}

TEST(GetVersion, KeepsThePreviousTextAndSetsTheMarkerWhenAFileHasNoVersion) {
    FakePlatform platform;
    test::FakeProfileStore store;
    suite::ProfileReader ini{store, L"x", L""};
    install::Deployment d{platform, ini, {}};
    platform.files[L"C:\\none.txt"] = std::nullopt;
    platform.files[L"C:\\a.dll"] = FakePlatform::V(6, 0, 8169, 0);
    platform.files[L"C:\\zero.dll"] = FakePlatform::V(0, 0, 0, 0);

    EXPECT_EQ(d.Get_Version(L"C:", L"none.txt"), L"");  // first read of the run
    EXPECT_EQ(d.Marker(), L"FALSE");
    EXPECT_EQ(d.Get_Version(L"C:", L"a.dll"), L"6.0.8169.0");
    EXPECT_EQ(d.Marker(), L"");
    EXPECT_EQ(d.Get_Version(L"C:", L"missing.dll"), L"6.0.8169.0");
    EXPECT_EQ(d.Marker(), L"FALSE");
    EXPECT_EQ(d.Get_Version(L"C:", L"zero.dll"), L"0.0.0.0");
    EXPECT_EQ(d.Marker(), L"");
}

}  // namespace
