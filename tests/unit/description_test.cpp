#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "fake_profile.h"
#include "install/description.h"

namespace {

using ::testing::ElementsAre;

const std::wstring kIni = L"C:\\Setup\\Install.ini";

class Description : public ::testing::Test {
protected:
    void Lib(int n, const std::wstring& value) {
        store.Set(kIni, L"LIB", L"Uses" + std::to_wstring(n), value);
    }
    std::vector<std::wstring> List() { return install::Elenco_Componenti(ini); }

    test::FakeProfileStore store;
    suite::ProfileReader ini = install::MakeReader(store, L"C:\\Setup");
};

TEST_F(Description, CaricaReadsTheSevenKeysInOrder) {
    store.Set(kIni, L"APPLICATION", L"Gruppo", L"G");
    store.Set(kIni, L"APPLICATION", L"Name", L"Prova");
    store.Set(kIni, L"APPLICATION", L"Executable", L"Prova.exe");
    store.Set(kIni, L"APPLICATION", L"Folder", L"F");
    store.Set(kIni, L"APPLICATION", L"EsecuzioneAutomatica", L"TRUE");
    store.Set(kIni, L"APPLICATION", L"SulDesktop", L"FALSE");
    store.Set(kIni, L"APPLICATION", L"PrimaEsecuzione", L"C:\\P\\Prova.exe /first");

    install::InstallerState state;
    install::File_INI_Carica(ini, state);

    EXPECT_EQ(state.Gruppo, L"G");
    EXPECT_EQ(state.Name, L"Prova");
    EXPECT_EQ(state.Executable, L"Prova.exe");
    EXPECT_EQ(state.Folder, L"F");
    EXPECT_EQ(state.EsecuzioneAutomatica, L"TRUE");
    EXPECT_EQ(state.SulDesktop, L"FALSE");
    EXPECT_EQ(state.PrimaEsecuzione, L"C:\\P\\Prova.exe /first");
    EXPECT_THAT(store.Asked(), ElementsAre(L"Gruppo", L"Name", L"Executable", L"Folder",
                                           L"EsecuzioneAutomatica", L"SulDesktop", L"PrimaEsecuzione"));
}

TEST_F(Description, CaricaWithoutFileLeavesEverythingEmpty) {
    install::InstallerState state;
    state.Name = L"stale";
    install::File_INI_Carica(ini, state);
    EXPECT_EQ(state.Name, L"");
    EXPECT_EQ(state.Gruppo, L"");
    EXPECT_EQ(state.PrimaEsecuzione, L"");
}

TEST_F(Description, GapEndsTheListWithTheShellLinkLibraryAndLaterKeysAreNeverRead) {
    Lib(1, L"A.DLL");
    Lib(2, L"B.OCX");
    Lib(4, L"C.DLL");
    EXPECT_THAT(List(), ElementsAre(L"A.DLL", L"B.OCX", L"VB6STKIT.DLL"));
    EXPECT_THAT(store.Asked(), ElementsAre(L"Uses1", L"Uses2", L"Uses3"));
}

TEST_F(Description, EmptyValueIsAGap) {
    Lib(1, L"A.DLL");
    Lib(2, L"");
    Lib(3, L"C.DLL");
    EXPECT_THAT(List(), ElementsAre(L"A.DLL", L"VB6STKIT.DLL"));
    EXPECT_THAT(store.Asked(), ElementsAre(L"Uses1", L"Uses2"));
}

TEST_F(Description, ShellLinkLibraryNamedExactlyEndsTheList) {
    Lib(1, L"VB6STKIT.DLL");
    Lib(2, L"A.DLL");
    EXPECT_THAT(List(), ElementsAre(L"VB6STKIT.DLL"));
    EXPECT_THAT(store.Asked(), ElementsAre(L"Uses1"));
}

TEST_F(Description, ShellLinkLibraryInOtherCaseDoesNotEndTheList) {
    Lib(1, L"vb6stkit.dll");
    EXPECT_THAT(List(), ElementsAre(L"vb6stkit.dll", L"VB6STKIT.DLL"));
}

TEST_F(Description, NoLibSectionGivesTheShellLinkLibraryAlone) {
    EXPECT_THAT(List(), ElementsAre(L"VB6STKIT.DLL"));
    EXPECT_THAT(store.Asked(), ElementsAre(L"Uses1"));
}

TEST_F(Description, HundredEntriesWithoutTheLibraryStopAfterUses100) {
    for (int n = 1; n <= 101; ++n) Lib(n, L"C" + std::to_wstring(n) + L".DLL");
    const auto list = List();
    ASSERT_EQ(list.size(), 100u);
    EXPECT_EQ(list.front(), L"C1.DLL");
    EXPECT_EQ(list.back(), L"C100.DLL");
    EXPECT_EQ(store.Asked().size(), 100u);
    EXPECT_EQ(store.Asked().back(), L"Uses100");
}

TEST_F(Description, LibraryAsTheHundredthEntryIsProcessedOnce) {
    for (int n = 1; n <= 99; ++n) Lib(n, L"C" + std::to_wstring(n) + L".DLL");
    Lib(100, L"VB6STKIT.DLL");
    const auto list = List();
    ASSERT_EQ(list.size(), 100u);
    EXPECT_EQ(list.back(), L"VB6STKIT.DLL");
}

}  // namespace
