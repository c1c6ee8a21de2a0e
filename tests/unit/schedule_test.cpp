#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <set>

#include "app/config.h"
#include "app/hourly.h"
#include "fake_profile.h"

namespace {

using ::testing::ElementsAre;

// The hour as the rule keeps it: two digits, as a clock shows it.
TEST(Hourly, TheHourIsKeptInTwoDigits) {
    EXPECT_EQ(nubilux::FormatHour(0), L"00");
    EXPECT_EQ(nubilux::FormatHour(7), L"07");
    EXPECT_EQ(nubilux::FormatHour(10), L"10");
    EXPECT_EQ(nubilux::FormatHour(23), L"23");
}

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
    // The mode kept for the next start reads back as chosen.
    EXPECT_TRUE(nubilux::StartsAutomatic(nubilux::StoredMode(true)));
    EXPECT_FALSE(nubilux::StartsAutomatic(nubilux::StoredMode(false)));
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

TEST(Schedule, ARetryIsDueOnItsVerySecond) {
    const std::int64_t ten = 10 * 3600;
    nubilux::Schedule schedule;
    schedule.Tick(ten);
    schedule.Finished(false, ten + 30);
    EXPECT_FALSE(schedule.Tick(ten + 149));
    EXPECT_TRUE(schedule.Tick(ten + 150));
    EXPECT_FALSE(schedule.Tick(ten + 151));  // taken once
}

// Automatic chosen, then a wake-up fetches first: the next hour waits for the offset again.
TEST(Schedule, AWakeUpsUpdateTakesThePlaceOfTheFirstAtOnce) {
    const std::int64_t nine = 9 * 3600, ten = 10 * 3600;
    nubilux::Schedule schedule;
    schedule.SetHourOffset(170);
    schedule.Tick(nine);
    schedule.Finished(true, nine + 10);
    schedule.AtOnce();
    EXPECT_TRUE(schedule.Resumed(ten + 5));
    schedule.Finished(true, ten + 15);
    EXPECT_EQ(schedule.SecondsUntilDue(ten + 3600 + 5), 165);
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
    EXPECT_TRUE(schedule.Tick(day + nine + 3600));   // the next hour's does
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

// Each installation keeps its own wait after the hour: an administrator's (or a test's)
// beside the program first, else the user's kept one, else a new one to keep.
TEST(HourOffset, SetBesideTheProgramThenKeptThenDrawnOnce) {
    using nubilux::ChooseHourOffset;
    const auto is = [](nubilux::HourOffset o, int seconds, bool drawn) { return o.seconds == seconds && o.drawn == drawn; };
    EXPECT_TRUE(is(ChooseHourOffset(L"0", L"200", 7), 0, false));
    EXPECT_TRUE(is(ChooseHourOffset(L"-1", L" 200 ", 7), 200, false));
    // Five minutes is the most, written any way; every digit counts.
    for (const wchar_t* most : {L"300", L"0300", L"\t300 "}) EXPECT_TRUE(is(ChooseHourOffset(most, L"42", 7), 300, false)) << most;
    EXPECT_TRUE(is(ChooseHourOffset(L"-1", L"199", 7), 199, false));
    // Beyond five minutes, negative, fractional, empty or not a number: passed over.
    for (const wchar_t* bad : {L"301", L"-5", L"1.5", L"abc", L"", L"  ", L"99999", L"99999999999", L"1e2", L"3 0"})
        EXPECT_TRUE(is(ChooseHourOffset(bad, L"42", 0), 42, false)) << bad;
    // Drawn when neither is set: every wait from none to five minutes can come, no other.
    std::set<int> drawn;
    for (unsigned random = 0; random < 3000; ++random) {
        const auto offset = ChooseHourOffset(L"-1", L"-1", random);
        EXPECT_TRUE(offset.drawn);
        drawn.insert(offset.seconds);
    }
    EXPECT_EQ(drawn.size(), 301u);
    EXPECT_EQ(*drawn.begin(), 0);
    EXPECT_EQ(*drawn.rbegin(), 300);
}

}  // namespace
