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
const std::wstring kApp = L"C:\\App", kSettings = L"C:\\U\\AppData\\Local\\Nubilux";

// The Start menu in memory: folders and the files in them, and a journal of removals.
class FakeMenu : public uninstall::Platform {
public:
    std::set<std::wstring, test::PathLess> folders, files;
    std::set<std::wstring> removed;  // the user's record of removals
    std::vector<std::wstring> journal;
    bool libraryMissing = false;

    // The shortcut library takes a folder without a drive as one in the user's own Programs
    // folder, whichever installation is being removed.
    static std::wstring Path(const std::wstring& folder, const std::wstring& name) {
        return (folder.size() > 1 && folder[1] == L':' ? folder : P + L"\\" + folder) + L"\\" + name + L".lnk";
    }
    std::set<std::wstring, test::PathLess> stuck;  // folders that cannot be removed (in use)
    bool WasRemoved(const std::wstring& installation) override { return removed.count(installation) > 0; }
    // A running program at this path, and whether it ends when asked.
    std::wstring running;
    bool endsWhenAsked = true;
    std::vector<std::wstring> askedToEnd;  // before any removal, when asked at all
    bool EndProgram(const std::wstring& path) override {
        askedToEnd.push_back(path + L" before " + std::to_wstring(journal.size()) + L" removals");
        if (path == running && endsWhenAsked) running.clear();
        return running != path;
    }
    std::set<std::wstring> appsEntries{L"Quintaris Nubilux"};
    bool entryForAllUsers = false;  // the scope the entry was removed from
    suite::Outcome RemoveAppsEntry(const std::wstring& key, bool allUsers) override {
        entryForAllUsers = allUsers;
        appsEntries.erase(key);
        return suite::Outcome::Success();
    }
    void RecordRemoval(const std::wstring& installation) override { removed.insert(installation); }

    suite::Outcome RemoveShortcut(const std::wstring& folder, const std::wstring& name) override {
        if (libraryMissing) return suite::Outcome::Failure(126, L"Impossibile trovare il modulo specificato.");
        if (files.erase(Path(folder, name))) journal.push_back(L"del " + Path(folder, name));
        return suite::Outcome::Success();
    }
    suite::Outcome RemoveFolder(const std::wstring& path) override {
        if (!folders.count(path) || !IsEmptyFolder(path))
            return suite::Outcome::Failure(145, L"La directory non \u00e8 vuota.");
        if (stuck.count(path)) return suite::Outcome::Failure(32, L"Il file \u00e8 utilizzato da un altro processo.");
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
        Set(L"Executable", L"Nubilux.exe");
        Set(L"Folder", L"Meteo");
        Installed();
    }
    // What the installer made, and no record of a removal.
    void Installed() {
        menu = FakeMenu();
        menu.folders = {P, P + L"\\Quintaris", P + L"\\Quintaris\\Meteo", P + L"\\StartUp", L"C:\\U\\Desktop"};
        menu.files = {P + L"\\Quintaris\\Meteo\\Nubilux.lnk", P + L"\\Quintaris\\Meteo\\Uninstall.lnk",
                      P + L"\\StartUp\\Nubilux.lnk", L"C:\\U\\Desktop\\Nubilux.lnk"};
    }
    void Set(const wchar_t* key, const wchar_t* value) { store.Set(kIni, L"APPLICATION", key, value); }
    uninstall::Opening Load(bool found = true) {
        return uninstall::Form_load(menu, ini, {P, P + L"\\StartUp", L"C:\\U\\Desktop", found, kApp, kSettings}, state);
    }
    uninstall::WindowTexts Proceed() {
        uninstall::Opening opening = Load();
        return uninstall::cmd_OK_Click(menu, state, opening).value_or(uninstall::WindowTexts{L"refused", L"", L""});
    }

    test::FakeProfileStore store;
    suite::ProfileReader ini{store, kIni, L""};
    uninstall::UninstallState state;
    FakeMenu menu;
};

TEST_F(Removal, ReadsTheKeysInOrderAndShowsTheTitle) {
    const auto opening = Load();
    EXPECT_EQ(opening.texts.label2, L"Rimozione del programma Nubilux");
    EXPECT_TRUE(opening.CanProceed());
    EXPECT_THAT(store.Asked(), ElementsAre(L"Gruppo", L"Name", L"Executable", L"Folder", L"EsecuzioneAutomatica",
                                           L"SulDesktop", L"PrimaEsecuzione"));
    EXPECT_EQ(state.Nome_Esecuzione_Automatica, L"StartUp");
    EXPECT_EQ(state.EsecuzioneAutomatica, L"");
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
    Installed();  // afresh
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

TEST_F(Removal, SecondRunSaysItIsDoneAlreadyOnlyWithARecordOfTheFirst) {
    Proceed();
    EXPECT_EQ(Load().verdict, uninstall::Verdict::AlreadyRemoved);
    const auto texts = Proceed();
    EXPECT_EQ(texts.label2, L"Rimozione di Nubilux gi\u00e0 eseguita.");
    EXPECT_EQ(texts.label1, L"");
    // Removed by hand, never by the uninstaller: it cannot tell, and says so.
    menu.removed.clear();
    const auto opening = Load();
    EXPECT_EQ(opening.verdict, uninstall::Verdict::NothingInstalled);
    EXPECT_FALSE(opening.CanProceed());
    EXPECT_EQ(opening.texts.label2, L"Impossibile stabilire cosa rimuovere.");
    EXPECT_EQ(opening.texts.label1,
              L"Nulla di quanto descritto nel file C:\\App\\install.ini risulta installato per questo utente.");
}

TEST_F(Removal, ADescriptionThatDoesNotMatchRemovesNothing) {
    Set(L"Folder", L"Altro");  // not what was installed
    const auto opening = Load();
    EXPECT_EQ(opening.verdict, uninstall::Verdict::NothingInstalled);
    EXPECT_EQ(menu.files.size(), 4u);
    Set(L"Folder", L"Meteo");
    Set(L"Name", L"");  // no name: nothing can be told
    EXPECT_EQ(Load().verdict, uninstall::Verdict::IncompleteDescription);
    EXPECT_EQ(Load().texts.label1,
              L"Il file C:\\App\\install.ini non indica il nome (Name) e la cartella (Folder) del programma.");
    // Shortcuts of the same name in Startup and on the desktop do not make a match: they
    // may be another installation's.
    Set(L"Name", L"Nubilux");
    Set(L"Folder", L"Altro");
    Set(L"EsecuzioneAutomatica", L"TRUE");
    Set(L"SulDesktop", L"TRUE");
    EXPECT_EQ(Load().verdict, uninstall::Verdict::NothingInstalled);
    EXPECT_EQ(menu.files.size(), 4u);
}

TEST_F(Removal, AnEmptyFolderOrAnUnknownProgramsFolderOffersNoRemoval) {
    // Without a Folder the program's menu folder would be the group itself, or Programs.
    Set(L"Folder", L"");
    EXPECT_EQ(Load().verdict, uninstall::Verdict::IncompleteDescription);
    Set(L"Folder", L"Meteo");
    // Without the Programs folder every path would start at the root of a drive: nothing
    // there is this installation, even where a folder of that name exists.
    menu.folders.insert(L"\\Quintaris\\Meteo");
    uninstall::UninstallState unknown;
    const auto opening = uninstall::Form_load(menu, ini, {L"", P + L"\\StartUp", L"C:\\U\\Desktop", true, kApp, kSettings}, unknown);
    EXPECT_EQ(opening.verdict, uninstall::Verdict::NothingInstalled);
    EXPECT_FALSE(opening.CanProceed());
    EXPECT_TRUE(menu.journal.empty());
}

TEST_F(Removal, WithoutAGroupTheProgramFolderGoesAndProgramsStays) {
    Set(L"Gruppo", L"");
    menu.folders = {P, P + L"\\Meteo"};
    menu.files = {P + L"\\Meteo\\Nubilux.lnk", P + L"\\Meteo\\Uninstall.lnk"};
    const auto texts = Proceed();
    EXPECT_EQ(texts.label2, L"Rimozione di Nubilux terminata.");
    EXPECT_EQ(texts.label1, L"");
    EXPECT_THAT(menu.journal, ElementsAre(L"del " + P + L"\\Meteo\\Nubilux.lnk", L"del " + P + L"\\Meteo\\Uninstall.lnk",
                                          L"rmdir " + P + L"\\Meteo"));
    EXPECT_TRUE(menu.folders.count(P));
}

TEST_F(Removal, TheRunningProgramIsAskedToEndFirstAndWhatStaysIsTold) {
    menu.running = L"C:\\App\\Nubilux.exe";
    const auto texts = Proceed();
    EXPECT_THAT(menu.askedToEnd, ElementsAre(L"C:\\App\\Nubilux.exe before 0 removals"));
    EXPECT_EQ(texts.label2, L"Rimozione di Nubilux terminata.");  // the texts of before, as they were
    EXPECT_EQ(texts.label1, L"E' stato rimosso anche il gruppo di programmi\" Quintaris");
    EXPECT_EQ(texts.stays, L"Restano la cartella C:\\App, con il programma e la sua immagine (ancora sfondo del "
                           L"desktop), e le impostazioni in C:\\U\\AppData\\Local\\Nubilux.");
    EXPECT_TRUE(menu.appsEntries.empty());  // and the Settings > Apps entry is gone
}

TEST_F(Removal, AProgramThatDoesNotEndIsNamedAndTheRemovalGoesOn) {
    menu.running = L"C:\\App\\Nubilux.exe";
    menu.endsWhenAsked = false;
    const auto texts = Proceed();
    EXPECT_EQ(texts.label2, L"Rimozione di Nubilux terminata.");
    EXPECT_TRUE(menu.files.count(P + L"\\Quintaris\\Meteo\\Nubilux.lnk") == 0);
    EXPECT_NE(texts.stays.find(L"\nNubilux.exe \u00e8 ancora in esecuzione"), std::wstring::npos) << texts.stays.size();
}

TEST_F(Removal, TheSettingsAppsEntryStaysUntilARemovalIsComplete) {
    menu.files.insert(P + L"\\Quintaris\\Meteo\\Manuale.lnk");  // the user's own: the removal stops
    EXPECT_EQ(Proceed().label2, L"Rimozione di Nubilux non completata.");
    EXPECT_EQ(menu.appsEntries.count(L"Quintaris Nubilux"), 1u);
    EXPECT_TRUE(Proceed().stays.empty());
}

TEST_F(Removal, CancelChangesNothing) {
    auto opening = Load();
    const auto before = menu.files;
    EXPECT_EQ(uninstall::cmd_Annulla_Click(state, opening)->label2, L"Rimozione di Nubilux annullata.");
    EXPECT_EQ(menu.files, before);
    EXPECT_TRUE(menu.journal.empty());
}

TEST_F(Removal, AChoiceNotOfferedIsRefusedWhateverAsks) {
    // "Procedi" hidden because install.ini is missing: a click on it (BM_CLICK reaches a
    // hidden button) must not start a removal of an empty name.
    test::FakeProfileStore empty;
    suite::ProfileReader none{empty, kIni, L""};
    auto missing = uninstall::Form_load(menu, none, {P, P + L"\\StartUp", L"", false, L"", L""}, state);
    EXPECT_FALSE(uninstall::cmd_OK_Click(menu, state, missing));
    EXPECT_FALSE(uninstall::cmd_Annulla_Click(state, missing));
    EXPECT_TRUE(menu.journal.empty());
    // Once chosen, neither acts again: no second removal after "Annulla" or "Procedi".
    auto cancelled = Load();
    ASSERT_TRUE(uninstall::cmd_Annulla_Click(state, cancelled));
    EXPECT_FALSE(uninstall::cmd_OK_Click(menu, state, cancelled));
    EXPECT_TRUE(menu.journal.empty());
    auto done = Load();
    ASSERT_TRUE(uninstall::cmd_OK_Click(menu, state, done));
    const auto after = menu.journal.size();
    EXPECT_FALSE(uninstall::cmd_OK_Click(menu, state, done));
    EXPECT_FALSE(uninstall::cmd_Annulla_Click(state, done));
    EXPECT_EQ(menu.journal.size(), after);
}

TEST_F(Removal, MissingDescriptionFileNamesItAndRemovesNothing) {
    test::FakeProfileStore empty;
    suite::ProfileReader none{empty, kIni, L""};
    const auto opening = uninstall::Form_load(menu, none, {P, P + L"\\StartUp", L"", false, kApp, kSettings}, state);
    EXPECT_EQ(opening.verdict, uninstall::Verdict::NoDescription);
    EXPECT_FALSE(opening.CanProceed());
    EXPECT_EQ(opening.texts.label2, L"Impossibile stabilire cosa rimuovere.");
    EXPECT_EQ(opening.texts.label1, L"Manca il file C:\\App\\install.ini, che descrive l'installazione.");
    EXPECT_EQ(menu.files.size(), 4u);
    EXPECT_TRUE(menu.journal.empty());
}

}  // namespace

namespace {

TEST_F(Removal, AnUnknownDesktopFolderNeverRemovesTheProgramsShortcutOfTheSameName) {
    Set(L"SulDesktop", L"TRUE");
    menu.files.insert(P + L"\\Nubilux.lnk");  // the user's own, in the Programs folder itself
    uninstall::Opening opening =
        uninstall::Form_load(menu, ini, {P, P + L"\\StartUp", L"", true, kApp, kSettings}, state);
    ASSERT_TRUE(uninstall::cmd_OK_Click(menu, state, opening));
    EXPECT_TRUE(menu.files.count(P + L"\\Nubilux.lnk"));
}

}  // namespace

namespace {

TEST_F(Removal, SilentlyItRemovesWhatProcediRemovesAndSaysSoInItsExitCode) {
    uninstall::Opening opening = Load();
    const uninstall::SilentEnd end = uninstall::RemoveSilently(menu, state, opening);
    EXPECT_EQ(end.exitCode, 0);
    EXPECT_EQ(end.logLine, L"Rimozione di Nubilux terminata.");
    EXPECT_FALSE(menu.files.count(P + L"\\Quintaris\\Meteo\\Nubilux.lnk"));
    EXPECT_TRUE(menu.appsEntries.empty());
}

TEST_F(Removal, SilentlyNothingFoundAndAStopPartWayHaveTheirOwnCodes) {
    menu = FakeMenu();  // nothing installed
    menu.folders = {P};
    uninstall::Opening nothing = Load();
    const uninstall::SilentEnd none = uninstall::RemoveSilently(menu, state, nothing);
    EXPECT_EQ(none.exitCode, 1605);
    EXPECT_EQ(none.logLine, L"Nulla da rimuovere: Nubilux non risulta installato.");

    Installed();
    menu.libraryMissing = true;
    uninstall::Opening opening = Load();
    const uninstall::SilentEnd stopped = uninstall::RemoveSilently(menu, state, opening);
    EXPECT_EQ(stopped.exitCode, 1603);
    EXPECT_EQ(stopped.logLine, L"Rimozione di Nubilux non completata. Impossibile trovare il modulo specificato.");
    EXPECT_EQ(menu.appsEntries.size(), 1u);  // listed still, to be tried again

    uninstall::Opening undescribed =
        uninstall::Form_load(menu, ini, {P, P + L"\\StartUp", L"C:\\U\\Desktop", false, kApp, kSettings}, state);
    EXPECT_EQ(uninstall::RemoveSilently(menu, state, undescribed).exitCode, 1603);
}

TEST_F(Removal, AnAllUsersInstallationsEntryIsRemovedFromTheMachinesKey) {
    uninstall::Opening opening =
        uninstall::Form_load(menu, ini, {P, P + L"\\StartUp", L"C:\\U\\Desktop", true, kApp, kSettings, true}, state);
    ASSERT_TRUE(uninstall::cmd_OK_Click(menu, state, opening));
    EXPECT_TRUE(menu.entryForAllUsers);
}

// The same installation for the user and for all users: an all-users removal takes the
// common folders' shortcuts and leaves the user's own.
TEST_F(Removal, AnAllUsersRemovalTakesTheCommonFoldersNotTheUsersOwn) {
    const std::wstring C = L"C:\\ProgramData\\Start Menu\\Programs", desktop = L"C:\\Users\\Public\\Desktop";
    Set(L"EsecuzioneAutomatica", L"TRUE");
    Set(L"SulDesktop", L"TRUE");
    for (const auto& folder : {C, C + L"\\Quintaris", C + L"\\Quintaris\\Meteo", C + L"\\StartUp", desktop})
        menu.folders.insert(folder);
    const std::set<std::wstring, test::PathLess> common = {
        C + L"\\Quintaris\\Meteo\\Nubilux.lnk", C + L"\\Quintaris\\Meteo\\Uninstall.lnk",
        C + L"\\StartUp\\Nubilux.lnk", desktop + L"\\Nubilux.lnk"};
    const auto own = menu.files;
    menu.files.insert(common.begin(), common.end());
    uninstall::Opening opening =
        uninstall::Form_load(menu, ini, {C, C + L"\\StartUp", desktop, true, kApp, kSettings, true}, state);
    ASSERT_TRUE(uninstall::cmd_OK_Click(menu, state, opening));
    for (const auto& file : common) EXPECT_FALSE(menu.files.count(file)) << std::string(file.begin(), file.end());
    for (const auto& file : own) EXPECT_TRUE(menu.files.count(file)) << std::string(file.begin(), file.end());
    EXPECT_FALSE(menu.IsFolder(C + L"\\Quintaris"));
    EXPECT_TRUE(menu.IsFolder(P + L"\\Quintaris\\Meteo"));
}

// A group folder that cannot be removed (a window open on it) is a removal that did not
// finish: said, and the Settings > Apps entry kept to try again.
TEST_F(Removal, AGroupThatCannotBeRemovedLeavesTheRemovalIncomplete) {
    menu.stuck.insert(P + L"\\Quintaris");
    const uninstall::WindowTexts shown = Proceed();
    EXPECT_EQ(shown.label2, L"Rimozione di Nubilux non completata.");
    EXPECT_EQ(menu.appsEntries.size(), 1u);
    EXPECT_TRUE(menu.removed.empty());
}

// The record that says a removal was done is the stored key others read again: the menu
// folder and the program's name.
TEST_F(Removal, ACompletedRemovalIsRecordedUnderItsMenuFolderAndName) {
    Proceed();
    EXPECT_EQ(menu.removed, std::set<std::wstring>{L"Quintaris\\Meteo\\Nubilux"});
}

// A description that names no program asks nothing to end.
TEST_F(Removal, WithoutAProgramNothingIsAskedToEnd) {
    Set(L"Executable", L"");
    Proceed();
    EXPECT_TRUE(menu.askedToEnd.empty());
}

// Deleting in the common Start menu and under HKLM, or in another user's profile and hive,
// needs an administrator's token, which a program built asInvoker gets only by asking
// (ShellExecuteEx's "runas"): once, and a removal of one's own never asks.
TEST(Scope, OnlyAnotherOrAllUsersRemovalWithoutRightsAsksForThemOnce) {
    using uninstall::Whose;
    EXPECT_TRUE(uninstall::MustElevate(Whose::AllUsers, false, false));
    EXPECT_TRUE(uninstall::MustElevate(Whose::SessionUser, false, false));
    EXPECT_FALSE(uninstall::MustElevate(Whose::AllUsers, true, false));   // elevated already
    EXPECT_FALSE(uninstall::MustElevate(Whose::AllUsers, false, true));   // its own elevated run, yet not elevated: no loop
    EXPECT_FALSE(uninstall::MustElevate(Whose::Own, false, false));
    EXPECT_TRUE(suite::ParseSwitches({L"/ALLUSERS", L"/S", L"/elevated"}).relaunched);
    EXPECT_TRUE(suite::ParseSwitches({L"/ALLUSERS", L"/S", L"/elevated"}).refused.empty());
}

// The elevated run gets the very arguments: Windows splits the line back into them.
TEST(Scope, ArgumentsPassOnWhole) {
    EXPECT_EQ(suite::CommandLineOf({L"/S", L"/LOG=C:\\My Logs\\u.log", L"/ALLUSERS"}),
              L"/S \"/LOG=C:\\My Logs\\u.log\" /ALLUSERS");
    EXPECT_EQ(suite::CommandLineOf({L""}), L"\"\"");
    EXPECT_EQ(suite::CommandLineOf({L"/LOG=C:\\a b\\"}), L"\"/LOG=C:\\a b\\\\\"");  // a trailing backslash doubled
    EXPECT_EQ(suite::CommandLineOf({L"say \"hi\""}), L"\"say \\\"hi\\\"\"");
    EXPECT_EQ(suite::CommandLineOf({L"a\\\"b c"}), L"\"a\\\\\\\"b c\"");  // a backslash before a quote
    EXPECT_EQ(suite::CommandLineOf({L"C:\\dir\\x"}), L"C:\\dir\\x");  // backslashes alone stay
}

TEST(Scope, TheUninstallerTakesTheInstallationThatIsThere) {
    using suite::Scope;
    using uninstall::Whose;
    using uninstall::WhoseInstallation;
    EXPECT_EQ(WhoseInstallation(Scope::Automatic, true, true, true), Whose::Own);  // one's own first
    EXPECT_EQ(WhoseInstallation(Scope::Automatic, false, true, true), Whose::SessionUser);
    EXPECT_EQ(WhoseInstallation(Scope::Automatic, false, false, true), Whose::AllUsers);
    EXPECT_EQ(WhoseInstallation(Scope::Automatic, false, false, false), Whose::Own);  // which says nothing is there
    EXPECT_EQ(WhoseInstallation(Scope::AllUsers, true, true, false), Whose::AllUsers);  // the switch decides
    EXPECT_EQ(WhoseInstallation(Scope::CurrentUser, false, true, true), Whose::Own);
}

// Windows' account model, from Microsoft's documentation ("User Account Control": an
// administrator's password typed in at a standard user's prompt runs the program as that
// administrator, in the user's session; "HKEY_USERS": each signed-in user's hive is loaded
// there under their SID, which HKEY_CURRENT_USER of another account does not reach). The
// session's user's own installation is removed from their folders, named in full, and
// their hive; the window and the log say whose it was.
TEST_F(Removal, AnotherAccountRemovesTheSessionsUsersOwnInstallationAndSaysWhose) {
    const std::wstring Q = L"C:\\Users\\anna\\Start Menu\\Programs", desktop = L"C:\\Users\\anna\\Desktop";
    Set(L"EsecuzioneAutomatica", L"TRUE");
    Set(L"SulDesktop", L"TRUE");
    menu.folders.insert({Q, Q + L"\\Quintaris", Q + L"\\Quintaris\\Meteo", Q + L"\\StartUp", desktop});
    const std::set<std::wstring, test::PathLess> anna = {
        Q + L"\\Quintaris\\Meteo\\Nubilux.lnk", Q + L"\\Quintaris\\Meteo\\Uninstall.lnk", Q + L"\\StartUp\\Nubilux.lnk",
        desktop + L"\\Nubilux.lnk"};
    const auto own = menu.files;  // the running account's shortcuts of the same names
    menu.files.insert(anna.begin(), anna.end());
    uninstall::StartEnvironment environment{Q, Q + L"\\StartUp", desktop, true, kApp, kSettings};
    environment.owner = L"PC\\anna";
    uninstall::Opening opening = uninstall::Form_load(menu, ini, environment, state);
    EXPECT_EQ(opening.texts.label1, L"Installazione dell'utente PC\\anna.");
    const uninstall::SilentEnd end = uninstall::RemoveSilently(menu, state, opening);
    EXPECT_EQ(end.exitCode, 0);
    EXPECT_EQ(end.logLine, L"Rimozione di Nubilux terminata. Installazione dell'utente PC\\anna.");
    for (const auto& file : anna) EXPECT_FALSE(menu.files.count(file)) << std::string(file.begin(), file.end());
    for (const auto& file : own) EXPECT_TRUE(menu.files.count(file)) << std::string(file.begin(), file.end());
    EXPECT_FALSE(menu.entryForAllUsers);  // from the user's own registry, which the platform holds
    EXPECT_TRUE(menu.appsEntries.empty());
}

// An installation that is there is never "nothing found" without a word: when another
// account cannot read the session's user's profile, the notice and the log say where to look.
TEST_F(Removal, AnotherAccountThatCannotReadTheUsersProfileSaysWhereTheirsIsRemoved) {
    menu = FakeMenu();
    menu.folders = {P};
    uninstall::StartEnvironment environment{P, P + L"\\StartUp", L"C:\\U\\Desktop", true, kApp, kSettings};
    environment.unreadUser = L"PC\\anna";
    uninstall::Opening opening = uninstall::Form_load(menu, ini, environment, state);
    const std::wstring note =
        L" Un'installazione dell'utente PC\\anna va rimossa da quell'utente, da Impostazioni > App o dal menu Start.";
    EXPECT_EQ(opening.texts.label1, L"Nulla di quanto descritto nel file C:\\App\\install.ini risulta installato per "
                                    L"questo utente." + note);
    EXPECT_EQ(uninstall::RemoveSilently(menu, state, opening).logLine,
              L"Nulla da rimuovere: Nubilux non risulta installato." + note);
    EXPECT_EQ(Load().texts.label1, L"Nulla di quanto descritto nel file C:\\App\\install.ini risulta installato per "
                                   L"questo utente.");  // at one's own desktop, nothing more
}

}  // namespace
