// What Install makes is exactly what Uninstall removes: both read the same description
// and take the same plan.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "fake_profile.h"
#include "install/flow.h"
#include "install/shortcuts.h"
#include "uninstall/flow.h"

namespace {

const std::wstring P = L"C:\\U\\Programs";
const std::wstring kIni = L"C:\\App\\Install.ini";

// Records the shortcuts the uninstaller asks to remove; the program's folder is there.
class Recorder : public uninstall::Platform {
public:
    std::vector<std::wstring> removed;
    bool menuThere = true;
    suite::Outcome RemoveShortcut(const std::wstring& folder, const std::wstring& name) override {
        removed.push_back(folder + L"|" + name);
        return suite::Outcome::Success();
    }
    std::vector<std::wstring> removedFolders;
    suite::Outcome RemoveFolder(const std::wstring& path) override {
        removedFolders.push_back(path);
        return suite::Outcome::Success();
    }
    bool IsFolder(const std::wstring&) override { return menuThere; }
    bool IsEmptyFolder(const std::wstring&) override { return true; }
    bool WasRemoved(const std::wstring&) override { return false; }
    void RecordRemoval(const std::wstring&) override {}
    bool EndProgram(const std::wstring&) override { return true; }
    suite::Outcome RemoveAppsEntry(const std::wstring&, bool) override { return suite::Outcome::Success(); }
};

TEST(Layout, WhatInstallMakesIsWhatUninstallRemoves) {
    for (const wchar_t* group : {L"Quintaris", L""})
        for (const wchar_t* startup : {L"TRUE", L"FALSE"})
            for (const wchar_t* desktop : {L"TRUE", L""}) {
                test::FakeProfileStore store;
                for (const auto& [key, value] : {std::pair{L"Gruppo", group}, {L"Name", L"Nubilux"},
                                                 {L"Executable", L"Nubilux.exe"}, {L"Folder", L"Meteo"},
                                                 {L"EsecuzioneAutomatica", startup}, {L"SulDesktop", desktop}})
                    store.Set(kIni, L"APPLICATION", key, value);
                const suite::ProfileReader ini{store, kIni, L""};

                install::InstallerState installed;
                install::File_INI_Carica(ini, installed);
                install::Calcola_Cartelle({L"C:\\App", L"C:\\Windows", L"C:\\Program Files", P, P + L"\\StartUp",
                                           L"C:\\U\\Desktop", L"1.5.0.0"},
                                          installed);
                std::vector<std::wstring> made;
                for (const auto& shortcut : install::PianoIcone(installed))
                    made.push_back(shortcut.folder + L"|" + shortcut.name);

                Recorder menu;
                uninstall::UninstallState state;
                auto opening = uninstall::Form_load(menu, ini, {P, P + L"\\StartUp", L"C:\\U\\Desktop", true, L"C:\\App", L""},
                                                   state);
                ASSERT_EQ(opening.verdict, uninstall::Verdict::Remove);
                uninstall::cmd_OK_Click(menu, state, opening);
                EXPECT_EQ(menu.removed, made) << group << " " << startup << " " << desktop;
                EXPECT_EQ(made.size(), 2u + (std::wstring(startup) == L"TRUE") + (std::wstring(desktop) == L"TRUE"));
            }
}

// A menu folder already gone (removed by hand after its shortcuts) is no failure: the
// shortcuts go, and no folder is asked to go.
TEST(Layout, AMenuFolderAlreadyGoneIsNoFailure) {
    Recorder menu;
    menu.menuThere = false;
    const suite::Layout layout{L"G", L"Meteo", L"Nubilux.exe", L"F", L"", L"", L""};
    const suite::LayoutRemoval removal =
        suite::RemoveLayout(menu, layout, {L"StartUp", L"C:\\U\\Desktop", L"C:\\App", L""}, P);
    EXPECT_TRUE(removal.failure);
    EXPECT_FALSE(removal.groupRemoved);
    EXPECT_EQ(menu.removed, (std::vector<std::wstring>{L"G\\F|Meteo", L"G\\F|Uninstall"}));
    EXPECT_TRUE(menu.removedFolders.empty());
}

}  // namespace
