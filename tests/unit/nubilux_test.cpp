#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

#include "app/config.h"
#include "app/hourly.h"
#include "app/picture.h"
#include "app/sources.h"
#include "app/status.h"
#include "app/update.h"
#include "app/window_rules.h"
#include "fake_profile.h"
#include "fake_session.h"

namespace {

using ::testing::ElementsAre;
using enum nubilux::Ending;
using enum nubilux::Reason;

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

TEST(Mode, TheUsersOwnSettingComesBeforeTheOneBesideTheProgram) {
    test::FakeProfileStore store;
    const auto read = [&] { return nubilux::ReadSetting(store, L"C:\\U\\Nubilux", L"C:\\App", nubilux::kKey); };
    EXPECT_EQ(read(), L"-1");
    store.Set(L"C:\\App\\Nubilux.ini", L"Nubilux", L"Aggiornamento", L"0");
    EXPECT_EQ(read(), L"0");
    store.Set(L"C:\\U\\Nubilux\\Nubilux.ini", L"Nubilux", L"Aggiornamento", L"1");  // the user chose Manual
    EXPECT_EQ(read(), L"1");
    // Without a folder of the user's, no file at the root of the drive is read for one.
    store.Set(L"\\Nubilux.ini", L"Nubilux", L"Aggiornamento", L"1");
    EXPECT_EQ(nubilux::ReadSetting(store, L"", L"C:\\App", nubilux::kKey), L"0");
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

TEST(Bitmap, HeaderOfAPaddedBottomUpBitmap) {
    const std::string header = nubilux::BmpHeader(2, 3);
    ASSERT_EQ(header.size(), 54u);
    EXPECT_EQ(header.substr(0, 2), "BM");
    EXPECT_EQ(nubilux::BmpRowBytes(2), 8u);  // six bytes of pixels, padded to four
    EXPECT_EQ(static_cast<unsigned char>(header[2]), 54 + 24);  // file size
    EXPECT_EQ(static_cast<unsigned char>(header[18]), 2);       // width
    EXPECT_EQ(static_cast<unsigned char>(header[22]), 3);       // height, positive: bottom row first
    EXPECT_EQ(static_cast<unsigned char>(header[28]), 24);      // bits a pixel
}

TEST(Sources, RequestSizeKeepsTheShapeWithin4000) {
    const auto same = nubilux::RequestSize({3840, 2160});
    EXPECT_EQ(std::pair(same.width, same.height), std::pair(3840, 2160));
    const auto wide = nubilux::RequestSize({7680, 2160});
    EXPECT_EQ(std::pair(wide.width, wide.height), std::pair(4000, 1125));
    const auto unknown = nubilux::RequestSize({0, 0});
    EXPECT_EQ(std::pair(unknown.width, unknown.height), std::pair(1024, 768));
}

TEST(Sources, OwnAddressFirstWhenUsableElsePassedOver) {
    const std::vector<nubilux::View> goes = {nubilux::View::GoesEast};
    const auto own = nubilux::SourcesFor(L"https://user:pw@mirror.azienda.it:8443/sat/latest.jpg", goes, {1024, 768}, 0);
    ASSERT_EQ(own.size(), 2u);
    EXPECT_EQ(own[0].name, L"mirror.azienda.it");
    EXPECT_EQ(own[0].url, L"https://user:pw@mirror.azienda.it:8443/sat/latest.jpg");
    EXPECT_EQ(nubilux::HostOf(L"HTTP://[::1]:80/x"), L"[::1]");
    for (const wchar_t* bad : {L"-1", L"", L"ftp://host/x.jpg", L"https://", L"https:///path", L"http://host/a b.jpg",
                               L"file://C:/x.jpg", L"mirror.azienda.it/sat.jpg", L"http://host/\x01"}) {
        EXPECT_FALSE(nubilux::IsUsableAddress(bad)) << bad;
        EXPECT_EQ(nubilux::SourcesFor(bad, goes, {1024, 768}, 0).size(), 1u) << bad;
    }
}

TEST(Picture, MarkupAndDeclaredSizeAreRefused) {
    EXPECT_TRUE(nubilux::LooksLikeMarkup("<?xml version=\"1.0\"?><ServiceExceptionReport/>"));
    EXPECT_TRUE(nubilux::LooksLikeMarkup("\xEF\xBB\xBF\r\n  <html>"));
    EXPECT_FALSE(nubilux::LooksLikeMarkup("\xFF\xD8\xFF\xE0 JFIF"));
    EXPECT_FALSE(nubilux::LooksLikeMarkup(""));
    EXPECT_EQ(nubilux::MaxPictureSide({1920, 1080}), 4096);  // a 4096 x 4096 picture is still taken
    EXPECT_EQ(nubilux::MaxPictureSide({3840, 2160}), 7680);
    EXPECT_LT(nubilux::MaxPictureSide({4000, 4000}), 9450);  // the 9450 x 9450 bomb never is
}

TEST(Picture, ScaledWithItsShapeToFillTheMonitorAndCentred) {
    const auto fit = [](int w, int h, int sw, int sh) {
        const auto size = nubilux::FitWithin({w, h}, {sw, sh});
        return std::pair(size.width, size.height);
    };
    EXPECT_EQ(fit(4096, 4096, 1920, 1080), std::pair(1080, 1080));
    EXPECT_EQ(fit(1920, 1080, 1920, 1080), std::pair(1920, 1080));
    EXPECT_EQ(fit(1808, 1808, 2560, 1440), std::pair(1440, 1440));
    EXPECT_EQ(fit(1024, 768, 1920, 1080), std::pair(1440, 1080));  // smaller: scaled up, so the monitor's size
    EXPECT_EQ(fit(3840, 1000, 1920, 1080), std::pair(1920, 500));
    EXPECT_EQ(fit(5000, 1, 1920, 1080), std::pair(1920, 1));
    const auto centre = nubilux::Centre({1080, 1080}, {1920, 1080});
    EXPECT_EQ(std::pair(centre.left, centre.top), std::pair(420, 0));
    const auto tall = nubilux::Centre({1080, 608}, {1080, 1920});
    EXPECT_EQ(std::pair(tall.left, tall.top), std::pair(0, 656));
}

TEST(Picture, NearlyOneColourIsNoView) {
    const std::uint32_t w = 300, h = 200;
    const std::size_t stride = nubilux::BmpRowBytes(w);
    std::vector<std::uint8_t> rows(stride * h, 0);
    EXPECT_TRUE(nubilux::IsNearlyOneColour(rows.data(), w, h, stride));  // all black
    // A disc on black space, a third of the frame: a view.
    for (std::uint32_t y = 0; y < h; ++y)
        for (std::uint32_t x = 0; x < w; ++x) {
            const int dx = static_cast<int>(x) - 150, dy = static_cast<int>(y) - 100;
            if (dx * dx + dy * dy < 65 * 65)
                for (int c = 0; c < 3; ++c) rows[y * stride + x * 3 + c] = static_cast<std::uint8_t>(60 + (x + y) % 150);
        }
    EXPECT_FALSE(nubilux::IsNearlyOneColour(rows.data(), w, h, stride));
    // A few specks on black are still a blank frame.
    std::vector<std::uint8_t> specks(stride * h, 0);
    for (std::uint32_t y = 0; y < h; y += 40) specks[y * stride + 30] = 255;
    EXPECT_TRUE(nubilux::IsNearlyOneColour(specks.data(), w, h, stride));
}

TEST(Schedule, RetriesAFailedHourWithGrowingPauses) {
    using nubilux::Schedule;
    const std::int64_t ten = 10 * 3600;  // 10:00 on the first day of the count
    Schedule schedule;
    EXPECT_TRUE(schedule.Tick(ten));
    schedule.Finished(false, ten + 30);
    std::vector<int> retriedAt;  // minutes past ten
    for (std::int64_t t = ten + 31; t < ten + 3600; ++t)
        if (schedule.Tick(t)) {
            retriedAt.push_back(static_cast<int>((t - ten) / 60));
            schedule.Finished(false, t + 5);
        }
    EXPECT_THAT(retriedAt, ElementsAre(2, 7, 17, 37));  // 2, 5, 10 and 20 minutes apart, then no more
    EXPECT_TRUE(schedule.Tick(ten + 3600));  // 11:00: the next hour's own update
    schedule.Finished(true, ten + 3610);
    for (std::int64_t t = ten + 3611; t < ten + 7200; t += 7) EXPECT_FALSE(schedule.Tick(t));
}

TEST(Schedule, SleepsUntilTheNextHourOrRetryAndWakesAtOnceAfterAClockReset) {
    const std::int64_t nine = 9 * 3600;
    nubilux::Schedule schedule;
    EXPECT_EQ(schedule.SecondsUntilDue(nine + 1200), 0);  // Automatic just chosen: due now
    EXPECT_TRUE(schedule.Tick(nine + 1200));
    schedule.Finished(true, nine + 1230);
    EXPECT_EQ(schedule.SecondsUntilDue(nine + 1230), 3600 - 1230);  // 10:00
    schedule.Finished(false, nine + 1300);  // a manual update failed meanwhile: retried in 2 minutes
    EXPECT_EQ(schedule.SecondsUntilDue(nine + 1300), 120);
    EXPECT_EQ(schedule.SecondsUntilDue(nine + 1500), 0);  // woken late: due at once
    // A retry that would fall after the hour waits for the hour's own update instead.
    nubilux::Schedule late;
    late.Tick(nine + 3500);
    late.Finished(false, nine + 3540);
    EXPECT_EQ(late.SecondsUntilDue(nine + 3540), 60);
    // The clock set back or forward to another hour: due now, as the hour text differs.
    EXPECT_EQ(late.SecondsUntilDue(7 * 3600 + 1800), 0);
    EXPECT_EQ(late.SecondsUntilDue(12 * 3600 + 900), 0);
}

// The updates a schedule starts between `from` and `to` when woken every second, or only
// when due. An update takes 20 s; those started in a failing hour fail.
std::vector<std::int64_t> UpdatesStarted(bool everySecond, std::int64_t from, std::int64_t to,
                                         const std::vector<std::int64_t>& failingHours, int& idleWakeUps) {
    nubilux::Schedule schedule;
    std::vector<std::int64_t> started;
    idleWakeUps = 0;
    for (std::int64_t now = from; now < to;) {
        if (schedule.Tick(now)) {
            started.push_back(now);
            const bool fails = std::count(failingHours.begin(), failingHours.end(), now / 3600) > 0;
            now += 20;
            schedule.Finished(!fails, now);
        } else {
            ++idleWakeUps;
        }
        now += everySecond ? 1 : std::max<std::int64_t>(1, schedule.SecondsUntilDue(now));
    }
    return started;
}

TEST(Schedule, WakingOnlyWhenDueStartsExactlyTheUpdatesOfATickEverySecond) {
    const std::int64_t from = 9 * 3600 + 1234, to = 16 * 3600;
    const std::vector<std::int64_t> failing = {10, 12, 13};
    int secondly = 0, whenDue = 0;
    const auto expected = UpdatesStarted(true, from, to, failing, secondly);
    EXPECT_EQ(UpdatesStarted(false, from, to, failing, whenDue), expected);
    EXPECT_EQ(expected.size(), 7u + 4 + 4 + 4);  // each hour, and four retries in each failing one
    EXPECT_GT(secondly, 20000);
    EXPECT_EQ(whenDue, 0);  // every wake-up had an update to start
}

TEST(Schedule, SuccessOncePerHourAndResumeFetchesAMissingPicture) {
    nubilux::Schedule schedule;
    const std::int64_t day = 24 * 3600, nine = 9 * 3600;
    EXPECT_TRUE(schedule.Tick(nine));
    schedule.Finished(true, nine + 20);
    EXPECT_FALSE(schedule.Resumed(nine + 600));  // this hour's picture is there
    EXPECT_TRUE(schedule.Resumed(day + nine + 60));  // asleep a whole day: same hour, other day
    EXPECT_FALSE(schedule.Tick(day + nine + 61));    // and the tick does not fetch it again
    EXPECT_EQ(schedule.Hourly().Ultima_Ora(), L"09");
}

using FakeUpdate = test::FakeSession;

// A minute a source, two a picture, and no separate limit on sending the request.
constexpr nubilux::Deadlines kMinuteEach{60'000, 120'000, 60'000, 30'000};

// An updater whose end is written into the fake: the first source's name, or "-".
struct Ended {
    std::optional<std::wstring> from;
    nubilux::Reason why = nubilux::Reason::None;
};
class TestUpdater : public nubilux::Updater {
public:
    explicit TestUpdater(FakeUpdate& platform, nubilux::Deadlines deadlines = {})
        : nubilux::Updater(platform, [this](const nubilux::Source* source, nubilux::Reason why) {
              ended.from = source ? source->name : L"-";
              ended.why = why;
          }, deadlines) {}
    Ended ended;
};

std::vector<nubilux::Source> Three() { return {{L"A", L"https://a/"}, {L"B", L"https://b/"}, {L"C", L"https://c/"}}; }

TEST(Update, StepsInOrderWithTheFinishingStepsLast) {
    FakeUpdate platform;
    TestUpdater updater(platform);
    EXPECT_TRUE(updater.Aggiorna_Sfondo(Three(), 0));
    EXPECT_TRUE(updater.Running());
    updater.OnAttemptDone(platform.started.back(), Installed, None, 500);
    EXPECT_THAT(platform.journal, ElementsAre(L"enum", L"start A", L"cancel", L"enum"));
    EXPECT_EQ(updater.ended.from, L"A");
    EXPECT_FALSE(updater.Running());
}

TEST(Update, AFailedSourceGivesWayToTheNextUntilNoneIsLeft) {
    FakeUpdate platform;
    TestUpdater updater(platform);
    updater.Aggiorna_Sfondo(Three(), 0);
    updater.OnAttemptDone(platform.started.back(), SourceFailed, NoConnection, 100);
    updater.OnAttemptDone(platform.started.back(), Installed, None, 200);
    EXPECT_EQ(updater.ended.from, L"B");
    FakeUpdate none;
    TestUpdater failing(none);
    failing.Aggiorna_Sfondo(Three(), 0);
    for (int i = 0; i < 3; ++i) failing.OnAttemptDone(none.started.back(), SourceFailed, NoConnection, 100);
    EXPECT_EQ(failing.ended.from, L"-");
    EXPECT_THAT(std::vector<std::wstring>(none.journal.end() - 2, none.journal.end()), ElementsAre(L"cancel", L"enum"));
}

TEST(Update, DeadlinesGiveUpAStalledSourceAndTheWholeUpdate) {
    FakeUpdate platform;
    TestUpdater updater(platform, kMinuteEach);
    updater.Aggiorna_Sfondo(Three(), 1'000);
    updater.OnClock(60'999);
    EXPECT_EQ(platform.started.size(), 1u);
    updater.OnClock(61'000);  // A's minute is over: B starts
    EXPECT_EQ(platform.started.size(), 2u);
    const unsigned late = platform.started.front();
    updater.OnAttemptDone(late, Installed, None, 62'000);  // A's answer, too late: ignored
    EXPECT_FALSE(updater.ended.from);
    updater.OnClock(121'000);  // the update's two minutes are over: C is never tried
    EXPECT_EQ(platform.started.size(), 2u);
    EXPECT_EQ(updater.ended.from, L"-");
}

TEST(Update, NoSecondUpdateWhileOneRunsAndStopEndsItWhole) {
    FakeUpdate platform;
    TestUpdater updater(platform);
    EXPECT_TRUE(updater.Aggiorna_Sfondo(Three(), 0));
    EXPECT_FALSE(updater.Aggiorna_Sfondo(Three(), 10));  // a click or tick meanwhile
    EXPECT_EQ(platform.started.size(), 1u);
    updater.Stop();  // Exit during the update
    EXPECT_EQ(updater.ended.from, L"-");
    EXPECT_FALSE(updater.Running());
    EXPECT_TRUE(updater.Aggiorna_Sfondo(Three(), 20));  // and the next one runs again
}

TEST(Update, AnAttemptThatCannotStartOrRunsOutOfMemoryStillEndsWhole) {
    for (const bool throws : {false, true}) {
        FakeUpdate platform;
        (throws ? platform.startThrows : platform.startFails) = true;
        TestUpdater updater(platform);
        EXPECT_TRUE(updater.Aggiorna_Sfondo(Three(), 0));
        EXPECT_FALSE(updater.Running()) << throws;
        EXPECT_EQ(updater.ended.from, L"-");
        EXPECT_THAT(platform.journal, ElementsAre(L"enum", L"cancel", L"enum"));
        EXPECT_TRUE(updater.Aggiorna_Sfondo(Three(), 1));  // the next update is possible
    }
}

// Sources of two pictures: a map layer at three slots and a file, for each.
std::vector<nubilux::Source> TwoPictures() {
    std::vector<nubilux::Source> sources;
    for (int picture = 0; picture < 2; ++picture) {
        const std::wstring p = std::to_wstring(picture);
        sources.push_back({L"map" + p, L"https://m/0", 3000, false, false, picture});
        sources.push_back({L"map" + p + L"-1", L"https://m/1", 2400, true, false, picture});
        sources.push_back({L"map" + p + L"-2", L"https://m/2", 1800, true, false, picture});
        sources.push_back({L"file" + p, L"https://f/", 0, false, true, picture});
    }
    return sources;
}


TEST(Update, AMissingSlotStepsBackAtMostTwiceAnOutrightFailureNot) {
    FakeUpdate platform;
    TestUpdater updater(platform);
    updater.Aggiorna_Sfondo(TwoPictures(), 0);
    for (int i = 0; i < 3; ++i) updater.OnAttemptDone(platform.started.back(), SlotMissing, NoPicture, 10);
    updater.OnAttemptDone(platform.started.back(), Installed, None, 20);
    EXPECT_THAT(platform.Started(), ElementsAre(L"map0", L"map0-1", L"map0-2", L"file0", L"map1"));
    updater.OnAttemptDone(platform.started.back(), SourceFailed, NoConnection, 30);  // refused, unreachable: no earlier slot either
    EXPECT_THAT(platform.Started(), ElementsAre(L"map0", L"map0-1", L"map0-2", L"file0", L"map1", L"file1"));
    updater.OnAttemptDone(platform.started.back(), Installed, None, 40);
    EXPECT_EQ(updater.ended.from, L"file0");  // the primary monitor's picture
}

TEST(Update, EachPictureTakesItsFirstGoodSourceWithinItsOwnTime) {
    FakeUpdate platform;
    TestUpdater updater(platform, kMinuteEach);
    updater.Aggiorna_Sfondo(TwoPictures(), 0);
    updater.OnClock(60'000);  // map0 stalls, and so does file0: the first picture's time is up
    updater.OnClock(120'000);
    EXPECT_THAT(platform.Started(), ElementsAre(L"map0", L"file0", L"map1"));
    EXPECT_FALSE(updater.ended.from);
    updater.OnAttemptDone(platform.started.back(), SlotMissing, NoPicture, 121'000);
    updater.OnAttemptDone(platform.started.back(), Installed, None, 122'000);
    EXPECT_THAT(platform.Started(), ElementsAre(L"map0", L"file0", L"map1", L"map1-1"));
    EXPECT_EQ(updater.ended.from, L"map1-1");  // the primary's failed: the other monitor's tells
}

TEST(Update, ConnectionsDialledByTheDownloadAreHungUp) {
    FakeUpdate platform;
    platform.enumerations = {std::vector<nubilux::Connection>{}, std::vector<nubilux::Connection>{{L"Casa", 7}, {L"Ufficio", 9}}};
    TestUpdater updater(platform);
    updater.Aggiorna_Sfondo(Three(), 0);
    updater.OnAttemptDone(platform.started.back(), Installed, None, 1);
    EXPECT_EQ(updater.Connessione_Iniziale(), L"");
    EXPECT_THAT(std::vector<std::wstring>(platform.journal.end() - 2, platform.journal.end()),
                ElementsAre(L"hangup 7", L"hangup 9"));
}

TEST(Update, ConnectionsOpenBeforeAreLeftAlone) {
    FakeUpdate platform;
    platform.enumerations = {std::vector<nubilux::Connection>{{L"Casa", 7}, {L"Ufficio", 9}},
                             std::vector<nubilux::Connection>{{L"Casa", 7}, {L"Ufficio", 9}, {L"Altro", 11}}};
    TestUpdater updater(platform);
    updater.Aggiorna_Sfondo(Three(), 0);
    updater.OnAttemptDone(platform.started.back(), SourceFailed, NoConnection, 1);
    updater.Stop();
    EXPECT_EQ(updater.Connessione_Iniziale(), L"Ufficio");  // the last one listed
    // Only the one that came during the download is its own.
    EXPECT_THAT(std::vector<std::wstring>(platform.journal.end() - 1, platform.journal.end()), ElementsAre(L"hangup 11"));
}

}  // namespace

namespace {

TEST(Update, ALocalFailureEndsTheUpdateAtOnceWithItsReason) {
    FakeUpdate platform;
    TestUpdater updater(platform);
    updater.Aggiorna_Sfondo(TwoPictures(), 0);
    updater.OnAttemptDone(platform.started.back(), LocalFailure, DiskFull, 10);
    EXPECT_THAT(platform.Started(), ElementsAre(L"map0"));  // no other source, no other picture
    EXPECT_EQ(updater.ended.from, L"-");
    EXPECT_EQ(updater.ended.why, DiskFull);
}

TEST(Update, AFailedUpdateTellsItsLastAttemptsReasonAndASuccessNone) {
    FakeUpdate platform;
    TestUpdater updater(platform, kMinuteEach);
    updater.Aggiorna_Sfondo(Three(), 0);
    updater.OnAttemptDone(platform.started.back(), SourceFailed, NoConnection, 10);
    updater.OnAttemptDone(platform.started.back(), SourceFailed, Certificate, 20);
    updater.OnClock(60'020);  // C never answers
    EXPECT_EQ(updater.ended.from, L"-");
    EXPECT_EQ(updater.ended.why, NoAnswer);
    updater.Aggiorna_Sfondo(Three(), 100'000);
    updater.OnAttemptDone(platform.started.back(), SourceFailed, NoConnection, 100'010);
    updater.OnAttemptDone(platform.started.back(), Installed, None, 100'020);
    EXPECT_EQ(updater.ended.from, L"B");
    EXPECT_EQ(updater.ended.why, None);
}

TEST(Update, AnAttemptPuttingItsPictureInPlaceAtItsDeadlineCountsWhenItEnds) {
    FakeUpdate platform;
    TestUpdater updater(platform, kMinuteEach);
    updater.Aggiorna_Sfondo(Three(), 0);
    platform.installing = true;
    updater.OnClock(60'000);
    EXPECT_THAT(platform.Started(), ElementsAre(L"A"));  // B does not start beside it
    EXPECT_EQ(updater.Deadline(), 90'000);             // only the install's own limit is watched
    updater.OnAttemptDone(platform.started.back(), Installed, None, 60'500);
    EXPECT_EQ(updater.ended.from, L"A");
}

TEST(Update, WithTooManyGivenUpThreadsAliveTheNextAttemptWaits) {
    FakeUpdate platform;
    TestUpdater updater(platform, kMinuteEach);
    updater.Aggiorna_Sfondo(Three(), 0);
    platform.mayStart = false;
    updater.OnClock(60'000);  // A given up; B may not start yet
    EXPECT_THAT(platform.Started(), ElementsAre(L"A"));
    EXPECT_EQ(updater.Deadline(), 120'000);  // the picture's own time
    platform.mayStart = true;
    updater.OnAttemptDone(platform.started.back(), SourceFailed, NoAnswer, 70'000);  // A's thread has ended
    EXPECT_THAT(platform.Started(), ElementsAre(L"A", L"B"));
    EXPECT_EQ(updater.Deadline(), 120'000);  // B's minute is clamped to the picture's time
    platform.mayStart = false;
    updater.OnClock(120'000);
    EXPECT_EQ(updater.ended.from, L"-");  // waited to the end: the update is over, nothing more
    EXPECT_THAT(platform.Started(), ElementsAre(L"A", L"B"));
}

TEST(Schedule, ALocalFailureIsTriedAgainTheNextHourNotInMinutes) {
    nubilux::Schedule schedule;
    const std::int64_t ten = 10 * 3600;
    EXPECT_TRUE(schedule.Tick(ten));
    schedule.Finished(false, ten + 30, /*retry=*/false);
    EXPECT_EQ(schedule.SecondsUntilDue(ten + 30), 3600 - 30);
    for (std::int64_t t = ten + 31; t < ten + 3600; t += 60) EXPECT_FALSE(schedule.Tick(t)) << t;
    EXPECT_TRUE(schedule.Tick(ten + 3600));
}

}  // namespace

namespace {

std::uint32_t At(const std::string& bytes, std::size_t offset, int size = 4) {
    std::uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i) value = value << 8 | static_cast<unsigned char>(bytes[offset + i]);
    return value;
}

TEST(Bitmap, EveryFieldOfTheHeaderAsAWholeLittleEndianValue) {
    const std::string header = nubilux::BmpHeader(1920, 1200);  // sizes past one byte
    const std::uint32_t pixels = 1920 * 3 * 1200;
    EXPECT_EQ(At(header, 2), 54 + pixels);  // file size
    EXPECT_EQ(At(header, 10), 54u);         // where the rows begin
    EXPECT_EQ(At(header, 14), 40u);         // the header's own size
    EXPECT_EQ(At(header, 18), 1920u);
    EXPECT_EQ(At(header, 22), 1200u);       // positive: bottom row first
    EXPECT_EQ(At(header, 26, 2), 1u);       // planes
    EXPECT_EQ(At(header, 28, 2), 24u);
    EXPECT_EQ(At(header, 30), 0u);          // no compression
    EXPECT_EQ(At(header, 34), pixels);
}

TEST(Picture, ACanvasIsTheMonitorsSizeWithThePictureFittedAndCentredOnBlack) {
    const nubilux::Canvas canvas = nubilux::Canvas::For({1920, 1200}, {1000, 500});
    EXPECT_EQ(canvas.width, 1920u);
    EXPECT_EQ(canvas.height, 1200u);
    EXPECT_EQ(canvas.rows.size(), nubilux::BmpRowBytes(1920) * 1200);
    EXPECT_EQ(canvas.fitted, (nubilux::Screen{1920, 960}));  // the height from the width's ratio
    EXPECT_EQ(canvas.placement.top, 120);
    EXPECT_EQ(canvas.placement.left, 0);
    EXPECT_EQ(canvas.Picture(), canvas.rows.data() + 120 * canvas.Stride());
    const nubilux::Canvas tall = nubilux::Canvas::For({1080, 1920}, {1000, 1000});
    EXPECT_EQ(tall.fitted, (nubilux::Screen{1080, 1080}));
    EXPECT_EQ(tall.placement.top, 420);
    EXPECT_EQ(nubilux::MaxPictureSide({2160, 3840}), 7680);  // a portrait monitor's longer side counts
}

}  // namespace

namespace {

// The keyboard reaches what the mouse does: Enter or Space shows the window as a double
// click does, the context key the menu as a right click; a right button's release is
// followed by the context menu's own message, so it opens one menu, not two.
TEST(TrayRules, TheKeyboardReachesWhatTheMouseDoes) {
    using nubilux::OnTrayMessage;
    using nubilux::TrayAction;
    using nubilux::TrayEvent;
    EXPECT_EQ(OnTrayMessage(TrayEvent::KeySelect), OnTrayMessage(TrayEvent::LeftDoubleClick));
    EXPECT_EQ(OnTrayMessage(TrayEvent::KeySelect), TrayAction::ShowWindow);
    EXPECT_EQ(OnTrayMessage(TrayEvent::ContextMenu), TrayAction::ShowMenu);
    EXPECT_EQ(OnTrayMessage(TrayEvent::RightUp), TrayAction::Nothing);
    EXPECT_EQ(OnTrayMessage(TrayEvent::LeftUp), TrayAction::Nothing);
    EXPECT_EQ(OnTrayMessage(TrayEvent::Other), TrayAction::PassToDefault);
}

}  // namespace

namespace {

// Each installation keeps its own wait after the hour: an administrator's (or a test's)
// beside the program first, else the user's kept one, else a new one to keep.
TEST(HourOffset, SetBesideTheProgramThenKeptThenDrawnOnce) {
    using nubilux::ChooseHourOffset;
    const auto is = [](nubilux::HourOffset o, int seconds, bool drawn) { return o.seconds == seconds && o.drawn == drawn; };
    EXPECT_TRUE(is(ChooseHourOffset(L"0", L"200", 7), 0, false));
    EXPECT_TRUE(is(ChooseHourOffset(L"-1", L" 200 ", 7), 200, false));
    EXPECT_TRUE(is(ChooseHourOffset(L"-1", L"-1", 1000), 1000 % 301, true));
    EXPECT_TRUE(is(ChooseHourOffset(L"-1", L"-1", 300), 300, true));
    // Beyond five minutes, negative, fractional or not a number: passed over.
    for (const wchar_t* bad : {L"301", L"-5", L"1.5", L"abc", L"", L"99999", L"1e2"})
        EXPECT_TRUE(is(ChooseHourOffset(bad, L"42", 0), 42, false)) << bad;
}

}  // namespace
