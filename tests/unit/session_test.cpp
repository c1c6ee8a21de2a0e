// The session's decisions against a controlled clock, and the update's mended faults.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "app/session.h"
#include "app/texts.h"
#include "fake_session.h"

namespace {

using ::testing::ElementsAre;
using nubilux::AttemptReport;
using nubilux::Moment;
using enum nubilux::Ending;
using enum nubilux::Reason;

constexpr std::int64_t kHour = 3600;
constexpr std::int64_t kDay = 24 * kHour;

// Ten o'clock of some day, on both clocks; `at` seconds later.
Moment At(std::int64_t at) { return {(36'000 + at) * 1000, 20'000 * kDay + 10 * kHour + at}; }

std::vector<nubilux::Source> Three() { return {{L"A", L"https://a/"}, {L"B", L"https://b/"}, {L"C", L"https://c/"}}; }

AttemptReport Report(const test::FakeSession& platform, nubilux::Ending ending, nubilux::Reason why = None,
                     std::int64_t takenAt = 0) {
    return {platform.started.back(), {ending, why, ending == Installed ? L"C:\\N\\NUBILUX.BMP" : L"", takenAt}};
}

class SessionTest : public ::testing::Test {
protected:
    void SetUp() override { platform.sources = Three(); }
    // Automatic from the start, with nothing kept.
    void StartAutomatic(Moment) { session.Start({true, false, {L"-1", L"-1", L"-1"}}); }
    // Lets the timer run to its next wake-up from `now`: the moment it wakes.
    Moment WakeFrom(Moment now) {
        const auto ms = session.WakeInMs(now);
        EXPECT_TRUE(ms);
        const Moment then{now.monotonicMs + *ms, now.localSeconds + (*ms + 999) / 1000};
        session.Wake(then);
        return then;
    }
    std::size_t Plans() const { return std::count(platform.journal.begin(), platform.journal.end(), L"plan"); }

    test::FakeSession platform;
    nubilux::Session session{platform, {60'000, 120'000, 30'000}};
};

TEST_F(SessionTest, AutomaticUpdatesAtItsFirstTickThenSleepsToTheNextHour) {
    StartAutomatic(At(600));
    EXPECT_EQ(session.WakeInMs(At(600)), nubilux::Session::kFirstTickMs);
    EXPECT_FALSE(session.UpdateEnabled());
    session.Wake(At(601));
    EXPECT_TRUE(session.Working());
    EXPECT_EQ(session.Tip(At(601)), nubilux::texts::kWorkingTip);
    EXPECT_EQ(session.WakeInMs(At(601)), 60'000);
    session.AttemptEnded(Report(platform, Installed, None, 20'000 * kDay + 9 * kHour + 1800), At(610));
    EXPECT_FALSE(session.Working());
    EXPECT_EQ(session.WakeInMs(At(610)), (kHour - 610) * 1000);  // 11:00
    EXPECT_EQ(platform.kept[L"UltimoAggiornamento"], nubilux::StampOf(At(610).localSeconds));
    EXPECT_EQ(platform.kept[L"Fonte"], L"A");
    EXPECT_EQ(platform.kept[L"OraImmagine"], nubilux::StampOf(20'000 * kDay + 10 * kHour + 1800));
    EXPECT_THAT(session.MenuLines(At(700)),
                ElementsAre(L"Updated " + nubilux::StampOf(At(610).localSeconds) + L" from A, picture of 10:30"));
    EXPECT_EQ(session.Tip(At(700)), std::wstring(nubilux::texts::kIdleTip) + L"\n" + session.MenuLines(At(700))[0]);
}

TEST_F(SessionTest, ManualStartsOnlyOnTheUsersClickAndNeverWhileOneRuns) {
    session.Start({false, false, {L"-1", L"-1", L"-1"}});
    EXPECT_FALSE(session.WakeInMs(At(0)));  // nothing to wake for
    EXPECT_EQ(session.Tip(At(0)), nubilux::texts::kIdleTip);
    EXPECT_THAT(session.MenuLines(At(0)), ElementsAre(nubilux::texts::kNotUpdatedYet));
    EXPECT_TRUE(session.UpdateEnabled());
    session.UpdateClicked(At(1));
    EXPECT_FALSE(session.UpdateEnabled());
    session.UpdateClicked(At(2));
    EXPECT_EQ(Plans(), 1u);
    session.AttemptEnded(Report(platform, Installed), At(3));
    session.SelectMode(true);
    EXPECT_EQ(platform.kept[L"Aggiornamento"], L"0");
    EXPECT_FALSE(session.Working());
    session.UpdateClicked(At(5));  // greyed in Automatic mode: a click that reaches it anyway
    EXPECT_EQ(Plans(), 1u);
}

TEST_F(SessionTest, AFailureIsToldWithItsReasonAndTheNextTryInAutomaticMode) {
    StartAutomatic(At(0));
    session.Wake(At(1));
    for (int i = 0; i < 3; ++i) session.AttemptEnded(Report(platform, SourceFailed, NoConnection), At(5));
    const std::wstring failedAt = nubilux::StampOf(At(5).localSeconds).substr(11);
    EXPECT_THAT(session.MenuLines(At(6)), ElementsAre(L"Last update failed at " + failedAt + L": no connection; next try " +
                                                      nubilux::StampOf(At(125).localSeconds).substr(11)));
    session.SelectMode(false);
    EXPECT_THAT(session.MenuLines(At(8)), ElementsAre(L"Last update failed at " + failedAt + L": no connection"));
}

TEST_F(SessionTest, AHungShellEndsTheUpdateWithItsReasonAndAutomaticGoesOn) {
    StartAutomatic(At(0));
    session.Wake(At(1));
    platform.installing = true;  // the attempt is setting the wallpaper when its minute runs out
    session.Wake(At(61));
    EXPECT_TRUE(session.Working());
    EXPECT_EQ(session.WakeInMs(At(61)), 30'000);  // the install's own limit, not none
    session.Wake(At(91));
    EXPECT_FALSE(session.Working());
    EXPECT_EQ(platform.forsaken, 1);
    EXPECT_EQ(platform.Started(), std::vector<std::wstring>{L"A"});  // no other source: the shell is this computer's
    EXPECT_NE(session.MenuLines(At(92))[0].find(L"the wallpaper could not be set; next try 11:00"), std::wstring::npos);
    EXPECT_EQ(session.WakeInMs(At(92)), (kHour - 92) * 1000);  // Automatic mode still runs
}

TEST_F(SessionTest, AnAttemptThatEndedBeforeItsDeadlineCountsWhenItsReportComesLate) {
    StartAutomatic(At(0));
    session.Wake(At(1));
    platform.installing = true;  // ended, its report still in the window's queue
    session.Wake(At(61));
    session.AttemptEnded(Report(platform, Installed), At(61));
    EXPECT_FALSE(session.Working());
    EXPECT_EQ(platform.kept[L"Fonte"], L"A");
    EXPECT_EQ(platform.forsaken, 0);
}

TEST_F(SessionTest, AMeteredHourWaitsForTheConnectionInsteadOfBeingLost) {
    StartAutomatic(At(0));
    platform.metered = true;
    session.Wake(At(1));
    EXPECT_EQ(Plans(), 0u);
    EXPECT_THAT(session.MenuLines(At(2)),
                ElementsAre(nubilux::texts::kMeteredPause, nubilux::texts::kNotUpdatedYet));
    EXPECT_EQ(session.WakeInMs(At(2)), nubilux::Session::kMeteredRecheckMs - 1000);  // asked again, not every second
    const Moment later = WakeFrom(At(2));
    EXPECT_EQ(Plans(), 0u);  // still metered
    platform.metered = false;
    WakeFrom(later);  // minutes later, the same hour, unmetered
    EXPECT_EQ(Plans(), 1u);
}

TEST_F(SessionTest, OneWakeUpToldTwiceStartsOneUpdate) {
    StartAutomatic(At(0));
    session.Resumed(At(0));
    EXPECT_EQ(Plans(), 1u);
    session.AttemptEnded(Report(platform, SourceFailed, NoConnection), At(1));
    session.AttemptEnded(Report(platform, SourceFailed, NoConnection), At(1));
    session.AttemptEnded(Report(platform, SourceFailed, NoConnection), At(1));
    EXPECT_FALSE(session.Working());
    session.Resumed(At(2));  // the second notification of the same wake-up
    EXPECT_EQ(Plans(), 1u);
    session.Resumed(At(2 + nubilux::Session::kSameResumeMs / 1000));  // two minutes on: another wake-up
    EXPECT_EQ(Plans(), 2u);
}

TEST_F(SessionTest, SleepAndWakeDoNotLiftTheLimitOnRetries) {
    StartAutomatic(At(0));
    const auto fail = [&](Moment now) {
        for (int i = 0; i < 3; ++i) session.AttemptEnded(Report(platform, SourceFailed, NoConnection), now);
    };
    session.Wake(At(1));
    fail(At(2));
    // Each wake-up in this failing hour is one of its four retries.
    std::int64_t at = 200;
    for (int wake = 0; wake < 6; ++wake, at += 300) {
        session.Resumed(At(at));
        if (session.Working()) fail(At(at + 1));
    }
    EXPECT_EQ(Plans(), 1u + 4);
    session.Resumed(At(kHour + 10));  // the next hour has its own update
    EXPECT_EQ(Plans(), 6u);
}

// Modern Standby: no resume message, only the display going off and coming back. Back
// after a long while in an hour whose picture is missing, it is a wake-up; a short
// blank screen, a picture already there, or Manual mode, fetch nothing.
TEST_F(SessionTest, TheDisplayBackAfterALongOffIsAWakeUp) {
    StartAutomatic(At(0));
    session.Wake(At(1));
    session.AttemptEnded(Report(platform, Installed), At(2));
    session.DisplayChanged(false, At(kHour - 100));
    session.DisplayChanged(true, At(kHour + 30));  // 130 s off, though into a new hour
    EXPECT_EQ(Plans(), 1u);
    session.DisplayChanged(false, At(kHour + 40));
    session.DisplayChanged(true, At(kHour + 40 + 299));
    EXPECT_EQ(Plans(), 1u);  // just short of five minutes
    session.DisplayChanged(false, At(kHour + 400));
    session.DisplayChanged(false, At(kHour + 650));  // told again: still off since the first
    session.DisplayChanged(true, At(kHour + 700));   // five minutes since the first, not one since the second
    EXPECT_EQ(Plans(), 2u);  // the new hour's picture
    session.AttemptEnded(Report(platform, Installed), At(kHour + 710));
    session.DisplayChanged(false, At(kHour + 800));
    session.DisplayChanged(true, At(kHour + 1800));
    EXPECT_EQ(Plans(), 2u);  // this hour's picture is there
    session.SelectMode(false);
    session.DisplayChanged(false, At(kHour + 2000));
    session.DisplayChanged(true, At(2 * kHour + 100));
    EXPECT_EQ(Plans(), 2u);  // Manual mode fetches only when asked
}

// Each installation asks for a new hour a few minutes after it begins, its own number of
// seconds; the first update of a run, a switch to Automatic, a wake-up and Update do not wait.
TEST_F(SessionTest, ANewHourIsFetchedAtTheInstallationsOwnOffsetTheFirstUpdatesAtOnce) {
    session.Start({true, false, {L"-1", L"-1", L"-1"}, 170});  // 10:50
    EXPECT_EQ(session.WakeInMs(At(kHour - 600)), nubilux::Session::kFirstTickMs);
    session.Wake(At(kHour - 599));
    EXPECT_EQ(Plans(), 1u);
    session.AttemptEnded(Report(platform, Installed), At(kHour - 590));
    EXPECT_EQ(session.WakeInMs(At(kHour - 590)), (590 + 170) * 1000);  // 11:02:50, not 11:00
    session.Wake(At(kHour));
    EXPECT_EQ(Plans(), 1u);  // the hour's first second: not yet
    session.Wake(At(kHour + 170));
    EXPECT_EQ(Plans(), 2u);
    session.AttemptEnded(Report(platform, Installed), At(kHour + 180));
    // To Manual and back in a later hour: at once.
    session.SelectMode(false);
    session.SelectMode(true);
    EXPECT_EQ(session.WakeInMs(At(2 * kHour + 10)), nubilux::Session::kFirstTickMs);
    session.Wake(At(2 * kHour + 11));
    EXPECT_EQ(Plans(), 3u);
    session.AttemptEnded(Report(platform, Installed), At(2 * kHour + 20));
    // A wake-up in a new hour: at once too.
    session.Resumed(At(3 * kHour + 5));
    EXPECT_EQ(Plans(), 4u);
}

// Automatic chosen again while it is the mode changes nothing: the hour still waits for
// this installation's offset.
TEST_F(SessionTest, ChoosingTheModeInUseAgainDoesNotFetchAtOnce) {
    session.Start({true, false, {L"-1", L"-1", L"-1"}, 170});
    session.Wake(At(1));
    session.AttemptEnded(Report(platform, Installed), At(2));
    session.SelectMode(true);
    EXPECT_EQ(session.WakeInMs(At(kHour + 10)), 160'000);
    session.SelectMode(false);
    session.SelectMode(false);  // and Manual twice, then Automatic: at once
    session.SelectMode(true);
    EXPECT_EQ(session.WakeInMs(At(kHour + 40)), nubilux::Session::kFirstTickMs);
}

// The menu tells when the installed picture was taken, not a failed source's time.
TEST_F(SessionTest, ThePicturesTimeIsTheInstalledOnesAfterAFailedSource) {
    StartAutomatic(At(0));
    session.Wake(At(1));
    session.AttemptEnded(Report(platform, SourceFailed, NoConnection), At(2));
    session.AttemptEnded(Report(platform, Installed, None, 20'000 * kDay + 9 * kHour + 1200), At(3));
    EXPECT_EQ(platform.kept[L"OraImmagine"], nubilux::StampOf(20'000 * kDay + 10 * kHour + 1200));
    session.Wake(At(kHour));
    session.AttemptEnded(Report(platform, Installed, None, 0), At(kHour + 1));  // its time unknown
    EXPECT_EQ(platform.kept[L"OraImmagine"], L"");
}

// Two monitors' pictures, taken at different times: the menu tells the primary's.
TEST_F(SessionTest, ThePicturesTimeIsThePrimaryMonitorsOfTwo) {
    platform.sources = {{L"A", L"https://a/"}, {L"B", L"https://b/"}};
    platform.sources[1].picture = 1;
    StartAutomatic(At(0));
    session.Wake(At(1));
    session.AttemptEnded(Report(platform, Installed, None, 20'000 * kDay + 9 * kHour + 1200), At(2));
    EXPECT_TRUE(session.Working());  // the second monitor's picture next
    session.AttemptEnded(Report(platform, Installed, None, 20'000 * kDay + 9 * kHour + 1800), At(3));
    EXPECT_FALSE(session.Working());
    EXPECT_EQ(platform.kept[L"OraImmagine"], nubilux::StampOf(20'000 * kDay + 10 * kHour + 1200));
}

// A deadline already past when the timer is set: it fires at once, not never.
TEST_F(SessionTest, ADeadlineAlreadyPastWakesTheTimerAtOnce) {
    StartAutomatic(At(0));
    session.Wake(At(1));
    EXPECT_EQ(session.WakeInMs(At(500)), 1);
}

TEST_F(SessionTest, AResumeInANewHourTakesThatHour) {
    StartAutomatic(At(0));
    session.Wake(At(1));
    session.AttemptEnded(Report(platform, Installed), At(2));
    session.Resumed(At(kDay + 100));  // asleep a day: this hour's picture is missing
    session.AttemptEnded(Report(platform, Installed), At(kDay + 110));
    EXPECT_EQ(Plans(), 2u);
    EXPECT_EQ(session.WakeInMs(At(kDay + 110)), (kHour - 110) * 1000);  // no second download at the next tick
}

TEST_F(SessionTest, ANewLayoutOfMonitorsIsFollowedOnlyWhenItsSizesDiffer) {
    StartAutomatic(At(0));
    session.Wake(At(1));
    session.AttemptEnded(Report(platform, Installed), At(2));
    session.LayoutChanged(At(100));
    EXPECT_EQ(session.WakeInMs(At(100)), nubilux::Session::kLayoutSettleMs);  // sooner than the next hour
    session.Wake(At(160));
    EXPECT_EQ(Plans(), 1u);  // the same sizes: no download
    // A second monitor, docked through three changes: one download, a minute after the last.
    platform.sizes = {{1920, 1080}, {1920, 1200}};
    session.LayoutChanged(At(200));
    session.LayoutChanged(At(230));
    session.Wake(At(260));  // the first change's minute: still settling
    EXPECT_EQ(Plans(), 1u);
    session.LayoutChanged(At(262));
    EXPECT_EQ(session.WakeInMs(At(262)), nubilux::Session::kLayoutSettleMs);
    session.Wake(At(322));
    EXPECT_EQ(Plans(), 2u);
    session.AttemptEnded(Report(platform, Installed), At(323));
    EXPECT_EQ(session.WakeInMs(At(323)), (kHour - 323) * 1000);  // looked at: back to the hour
    session.LayoutChanged(At(400));
    EXPECT_EQ(session.WakeInMs(At(500)), 1);  // a settling time already past wakes at once
}

// Manual mode follows no new layout, and the layout's wake-up starts nothing of its own,
// a new hour included.
TEST_F(SessionTest, InManualModeANewLayoutStartsNoUpdate) {
    session.Start({false, false, {L"-1", L"-1", L"-1"}});
    session.UpdateClicked(At(0));
    session.AttemptEnded(Report(platform, Installed), At(1));
    platform.sizes = {{1920, 1080}, {1920, 1200}};
    session.LayoutChanged(At(kHour - 10));
    ASSERT_EQ(session.WakeInMs(At(kHour - 10)), nubilux::Session::kLayoutSettleMs);
    session.Wake(At(kHour + 50));
    EXPECT_EQ(Plans(), 1u);
    EXPECT_FALSE(session.WakeInMs(At(kHour + 50)));  // nothing more to wake for
}

// While an update runs, the menu says so, whatever the last one left.
TEST_F(SessionTest, TheMenuTellsOfTheUpdateUnderWay) {
    StartAutomatic(At(0));
    session.Wake(At(1));
    session.AttemptEnded(Report(platform, Installed), At(2));
    session.UpdateClicked(At(3));  // greyed in Automatic mode: nothing
    session.SelectMode(false);
    session.UpdateClicked(At(4));
    EXPECT_THAT(session.MenuLines(At(5)), ElementsAre(nubilux::texts::kUpdating));
}

}  // namespace

namespace {

// The whole Earth or the region: the choice is kept and shown at once in either mode; a
// region that cannot be shown is never taken, and while it is the stored choice the tip
// says why under its first line.
TEST_F(SessionTest, TheRegionChosenIsKeptAndShownAtOnceUnlessItCannotBe) {
    session.Start({false, false, {L"-1", L"-1", L"-1"}});
    EXPECT_FALSE(session.RegionShown());
    session.ChooseRegion(false, At(1));  // the whole Earth again: nothing to do
    EXPECT_EQ(Plans(), 0u);
    session.ChooseRegion(true, At(2));
    EXPECT_TRUE(session.RegionShown());
    EXPECT_EQ(platform.kept[L"Regione"], L"1");
    EXPECT_THAT(platform.plannedRegions, ElementsAre(true));
    session.AttemptEnded(Report(platform, Installed), At(3));
    platform.regionFault = nubilux::RegionFault::NoPlace;  // Centro= removed meanwhile
    EXPECT_FALSE(session.RegionShown());
    EXPECT_EQ(session.RegionNote(), std::wstring(nubilux::texts::kNoRegion));
    EXPECT_EQ(session.Tip(At(4)).substr(0, session.Tip(At(4)).find(L'\n', std::wcslen(nubilux::texts::kIdleTip) + 1)),
              std::wstring(nubilux::texts::kIdleTip) + L"\n" + nubilux::texts::kNoRegion);
    session.ChooseRegion(false, At(5));  // the whole Earth, as shown already: nothing to do
    session.ChooseRegion(true, At(6));   // not taken: no place
    EXPECT_EQ(Plans(), 1u);
    platform.regionFault = nubilux::RegionFault::None;
    session.ChooseRegion(false, At(7));  // the region shown again, and now the whole Earth chosen
    EXPECT_EQ(platform.kept[L"Regione"], L"0");
    EXPECT_EQ(session.Tip(At(8)).find(nubilux::texts::kNoRegion), std::wstring::npos);
    EXPECT_THAT(platform.plannedRegions, ElementsAre(true, false));
}

}  // namespace
