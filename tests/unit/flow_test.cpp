#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "fake_platform.h"
#include "fake_profile.h"
#include "install/flow.h"
#include "install/shortcuts.h"

namespace {

using ::testing::ElementsAre;
using test::FakePlatform;

const std::wstring P = L"C:\\U\\Start Menu\\Programs";
const std::wstring kIni = L"D:\\Setup\\Install.ini";

install::StartEnvironment Environment() {
    return {L"D:\\Setup", L"C:\\Windows", L"C:\\Program Files", P, P + L"\\StartUp", L"C:\\U\\Desktop", L"1.5.0.0"};
}

class Flow : public ::testing::Test {
protected:
    Flow() {
        Set(L"Gruppo", L"G");
        Set(L"Name", L"Meteo");
        Set(L"Executable", L"Nubilux.exe");
        Set(L"Folder", L"F");
        platform.folders.insert(P);
        platform.files[L"D:\\Setup\\LIB\\VB6STKIT.DLL"] = FakePlatform::V(1, 0, 0, 0);
        platform.librariesWithEntries.insert(L"C:\\Windows\\system32\\VB6STKIT.DLL|RegisterVB6STKIT");
    }
    void Set(const wchar_t* key, const wchar_t* value) { store.Set(kIni, L"APPLICATION", key, value); }
    install::Installation Load() { return install::Form_Load(platform, ini, Environment(), state); }
    std::vector<std::wstring> Links() const {
        std::vector<std::wstring> out;
        for (const auto& a : platform.Actions())
            if (a.rfind(L"link ", 0) == 0 || a.rfind(L"mkdir ", 0) == 0) out.push_back(a);
        return out;
    }

    test::FakeProfileStore store;
    suite::ProfileReader ini{store, kIni, L""};
    FakePlatform platform;
    install::InstallerState state;
};

TEST_F(Flow, FoldersAreWorkedOutByPlainConcatenation) {
    Load();
    EXPECT_EQ(state.Cartella_Sistema, L"C:\\Windows\\system32");
    EXPECT_EQ(state.Cartella_LIB, L"D:\\Setup\\LIB");
    EXPECT_EQ(state.Nome_Esecuzione_Automatica, L"StartUp");
    EXPECT_EQ(state.Cartella_Gruppo, P + L"\\G");
    EXPECT_EQ(state.Cartella_Menu, P + L"\\G\\F");

    install::InstallerState bare;
    install::Calcola_Cartelle({L"D:\\Setup", L"", L"", L"", L"NoBackslash", L""}, bare);
    EXPECT_EQ(bare.Cartella_Sistema, L"\\system32");
    EXPECT_EQ(bare.Nome_Esecuzione_Automatica, L"NoBackslash");
    EXPECT_EQ(bare.Cartella_Menu, L"\\");  // no group: the program's folder right below Programs
}

TEST_F(Flow, CleanRunMakesGroupFolderAndTheTwoShortcutsAfterDeployment) {
    const auto texts = Load().texts;
    EXPECT_EQ(texts.label1, L"Installazione del programma");
    EXPECT_EQ(texts.label2, L"Meteo");
    const std::wstring app = L"D:\\Setup";  // where Install.exe runs, beside the program
    EXPECT_THAT(Links(), ElementsAre(L"mkdir " + P + L"\\G", L"mkdir " + P + L"\\G\\F",
                                     L"link G\\F|Meteo|" + app + L"\\Nubilux.exe",
                                     L"link G\\F|Uninstall|" + app + L"\\uninstall.exe"));
    // the shortcut library was deployed before any shortcut was asked of it
    EXPECT_EQ(platform.Actions()[1], L"call C:\\Windows\\system32\\VB6STKIT.DLL RegisterVB6STKIT in C:\\Windows\\system32");
}

TEST_F(Flow, ACompletedInstallationIsListedUnderSettingsApps) {
    Load();
    ASSERT_EQ(platform.appsEntries.size(), 1u);
    const suite::AppsEntry& entry = platform.appsEntries[0];
    EXPECT_EQ(entry.key, L"Quintaris Meteo");
    EXPECT_EQ(entry.displayName, L"Meteo");
    EXPECT_EQ(entry.displayVersion, L"1.5.0.0");
    EXPECT_EQ(entry.publisher, L"Quintaris Srl");
    EXPECT_EQ(entry.displayIcon, L"D:\\Setup\\Nubilux.exe");
    EXPECT_EQ(entry.installLocation, L"D:\\Setup");
    EXPECT_EQ(entry.uninstallString, L"\"D:\\Setup\\uninstall.exe\"");
    EXPECT_EQ(entry.quietUninstallString, L"\"D:\\Setup\\uninstall.exe\" /S");
    EXPECT_FALSE(entry.allUsers);
    const suite::AppsEntry machine = suite::PlanAppsEntry(state, L"D:\\Setup", L"1.5.0.0", 0, true);
    EXPECT_TRUE(machine.allUsers);
    EXPECT_EQ(machine.uninstallString, L"\"D:\\Setup\\uninstall.exe\" /ALLUSERS");
    EXPECT_EQ(machine.quietUninstallString, L"\"D:\\Setup\\uninstall.exe\" /ALLUSERS /S");
    EXPECT_EQ(suite::AppsEntryPath(machine),
              L"HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quintaris Meteo");
    EXPECT_EQ(entry.estimatedSizeKiB, 5u);  // 5000 bytes, rounded up
    // Whole KiB, rounded up; a folder too large for the entry's 32 bits shows the most it can.
    const auto size = [&](std::uint64_t bytes) { return suite::PlanAppsEntry(state, L"D:\\Setup", L"1", bytes, false).estimatedSizeKiB; };
    EXPECT_EQ(size(0), 0u);
    EXPECT_EQ(size(1), 1u);
    EXPECT_EQ(size(1024), 1u);
    EXPECT_EQ(size(1025), 2u);
    EXPECT_EQ(size(std::uint64_t{1} << 45), 0xFFFFFFFFu);
    // A name holding a backslash still names one key of its own.
    EXPECT_EQ(suite::AppsEntryKey(L"Meteo\\Pro"), L"Quintaris Meteo-Pro");
}

TEST_F(Flow, AnInstallationInPlaceIsNoFailureAndItsEntryIsListedAgain) {
    platform.folders.insert(P + L"\\G");
    platform.folders.insert(P + L"\\G\\F");
    const auto again = Load();
    EXPECT_EQ(again.texts.label2, L"Gi\u00e0 installato o errore d'installazione.");  // the window as ever
    EXPECT_EQ(again.result, install::Result::AlreadyInstalled);
    EXPECT_EQ(install::ExitCode(again.result), 0);
    ASSERT_EQ(platform.appsEntries.size(), 1u);  // from this folder, with its size now
    EXPECT_EQ(platform.appsEntries[0].installLocation, L"D:\\Setup");
    EXPECT_THAT(std::vector<std::wstring>(platform.log.end() - 2, platform.log.end()),
                ElementsAre(L"Voce in Impostazioni > App: HKCU\\Software\\Microsoft\\Windows\\CurrentVersion"
                            L"\\Uninstall\\Quintaris Meteo",
                            L"Gi\u00e0 installato: " + P + L"\\G\\F"));
}

TEST_F(Flow, NoEntryWhenTheShortcutsFailAndAnEntryThatCannotBeWrittenIsLoggedOnly) {
    platform.failing.insert(L"link");
    const auto failed = Load();
    EXPECT_EQ(failed.result, install::Result::Failed);
    EXPECT_EQ(install::ExitCode(failed.result), 1603);
    EXPECT_TRUE(platform.appsEntries.empty());
    EXPECT_EQ(platform.log.back(), L"Installazione non riuscita: collegamenti non creati");

    FakePlatform refusing;
    refusing.folders.insert(P);
    refusing.files[L"D:\\Setup\\LIB\\VB6STKIT.DLL"] = FakePlatform::V(1, 0, 0, 0);
    refusing.librariesWithEntries.insert(L"C:\\Windows\\system32\\VB6STKIT.DLL|RegisterVB6STKIT");
    refusing.failing.insert(L"apps entry");
    install::InstallerState other;
    const auto listedNot = install::Form_Load(refusing, ini, Environment(), other);
    EXPECT_EQ(listedNot.texts.label1, L"Installazione del programma");
    EXPECT_EQ(listedNot.result, install::Result::Installed);
    EXPECT_THAT(refusing.log, ::testing::Contains(L"Errore: 5-Accesso negato. HKCU\\Software\\Microsoft\\Windows"
                                                  L"\\CurrentVersion\\Uninstall\\Quintaris Meteo"));
    EXPECT_EQ(refusing.log.back(), L"Installazione completata");
}

TEST_F(Flow, NoComponentDeployedIsAFailure) {
    platform.files.clear();  // LIB holds nothing: the library's copy fails, and its registration
    const auto failed = Load();
    EXPECT_EQ(failed.result, install::Result::Failed);
    EXPECT_EQ(platform.log.back(), L"Installazione non riuscita: nessun componente installato");
    EXPECT_TRUE(Links().empty());
}

TEST_F(Flow, TheLogSaysWhereAndForWhomBeforeDeployment) {
    auto environment = Environment();
    environment.scope = install::ChooseScope(suite::Scope::Automatic, suite::Account::System);
    install::Form_Load(platform, ini, environment, state);
    EXPECT_EQ(platform.log[0], L"Cartella dell'applicazione: D:\\Setup");
    EXPECT_EQ(platform.log[1], L"Collegamenti per tutti gli utenti: installazione eseguita dall'account di sistema");
    EXPECT_EQ(platform.log.back(), L"Installazione completata");
}

TEST_F(Flow, AllUsersShortcutsAreNamedInFullInTheirFolders) {
    const std::wstring common = L"C:\\ProgramData\\Start Menu\\Programs";
    platform.folders.insert(common);
    Set(L"EsecuzioneAutomatica", L"TRUE");
    Set(L"SulDesktop", L"TRUE");
    auto environment = Environment();
    environment.programs = common;
    environment.startup = common + L"\\StartUp";
    environment.desktop = L"C:\\Users\\Public\\Desktop";
    environment.scope = install::ChooseScope(suite::Scope::AllUsers, suite::Account::DesktopUser);
    const auto installation = install::Form_Load(platform, ini, environment, state);
    EXPECT_EQ(installation.result, install::Result::Installed);
    // The library's own root is the user's Programs folder: all users' folders go in full.
    EXPECT_THAT(Links(), ElementsAre(L"mkdir " + common + L"\\G", L"mkdir " + common + L"\\G\\F",
                                     L"link " + common + L"\\G\\F|Meteo|D:\\Setup\\Nubilux.exe",
                                     L"link " + common + L"\\G\\F|Uninstall|D:\\Setup\\uninstall.exe",
                                     L"link " + common + L"\\StartUp|Meteo|D:\\Setup\\Nubilux.exe",
                                     L"link C:\\Users\\Public\\Desktop|Meteo|D:\\Setup\\Nubilux.exe"));
    ASSERT_EQ(platform.appsEntries.size(), 1u);
    EXPECT_TRUE(platform.appsEntries[0].allUsers);
}

// One installation of a program per computer, whichever scope is installed second.
class TwoScopes : public Flow {
protected:
    const std::wstring common = L"C:\\ProgramData\\Start Menu\\Programs";
    TwoScopes() {
        platform.folders.insert(common);
        Set(L"EsecuzioneAutomatica", L"TRUE");
        Set(L"SulDesktop", L"TRUE");
    }
    install::StartEnvironment ForAllUsers() {
        auto environment = Environment();
        environment.programs = common;
        environment.startup = common + L"\\StartUp";
        environment.desktop = L"C:\\Users\\Public\\Desktop";
        environment.scope = install::ChooseScope(suite::Scope::AllUsers, suite::Account::DesktopUser);
        environment.other = {P, P + L"\\StartUp", L"C:\\U\\Desktop"};
        return environment;
    }
    std::vector<std::wstring> Removals() const {
        std::vector<std::wstring> out;
        for (const auto& a : platform.Actions())
            if (a.find(L"unlink ") != std::wstring::npos || a.find(L"rmdir ") != std::wstring::npos) out.push_back(a);
        return out;
    }
};

TEST_F(TwoScopes, AllUsersReplacesTheUsersOwnInstallation) {
    platform.folders.insert({P + L"\\G", P + L"\\G\\F"});
    const auto installation = install::Form_Load(platform, ini, ForAllUsers(), state);
    EXPECT_EQ(installation.result, install::Result::Installed);
    // The user's own shortcuts go, named below their Programs folder as they were made, then
    // the folders, the group's too now that it is empty; then the user's own entry.
    EXPECT_THAT(Removals(), ElementsAre(L"unlink G\\F|Meteo", L"unlink G\\F|Uninstall", L"unlink StartUp|Meteo",
                                        L"unlink C:\\U\\Desktop|Meteo", L"rmdir " + P + L"\\G\\F",
                                        L"rmdir " + P + L"\\G"));
    EXPECT_THAT(platform.removedEntries, ElementsAre(L"HKCU Quintaris Meteo"));
    EXPECT_TRUE(platform.appsEntries.at(0).allUsers);
    EXPECT_THAT(platform.log, ::testing::Contains(L"L'installazione per l'utente corrente \u00e8 sostituita da quella "
                                                  L"per tutti gli utenti, rimossa: " + P + L"\\G\\F"));
}

TEST_F(TwoScopes, WhatCannotBeReplacedIsLoggedAndTheInstallationStands) {
    platform.folders.insert({P + L"\\G", P + L"\\G\\F"});
    platform.failing.insert(L"unlink StartUp|Meteo");
    const auto installation = install::Form_Load(platform, ini, ForAllUsers(), state);
    EXPECT_EQ(installation.result, install::Result::Installed);
    EXPECT_TRUE(platform.removedEntries.empty());  // still listed: it is still there
    EXPECT_THAT(platform.log, ::testing::Contains(L"Errore: 5-Accesso negato. Installazione per l'utente corrente "
                                                  L"non rimossa: " + P + L"\\G\\F"));

    // Its shortcuts gone, but not its entry: said, and not as replaced.
    platform.failing = {L"remove entry"};
    platform.folders.insert({P + L"\\G", P + L"\\G\\F"});
    platform.log.clear();
    install::Form_Load(platform, ini, ForAllUsers(), state);
    EXPECT_THAT(platform.log, ::testing::Contains(L"Errore: 5-Accesso negato. Installazione per l'utente corrente "
                                                  L"non rimossa: Quintaris Meteo"));
    EXPECT_THAT(platform.log, ::testing::Not(::testing::Contains(::testing::HasSubstr(L"sostituita"))));
}

TEST_F(TwoScopes, NoRemovalWithoutTheUsersOwnOrWhenTheAllUsersStepFails) {
    install::Form_Load(platform, ini, ForAllUsers(), state);
    EXPECT_TRUE(Removals().empty());
    EXPECT_TRUE(platform.removedEntries.empty());

    platform = FakePlatform();
    platform.files[L"D:\\Setup\\LIB\\VB6STKIT.DLL"] = FakePlatform::V(1, 0, 0, 0);
    platform.librariesWithEntries.insert(L"C:\\Windows\\system32\\VB6STKIT.DLL|RegisterVB6STKIT");
    platform.folders.insert({common, P + L"\\G", P + L"\\G\\F"});
    platform.failing.insert(L"link");
    EXPECT_EQ(install::Form_Load(platform, ini, ForAllUsers(), state).result, install::Result::Failed);
    EXPECT_THAT(Removals(), ::testing::Each(::testing::Not(::testing::HasSubstr(P))));  // the user's own stays
    EXPECT_TRUE(platform.removedEntries.empty());
}

TEST_F(TwoScopes, APerUserInstallationWhereAllUsersHaveOneAddsNothing) {
    platform.folders.insert({common + L"\\G", common + L"\\G\\F"});
    auto environment = Environment();
    environment.other = {common, common + L"\\StartUp", L"C:\\Users\\Public\\Desktop"};
    const auto installation = install::Form_Load(platform, ini, environment, state);
    EXPECT_EQ(installation.result, install::Result::AlreadyInstalled);
    EXPECT_EQ(install::ExitCode(installation.result), 0);
    EXPECT_TRUE(Links().empty());
    EXPECT_TRUE(platform.appsEntries.empty());
    EXPECT_TRUE(Removals().empty());
    EXPECT_EQ(platform.log.back(), L"Gi\u00e0 installato per tutti gli utenti, nulla \u00e8 stato aggiunto per "
                                   L"l'utente corrente: " + common + L"\\G\\F");
}

TEST(Scope, ASwitchDecidesElseAllUsersUnlessTheDesktopsUserInstalls) {
    using suite::Account;
    using suite::Scope;
    EXPECT_FALSE(install::ChooseScope(Scope::Automatic, Account::DesktopUser).allUsers);
    EXPECT_TRUE(install::ChooseScope(Scope::Automatic, Account::OtherUser).allUsers);  // over-the-shoulder elevation
    EXPECT_TRUE(install::ChooseScope(Scope::Automatic, Account::System).allUsers);     // a deployment tool
    for (const Account account : {Account::DesktopUser, Account::OtherUser, Account::System}) {
        EXPECT_TRUE(install::ChooseScope(Scope::AllUsers, account).allUsers);
        EXPECT_FALSE(install::ChooseScope(Scope::CurrentUser, account).allUsers);
    }
    EXPECT_NE(install::ChooseScope(Scope::Automatic, Account::OtherUser).note,
              install::ChooseScope(Scope::Automatic, Account::System).note);  // the log says which
    // Asked for its own shortcuts under another account: the log says whose profile has them.
    EXPECT_EQ(install::ChooseScope(Scope::CurrentUser, Account::DesktopUser, L"PC\\anna").note,
              L"Collegamenti per l'utente corrente");
    EXPECT_EQ(install::ChooseScope(Scope::CurrentUser, Account::OtherUser, L"PC\\admin").note,
              L"Collegamenti per l'utente PC\\admin (/CURRENTUSER), che non \u00e8 l'utente collegato");
}

// Windows' account model, from Microsoft's documentation: OpenProcessToken on another
// account's process needs SeDebugPrivilege enabled, which an elevated administrator holds
// but not enabled, so the desktop shell's token cannot tell; WTSQuerySessionInformation
// (WTSUserName, WTSDomainName) on the current session names the user signed in to it. A
// standard user who types an administrator's password at the elevation prompt runs the
// installer as that administrator, in the user's own session.
TEST(Scope, TheAccountIsTheSessionsUserOrAnother) {
    using suite::Account;
    using suite::AccountOf;
    EXPECT_EQ(AccountOf({false, L"PC\\anna", L"PC\\anna"}), Account::DesktopUser);
    EXPECT_EQ(AccountOf({false, L"PC\\Anna", L"pc\\ANNA"}), Account::DesktopUser);  // letter case aside
    EXPECT_EQ(AccountOf({false, L"PC\\admin", L"PC\\anna"}), Account::OtherUser);    // over the shoulder
    EXPECT_EQ(AccountOf({false, L"DOMINIO\\anna", L"PC\\anna"}), Account::OtherUser);  // another domain's anna
    EXPECT_EQ(AccountOf({true, L"NT AUTHORITY\\SYSTEM", L"PC\\anna"}), Account::System);
    EXPECT_EQ(AccountOf({true, L"NT AUTHORITY\\SYSTEM", std::nullopt}), Account::System);
    EXPECT_EQ(AccountOf({false, L"PC\\servizio", L""}), Account::OtherUser);  // no one signed in to its session
    // Nothing to compare: the session's user, as the installer always took it.
    EXPECT_EQ(AccountOf({false, L"PC\\anna", std::nullopt}), Account::DesktopUser);
    EXPECT_EQ(AccountOf({false, L"", L"PC\\anna"}), Account::DesktopUser);
}

// "Known folders" and the "User Shell Folders" key, from Microsoft's documentation: a
// user's folders are stored with %USERPROFILE% in them, expanded at that user's logon from
// their entry in the machine's ProfileList ("%SystemDrive%\\Users\\anna"). Another account
// expanding them would get its own profile: only those two are put in.
TEST(Scope, AnotherProfilesFoldersAreTheirsOrUnknown) {
    using suite::ProfileFolder;
    EXPECT_EQ(ProfileFolder(L"%USERPROFILE%\\Desktop", L"C:\\Users\\anna", L"C:"), L"C:\\Users\\anna\\Desktop");
    EXPECT_EQ(ProfileFolder(L"%userprofile%\\Desktop", L"C:\\Users\\anna", L"C:"), L"C:\\Users\\anna\\Desktop");
    EXPECT_EQ(ProfileFolder(L"%SystemDrive%\\Users\\anna", L"", L"D:"), L"D:\\Users\\anna");
    EXPECT_EQ(ProfileFolder(L"E:\\Redirected\\Desktop", L"C:\\Users\\anna", L"C:"), L"E:\\Redirected\\Desktop");
    EXPECT_EQ(ProfileFolder(L"%APPDATA%\\Microsoft", L"C:\\Users\\anna", L"C:"), std::nullopt);  // the runner's own
    EXPECT_EQ(ProfileFolder(L"%USERPROFILE%\\Desktop", L"", L"C:"), std::nullopt);  // no profile to put in
    EXPECT_EQ(ProfileFolder(L"%SystemDrive%\\x", L"C:\\U", L""), std::nullopt);
    EXPECT_EQ(ProfileFolder(L"C:\\50%\\off", L"C:\\U", L"C:"), std::nullopt);  // half a variable
    EXPECT_EQ(ProfileFolder(L"%USERPROFILE", L"C:\\U", L"C:"), std::nullopt);
    EXPECT_EQ(ProfileFolder(L"%USERPROFILE%%USERPROFILE%", L"P", L"C:"), L"PP");
}

TEST(Switches, AnyOrderAnyCaseAndEachRefusalNamed) {
    const auto all = suite::ParseSwitches({L"/nostart", L"/LOG=C:\\Temp\\My Log.txt", L"/s", L"/AllUsers"});
    EXPECT_TRUE(all.silent);
    EXPECT_TRUE(all.noStart);
    EXPECT_EQ(all.log, L"C:\\Temp\\My Log.txt");  // as given, letter case and spaces kept
    EXPECT_EQ(all.scope, suite::Scope::AllUsers);
    EXPECT_TRUE(all.refused.empty());
    EXPECT_TRUE(suite::ParseSwitches({L"-S"}).silent);
    EXPECT_TRUE(suite::ParseSwitches({L"/?"}).usage);
    EXPECT_TRUE(suite::ParseSwitches({L"/S", L"/S", L"/currentuser", L"/CURRENTUSER"}).refused.empty());  // repeated
    EXPECT_EQ(suite::ParseSwitches({L"/S", L"/QUIET", L"/X"}).refused, L"/QUIET");  // the first named
    // Both scopes: the contradiction named, not an unknown switch.
    const auto both = suite::ParseSwitches({L"/S", L"/allusers", L"/CURRENTUSER", L"/ALLUSERS"});
    EXPECT_EQ(both.refused, L"/CURRENTUSER");
    EXPECT_EQ(suite::RefusalLine(both), L"Opzioni in contraddizione: /allusers e /CURRENTUSER");
    EXPECT_EQ(suite::RefusalLine(suite::ParseSwitches({L"/S", L"/QUIET"})), L"Opzione sconosciuta: /QUIET");
    // A refusal after a contradiction names the contradiction, the first refused.
    EXPECT_EQ(suite::RefusalLine(suite::ParseSwitches({L"/ALLUSERS", L"/CURRENTUSER", L"/X"})),
              L"Opzioni in contraddizione: /ALLUSERS e /CURRENTUSER");
    EXPECT_EQ(suite::RefusalLine(suite::ParseSwitches({L"/X", L"/ALLUSERS", L"/CURRENTUSER"})), L"Opzione sconosciuta: /X");
    EXPECT_EQ(suite::ParseSwitches({L"setup"}).refused, L"setup");
    EXPECT_EQ(suite::ParseSwitches({L"\\S"}).refused, L"\\S");  // a backslash is no switch
    EXPECT_FALSE(suite::ParseSwitches({L"\\S"}).silent);
    // A refusal still reads what follows: a silent run says it in the log, not a window.
    for (const wchar_t* first : {L"/QUIET", L"setup"}) {
        const auto refusedThenSilent = suite::ParseSwitches({first, L"/S"});
        EXPECT_EQ(refusedThenSilent.refused, first);
        EXPECT_TRUE(refusedThenSilent.silent) << first;
    }
    EXPECT_EQ(suite::ParseSwitches({L"/LOG="}).refused, L"/LOG=");
    EXPECT_EQ(suite::ParseSwitches({L"/log=x"}).log, L"x");  // the shortest path is a path
    EXPECT_EQ(suite::ParseSwitches({}).scope, suite::Scope::Automatic);
}
TEST_F(Flow, ExistingGroupOnlyGetsTheProgramFolder) {
    platform.folders.insert(P + L"\\G");
    Load();
    EXPECT_EQ(Links()[0], L"mkdir " + P + L"\\G\\F");
    EXPECT_EQ(Links().size(), 3u);
}

TEST_F(Flow, GroupInOtherLetterCaseCountsAsExisting) {
    platform.folders.insert(P + L"\\g");
    EXPECT_EQ(Load().texts.label1, L"Installazione del programma");
    EXPECT_EQ(Links()[0], L"mkdir " + P + L"\\G\\F");
}

TEST_F(Flow, SecondRunShowsTheWarningAndMakesNoShortcut) {
    platform.folders.insert(P + L"\\G");
    platform.folders.insert(P + L"\\G\\F");
    const auto texts = Load().texts;
    EXPECT_EQ(texts.label1, L"Attenzione!!");
    EXPECT_EQ(texts.label2, L"Gi\u00e0 installato o errore d'installazione.");
    EXPECT_EQ(Links().size(), 0u);
}

TEST_F(Flow, AFailedShortcutStepUndoesWhatThisRunMadeSoARetryWorks) {
    Set(L"SulDesktop", L"TRUE");
    install::StartEnvironment noDesktop = Environment();
    noDesktop.desktop.clear();  // the desktop folder cannot be found
    EXPECT_EQ(install::Form_Load(platform, ini, noDesktop, state).texts.label1, L"Attenzione!!");
    const std::wstring app = L"D:\\Setup";  // where Install.exe runs, beside the program
    std::vector<std::wstring> undone;
    for (const auto& a : platform.Actions())
        if (a.rfind(L"unlink ", 0) == 0 || a.rfind(L"rmdir ", 0) == 0) undone.push_back(a);
    EXPECT_THAT(undone, ElementsAre(L"unlink G\\F|Uninstall", L"unlink G\\F|Meteo", L"rmdir " + P + L"\\G\\F",
                                    L"rmdir " + P + L"\\G"));
    EXPECT_FALSE(platform.IsFolder(P + L"\\G"));
    // A folder that was there before is never removed; and the retry goes through.
    Set(L"SulDesktop", L"");
    install::InstallerState again;
    EXPECT_EQ(install::Form_Load(platform, ini, Environment(), again).texts.label1, L"Installazione del programma");
}

TEST_F(Flow, WithoutGroupAnExistingProgramFolderIsReused) {
    Set(L"Gruppo", L"");
    platform.folders.insert(P + L"\\F");
    EXPECT_EQ(Load().texts.label1, L"Installazione del programma");
    EXPECT_THAT(Links(), ElementsAre(L"link F|Meteo|D:\\Setup\\Nubilux.exe",
                                     L"link F|Uninstall|D:\\Setup\\uninstall.exe"));
}

TEST_F(Flow, WithoutGroupAMissingProgramFolderIsCreated) {
    Set(L"Gruppo", L"");
    Load();
    EXPECT_EQ(Links()[0], L"mkdir " + P + L"\\F");
}

// Without a program folder there is nowhere for the shortcuts: a failure (not an
// installation found in place), with or without a group.
TEST_F(Flow, EmptyFolderAlwaysFails) {
    Set(L"Folder", L"");
    EXPECT_EQ(Load().result, install::Result::Failed);
    Set(L"Gruppo", L"");
    install::InstallerState other;
    FakePlatform fresh;
    fresh.folders.insert(P);
    EXPECT_EQ(install::Form_Load(fresh, ini, Environment(), other).result, install::Result::Failed);
    EXPECT_TRUE(fresh.appsEntries.empty());
}

TEST_F(Flow, AGroupThatCannotBeMadeIsWhereTheShortcutStepStops) {
    platform.failing.insert(L"mkdir " + P + L"\\G");
    EXPECT_EQ(Load().result, install::Result::Failed);
    for (const auto& action : platform.journal) EXPECT_EQ(action.find(L"G\\F"), std::wstring::npos);
}

TEST_F(Flow, StartupAndDesktopShortcutsOnlyForExactlyTRUE) {
    Set(L"EsecuzioneAutomatica", L"TRUE");
    Set(L"SulDesktop", L"TRUE");
    Load();
    const std::wstring target = L"D:\\Setup\\Nubilux.exe";
    EXPECT_THAT(Links(), ElementsAre(::testing::_, ::testing::_, ::testing::_, ::testing::_,
                                     L"link StartUp|Meteo|" + target, L"link C:\\U\\Desktop|Meteo|" + target));

    for (const wchar_t* no : {L"True", L"true", L"1", L"yes", L""}) {
        install::InstallerState s = state;
        s.EsecuzioneAutomatica = s.SulDesktop = no;
        EXPECT_EQ(install::PianoIcone(s).size(), 2u) << no;
    }
}

TEST_F(Flow, ShortcutFailureStopsAtTheFirstAndWarns) {
    platform.failing.insert(L"link");
    EXPECT_EQ(Load().texts.label2, L"Gi\u00e0 installato o errore d'installazione.");
    EXPECT_EQ(std::count_if(platform.journal.begin(), platform.journal.end(),
                            [](const std::wstring& j) { return j.find(L"link") != std::wstring::npos; }),
              1);
}

TEST_F(Flow, UnknownFoldersFailInsteadOfWritingElsewhere) {
    install::InstallerState s;
    FakePlatform p;
    s.Gruppo = L"G";
    s.Folder = L"F";
    EXPECT_FALSE(install::Crea_Gruppo_e_Icone(p, s));  // no Programs folder
    EXPECT_TRUE(p.Actions().empty());

    Set(L"SulDesktop", L"TRUE");
    auto environment = Environment();
    environment.desktop.clear();
    EXPECT_EQ(install::Form_Load(platform, ini, environment, state).texts.label1, L"Attenzione!!");
}

TEST_F(Flow, MissingDescriptionFileDeploysTheLibraryWarnsAndFails) {
    test::FakeProfileStore empty;
    suite::ProfileReader none{empty, kIni, L""};
    auto environment = Environment();
    environment.descriptionFound = false;
    const auto installation = install::Form_Load(platform, none, environment, state);
    EXPECT_EQ(installation.texts.label1, L"Attenzione!!");
    EXPECT_EQ(installation.result, install::Result::Failed);
    EXPECT_EQ(install::ExitCode(installation.result), 1603);
    EXPECT_THAT(platform.log, ::testing::Contains(L"C:\\Windows\\system32\\VB6STKIT.DLL Register"));
    EXPECT_EQ(platform.log.back(), L"Installazione non riuscita: manca il file di descrizione D:\\Setup\\Install.ini");
    EXPECT_TRUE(platform.appsEntries.empty());
}

}  // namespace
