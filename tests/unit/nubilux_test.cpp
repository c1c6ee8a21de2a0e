#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "app/bitmap.h"
#include "app/config.h"
#include "app/hourly.h"
#include "app/status.h"
#include "app/update.h"
#include "app/window_rules.h"
#include "fake_profile.h"

namespace {

using ::testing::ElementsAre;

TEST(Mode, OnlyTextReadingAsZeroStartsAutomatic) {
    for (const wchar_t* automatic : {L"0", L"00", L" 0", L"0.0", L"-0", L"0 "}) {
        EXPECT_TRUE(nubilux::StartsAutomatic(automatic)) << automatic;
    }
    for (const wchar_t* manual : {L"1", L"-1", L"", L"abc", L"0abc", L"2.5", L"nontrovato"}) {
        EXPECT_FALSE(nubilux::StartsAutomatic(manual)) << manual;
    }
    test::FakeProfileStore store;
    const auto ini = nubilux::MakeReader(store, L"C:\\App");
    EXPECT_FALSE(nubilux::StartsAutomatic(ini.File_INI_Leggi(nubilux::kSection, nubilux::kKey)));  // "-1"
    store.Set(L"C:\\App\\Nubilux.ini", L"Nubilux", L"Aggiornamento", L"0");
    EXPECT_TRUE(nubilux::StartsAutomatic(ini.File_INI_Leggi(nubilux::kSection, nubilux::kKey)));
    EXPECT_STREQ(nubilux::StoredMode(true), L"0");
    EXPECT_STREQ(nubilux::StoredMode(false), L"1");
}

TEST(Hourly, FirstTickUpdatesThenOnceAnHour) {
    nubilux::HourlyRule rule;
    EXPECT_TRUE(rule.Timer1_Timer(9));  // the first tick of the run, at 09:59:58
    EXPECT_EQ(rule.Ultima_Ora(), L"09");
    EXPECT_FALSE(rule.Timer1_Timer(9));  // 09:59:59
    EXPECT_TRUE(rule.Timer1_Timer(10));  // 10:00:00
    EXPECT_FALSE(rule.Timer1_Timer(10));
    EXPECT_TRUE(rule.Timer1_Timer(11));
    EXPECT_TRUE(rule.Timer1_Timer(10));  // the clock set back: the hour changed
    EXPECT_TRUE(rule.Timer1_Timer(0));
    EXPECT_EQ(rule.Ultima_Ora(), L"00");
}

TEST(Hourly, SwitchingToManualAndBackKeepsTheHour) {
    nubilux::HourlyRule rule;
    EXPECT_TRUE(rule.Timer1_Timer(10));  // 10:00, Automatic
    // Manual at 10:05: no ticks; Automatic again at 10:20
    EXPECT_FALSE(rule.Timer1_Timer(10));
    EXPECT_TRUE(rule.Timer1_Timer(11));
    nubilux::HourlyRule late;  // Automatic chosen for the first time at 10:20
    EXPECT_TRUE(late.Timer1_Timer(10));
}

TEST(Status, TableAndWinInetMapping) {
    EXPECT_STREQ(nubilux::DescribeState(0)->name, L"icNone");
    EXPECT_STREQ(nubilux::DescribeState(11)->description, L"Errore di comunicazione con il computer host.");
    EXPECT_STREQ(nubilux::DescribeState(12)->name, L"icResponseCompleted");
    EXPECT_STREQ(nubilux::DescribeState(2)->description, L"L'indirizzo IP del computer host \u00e8 stato trovato.");
    EXPECT_FALSE(nubilux::DescribeState(13));
    EXPECT_FALSE(nubilux::DescribeState(-1));
    const std::pair<unsigned long, int> mapping[] = {{10, 1}, {11, 2}, {20, 3}, {21, 4}, {30, 5}, {31, 6},
                                                     {40, 7}, {41, 8}, {50, 9}, {51, 10}, {100, 12}};
    for (const auto& [status, state] : mapping) EXPECT_EQ(nubilux::StateForInternetStatus(status), state) << status;
    EXPECT_FALSE(nubilux::StateForInternetStatus(60));   // handle created
    EXPECT_FALSE(nubilux::StateForInternetStatus(110));  // redirect
}

TEST(WindowRules, TrayCallbackAndCloseCauses) {
    using nubilux::TrayAction;
    EXPECT_EQ(nubilux::kTrayCallback, 1281u);
    EXPECT_EQ(nubilux::OnTrayMessage(515), TrayAction::ShowWindow);
    EXPECT_EQ(nubilux::OnTrayMessage(517), TrayAction::ShowMenu);
    EXPECT_EQ(nubilux::OnTrayMessage(514), TrayAction::Nothing);
    EXPECT_EQ(nubilux::OnTrayMessage(518), TrayAction::Nothing);
    EXPECT_EQ(nubilux::OnTrayMessage(516), TrayAction::PassToDefault);
    EXPECT_EQ(nubilux::OnTrayMessage(512), TrayAction::PassToDefault);  // mouse move

    using nubilux::CloseAction;
    using nubilux::CloseCause;
    EXPECT_EQ(nubilux::OnCloseRequest(CloseCause::User), CloseAction::Hide);
    EXPECT_EQ(nubilux::OnCloseRequest(CloseCause::FromOutside), CloseAction::HideAndAsk);
    EXPECT_EQ(nubilux::OnCloseRequest(CloseCause::SessionEnd), CloseAction::End);
    EXPECT_EQ(nubilux::OnCloseRequest(CloseCause::Exit), CloseAction::End);
}

TEST(Bitmap, TwoByTwoIsPaddedAndBottomUp) {
    const std::uint8_t rows[] = {1, 2, 3, 4, 5, 6, 0xAA, 0xBB,  // top row and 2 bytes of stride slack
                                 7, 8, 9, 10, 11, 12, 0xCC, 0xDD};
    const std::string bmp = nubilux::EncodeBmp24(2, 2, rows, 8);
    ASSERT_EQ(bmp.size(), 54u + 16u);
    EXPECT_EQ(bmp.substr(0, 2), "BM");
    EXPECT_EQ(static_cast<unsigned char>(bmp[2]), 70);
    EXPECT_EQ(static_cast<unsigned char>(bmp[28]), 24);
    EXPECT_EQ(bmp.substr(54), std::string("\x07\x08\x09\x0a\x0b\x0c\0\0\x01\x02\x03\x04\x05\x06\0\0", 16));
}

// An update's platform that keeps a journal and fails where it is told to.
class FakeUpdate : public nubilux::UpdatePlatform {
public:
    std::vector<std::wstring> journal;
    std::vector<std::vector<nubilux::Connection>> enumerations;  // one list per call
    std::string body = "JPEG";
    bool fetchFails = false, decodeFails = false, wallpaperFails = false, imageExists = true;
    nubilux::Updater* updater = nullptr;  // to try a nested update from inside

    std::vector<nubilux::Connection> EnumConnections() override {
        journal.push_back(L"enum");
        if (enumerations.empty()) return {};
        auto first = enumerations.front();
        enumerations.erase(enumerations.begin());
        return first;
    }
    void HangUp(std::uintptr_t handle) override { journal.push_back(L"hangup " + std::to_wstring(handle)); }
    void ShowWorking(bool working) override { journal.push_back(working ? L"sun" : L"cloud"); }
    suite::Outcome Fetch(std::string& out) override {
        journal.push_back(L"fetch");
        if (updater) updater->Aggiorna_Sfondo();  // a tick arriving meanwhile
        if (fetchFails) return suite::Outcome::Failure(12029, L"cannot connect");
        out = body;
        return suite::Outcome::Success();
    }
    void CancelFetch() override { journal.push_back(L"cancel"); }
    std::wstring ImageFile() override { return L"C:\\App\\NUBILUX.BMP"; }
    bool HasContent(const std::wstring&) override { return imageExists; }
    suite::Outcome SaveAsBitmap(const std::string& picture, const std::wstring& target) override {
        journal.push_back(L"bitmap " + std::to_wstring(picture.size()) + L" " + target);
        return decodeFails ? suite::Outcome::Failure(1, L"not a picture") : suite::Outcome::Success();
    }
    suite::Outcome SetWallpaper(const std::wstring& path) override {
        journal.push_back(L"wallpaper " + path);
        return wallpaperFails ? suite::Outcome::Failure(1, L"no") : suite::Outcome::Success();
    }
};

TEST(Update, StepsInOrderWithTheFinishingStepsLast) {
    FakeUpdate platform;
    nubilux::Updater updater(platform);
    updater.Aggiorna_Sfondo();
    EXPECT_THAT(platform.journal,
                ElementsAre(L"enum", L"sun", L"fetch", L"bitmap 4 C:\\App\\NUBILUX.BMP",
                            L"wallpaper C:\\App\\NUBILUX.BMP", L"cancel", L"enum", L"cloud"));
    EXPECT_FALSE(updater.Running());
}

TEST(Update, EveryFailureGoesToTheFinishingSteps) {
    for (int failing = 0; failing < 3; ++failing) {
        FakeUpdate platform;
        platform.fetchFails = failing == 0;
        platform.decodeFails = failing == 1;
        platform.wallpaperFails = failing == 2;
        nubilux::Updater updater(platform);
        updater.Aggiorna_Sfondo();
        const std::vector<std::wstring> tail(platform.journal.end() - 3, platform.journal.end());
        EXPECT_THAT(tail, ElementsAre(L"cancel", L"enum", L"cloud")) << failing;
        const bool setWallpaper = std::count(platform.journal.begin(), platform.journal.end(),
                                             L"wallpaper C:\\App\\NUBILUX.BMP") > 0;
        EXPECT_EQ(setWallpaper, failing == 2) << failing;
    }
}

TEST(Update, EmptyBodyKeepsTheStoredBitmapAsWallpaper) {
    FakeUpdate platform;
    platform.body.clear();
    nubilux::Updater(platform).Aggiorna_Sfondo();
    EXPECT_THAT(platform.journal, ElementsAre(L"enum", L"sun", L"fetch", L"wallpaper C:\\App\\NUBILUX.BMP", L"cancel",
                                              L"enum", L"cloud"));
    FakeUpdate none;
    none.body.clear();
    none.imageExists = false;
    nubilux::Updater(none).Aggiorna_Sfondo();
    EXPECT_THAT(none.journal, ElementsAre(L"enum", L"sun", L"fetch", L"cancel", L"enum", L"cloud"));
}

TEST(Update, ConnectionsDialledByTheDownloadAreHungUp) {
    FakeUpdate platform;
    platform.enumerations = {{}, {{L"Casa", 7}, {L"Ufficio", 9}}};
    nubilux::Updater updater(platform);
    updater.Aggiorna_Sfondo();
    EXPECT_EQ(updater.Connessione_Iniziale(), L"");
    EXPECT_THAT(std::vector<std::wstring>(platform.journal.end() - 3, platform.journal.end() - 1),
                ElementsAre(L"hangup 7", L"hangup 9"));
}

TEST(Update, ConnectionsOpenBeforeAreLeftAlone) {
    FakeUpdate platform;
    platform.enumerations = {{{L"Casa", 7}, {L"Ufficio", 9}}, {{L"Casa", 7}, {L"Ufficio", 9}, {L"Altro", 11}}};
    nubilux::Updater updater(platform);
    updater.Aggiorna_Sfondo();
    EXPECT_EQ(updater.Connessione_Iniziale(), L"Ufficio");  // the last one listed
    for (const auto& entry : platform.journal) EXPECT_EQ(entry.rfind(L"hangup", 0), std::wstring::npos);
}

TEST(Update, NoSecondUpdateWhileOneRuns) {
    FakeUpdate platform;
    nubilux::Updater updater(platform);
    platform.updater = &updater;
    updater.Aggiorna_Sfondo();
    EXPECT_EQ(std::count(platform.journal.begin(), platform.journal.end(), L"fetch"), 1);
    platform.updater = nullptr;
    updater.Aggiorna_Sfondo();  // and the next one runs again
    EXPECT_EQ(std::count(platform.journal.begin(), platform.journal.end(), L"fetch"), 2);
}

}  // namespace
