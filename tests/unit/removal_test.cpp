#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <set>

#include "fake_platform.h"
#include "fake_profile.h"
#include "uninstall/flow.h"
#include "uninstall/removal.h"

namespace {

using ::testing::ElementsAre;

const std::wstring P = L"C:\\U\\Programs";
const std::wstring kIni = L"C:\\App\\install.ini";

// The Start menu in memory: folders and the files in them, and a journal of removals.
class FakeMenu : public uninstall::Platform {
public:
    std::set<std::wstring, test::PathLess> folders, files;
    std::vector<std::wstring> journal;
    bool libraryMissing = false;

    suite::Outcome RemoveShortcut(const std::wstring& folder, const std::wstring& name) override {
        if (libraryMissing) return suite::Outcome::Failure(126, L"Impossibile trovare il modulo specificato.");
        const std::wstring base = folder.size() > 1 && folder[1] == L':' ? folder : P + L"\\" + folder;
        if (files.erase(base + L"\\" + name + L".lnk")) journal.push_back(L"del " + base + L"\\" + name + L".lnk");
        return suite::Outcome::Success();
    }
    suite::Outcome RemoveFolder(const std::wstring& path) override {
        if (!folders.count(path) || !IsEmptyFolder(path))
            return suite::Outcome::Failure(145, L"La directory non \u00e8 vuota.");
        folders.erase(path);
        journal.push_back(L"rmdir " + path);
        return suite::Outcome::Success();
    }
    bool IsFolder(const std::wstring& path) override { return folders.count(path) > 0; }
    bool IsEmptyFolder(const std::wstring& path) override {
        const std::wstring prefix = test::PathLess::Key(path) + L"\\";
        for (const auto* set : {&folders, &files})
            for (const auto& entry : *set)
                if (test::PathLess::Key(entry).rfind(prefix, 0) == 0) return false;
        return true;
    }
};

class Removal : public ::testing::Test {
protected:
    Removal() {
        Set(L"Gruppo", L"Quintaris");
        Set(L"Name", L"Nubilux");
        Set(L"Folder", L"Meteo");
        // what the installer made
        menu.folders = {P, P + L"\\Quintaris", P + L"\\Quintaris\\Meteo", P + L"\\StartUp", L"C:\\U\\Desktop"};
        menu.files = {P + L"\\Quintaris\\Meteo\\Nubilux.lnk", P + L"\\Quintaris\\Meteo\\Uninstall.lnk",
                      P + L"\\StartUp\\Nubilux.lnk", L"C:\\U\\Desktop\\Nubilux.lnk"};
    }
    void Set(const wchar_t* key, const wchar_t* value) { store.Set(kIni, L"APPLICATION", key, value); }
    std::wstring Load() { return uninstall::Form_load(ini, {P, P + L"\\StartUp", L"C:\\U\\Desktop"}, state); }
    uninstall::WindowTexts Proceed() {
        Load();
        return uninstall::cmd_OK_Click(menu, state);
    }

    test::FakeProfileStore store;
    suite::ProfileReader ini{store, kIni, L"nontrovato"};
    uninstall::UninstallState state;
    FakeMenu menu;
};

TEST_F(Removal, ReadsTheKeysInOrderAndShowsTheTitle) {
    EXPECT_EQ(Load(), L"Rimozione del programma Nubilux");
    EXPECT_THAT(store.Asked(), ElementsAre(L"Gruppo", L"Name", L"Executable", L"Folder", L"EsecuzioneAutomatica",
                                           L"SulDesktop"));
    EXPECT_EQ(state.Nome_Esecuzione_Automatica, L"StartUp");
    EXPECT_EQ(state.EsecuzioneAutomatica, L"nontrovato");
}

TEST_F(Removal, OnlyGroupLeftGoesWithTheProgramFolderAndTheNoticeNamesIt) {
    const auto texts = Proceed();
    EXPECT_EQ(texts.label2, L"Rimozione di Nubilux terminata.");
    EXPECT_EQ(texts.label1, L"E' stato rimosso anche il gruppo di programmi\" Quintaris");
    EXPECT_THAT(menu.journal,
                ElementsAre(L"del " + P + L"\\Quintaris\\Meteo\\Nubilux.lnk",
                            L"del " + P + L"\\Quintaris\\Meteo\\Uninstall.lnk", L"rmdir " + P + L"\\Quintaris\\Meteo",
                            L"rmdir " + P + L"\\Quintaris"));
    // flags not "TRUE": the Startup and desktop shortcuts stay
    EXPECT_EQ(menu.files.size(), 2u);
}

TEST_F(Removal, StartupAndDesktopShortcutsGoOnlyForExactlyTRUE) {
    Set(L"EsecuzioneAutomatica", L"True");
    Set(L"SulDesktop", L"TRUE");
    Proceed();
    EXPECT_TRUE(menu.files.count(P + L"\\StartUp\\Nubilux.lnk"));
    EXPECT_FALSE(menu.files.count(L"C:\\U\\Desktop\\Nubilux.lnk"));
    Set(L"EsecuzioneAutomatica", L"TRUE");
    Proceed();
    EXPECT_TRUE(menu.files.empty());
    EXPECT_TRUE(menu.folders.count(P + L"\\StartUp"));
}

TEST_F(Removal, AnotherProgramOrALooseFileKeepsTheGroupWithoutAnError) {
    menu.folders.insert(P + L"\\Quintaris\\Altro");
    auto texts = Proceed();
    EXPECT_EQ(texts.label2, L"Rimozione di Nubilux terminata.");
    EXPECT_EQ(texts.label1, L"");
    EXPECT_TRUE(menu.folders.count(P + L"\\Quintaris"));

    menu.folders = {P, P + L"\\Quintaris", P + L"\\Quintaris\\Meteo"};
    menu.files = {P + L"\\Quintaris\\readme.txt"};
    texts = Proceed();
    EXPECT_EQ(texts.label2, L"Rimozione di Nubilux terminata.");
    EXPECT_EQ(texts.label1, L"");
    EXPECT_FALSE(menu.folders.count(P + L"\\Quintaris\\Meteo"));
    EXPECT_TRUE(menu.folders.count(P + L"\\Quintaris"));
}

TEST_F(Removal, ForeignFileInTheProgramFolderStopsWithTheReason) {
    menu.files.insert(P + L"\\Quintaris\\Meteo\\Manuale.lnk");
    const auto texts = Proceed();
    EXPECT_EQ(texts.label2, L"Rimozione di Nubilux non completata.");
    EXPECT_EQ(texts.label1, L"La directory non \u00e8 vuota.");
    EXPECT_THAT(menu.files, ::testing::UnorderedElementsAre(P + L"\\Quintaris\\Meteo\\Manuale.lnk",
                                                            P + L"\\StartUp\\Nubilux.lnk", L"C:\\U\\Desktop\\Nubilux.lnk"));
    EXPECT_TRUE(menu.folders.count(P + L"\\Quintaris"));
}

TEST_F(Removal, MissingLibraryRemovesNothing) {
    menu.libraryMissing = true;
    const auto texts = Proceed();
    EXPECT_EQ(texts.label2, L"Rimozione di Nubilux non completata.");
    EXPECT_EQ(texts.label1, L"Impossibile trovare il modulo specificato.");
    EXPECT_TRUE(menu.journal.empty());
}

TEST_F(Removal, SecondRunSaysItIsDoneAlready) {
    Proceed();
    const auto texts = uninstall::cmd_OK_Click(menu, state);
    EXPECT_EQ(texts.label2, L"Rimozione di Nubilux gi\u00e0 eseguita.");
    EXPECT_EQ(texts.label1, L"");
}

TEST_F(Removal, WithoutAGroupTheProgramFolderGoesAndProgramsStays) {
    Set(L"Gruppo", L"");  // read as "nontrovato"
    menu.folders = {P, P + L"\\Meteo"};
    menu.files = {P + L"\\Meteo\\Nubilux.lnk", P + L"\\Meteo\\Uninstall.lnk"};
    const auto texts = Proceed();
    EXPECT_EQ(state.Gruppo, L"nontrovato");
    EXPECT_EQ(texts.label2, L"Rimozione di Nubilux terminata.");
    EXPECT_EQ(texts.label1, L"");
    EXPECT_THAT(menu.journal, ElementsAre(L"del " + P + L"\\Meteo\\Nubilux.lnk", L"del " + P + L"\\Meteo\\Uninstall.lnk",
                                          L"rmdir " + P + L"\\Meteo"));
    EXPECT_TRUE(menu.folders.count(P));
}

TEST_F(Removal, CancelChangesNothing) {
    Load();
    const auto before = menu.files;
    EXPECT_EQ(uninstall::cmd_Annulla_Click(state).label2, L"Rimozione di Nubilux annullata.");
    EXPECT_EQ(menu.files, before);
    EXPECT_TRUE(menu.journal.empty());
}

TEST_F(Removal, MissingDescriptionFileReadsNontrovatoEverywhere) {
    test::FakeProfileStore empty;
    suite::ProfileReader none{empty, kIni, L"nontrovato"};
    EXPECT_EQ(uninstall::Form_load(none, {P, P + L"\\StartUp", L""}, state), L"Rimozione del programma nontrovato");
    const auto texts = uninstall::cmd_OK_Click(menu, state);
    EXPECT_EQ(texts.label2, L"Rimozione di nontrovato gi\u00e0 eseguita.");
    EXPECT_EQ(menu.files.size(), 4u);
}

}  // namespace
