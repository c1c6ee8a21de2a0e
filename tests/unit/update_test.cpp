#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <optional>

#include "app/update.h"
#include "fake_session.h"

namespace {

using ::testing::ElementsAre;
using enum nubilux::Ending;
using enum nubilux::Reason;

using FakeUpdate = test::FakeSession;

// A minute a source, two a picture, half a minute to put a picture in place.
constexpr nubilux::Deadlines kMinuteEach{60'000, 120'000, 30'000};

// An updater whose answers are written down: the shown picture's source's name, or "-".
struct Ended {
    std::optional<std::wstring> from;
    nubilux::Reason why = nubilux::Reason::None;
    std::int64_t takenAt = 0;
};
class TestUpdater {
public:
    explicit TestUpdater(FakeUpdate& platform, nubilux::Deadlines deadlines = {}) : updater_(platform, deadlines) {}
    void Aggiorna_Sfondo(const std::vector<nubilux::Source>& sources, std::int64_t nowMs) {
        Take(updater_.Aggiorna_Sfondo(test::RunOf(sources), nowMs));
    }
    void OnAttemptDone(unsigned number, nubilux::Ending ending, nubilux::Reason why, std::int64_t nowMs,
                       std::int64_t takenAt = 0) {
        Take(updater_.OnAttemptDone(number, {ending, why, ending == nubilux::Ending::Installed ? L"C:\\N.BMP" : L"", takenAt},
                                    nowMs));
    }
    void OnClock(std::int64_t nowMs) { Take(updater_.OnClock(nowMs)); }
    void Stop() { Take(updater_.Stop()); }
    bool Running() const { return updater_.Running(); }
    std::optional<std::int64_t> Deadline() const { return updater_.Deadline(); }
    nubilux::Updater& Inner() { return updater_; }
    Ended ended;
    int answers = 0;  // how many events ended the update

private:
    void Take(const nubilux::Answer& answer) {
        if (!answer) return;
        ++answers;
        ended = {answer->installed ? answer->source : L"-", answer->why, answer->takenAt};
    }
    nubilux::Updater updater_;
};

std::vector<nubilux::Source> Three() { return {{L"A", L"https://a/"}, {L"B", L"https://b/"}, {L"C", L"https://c/"}}; }

TEST(Update, StepsInOrderWithTheFinishingStepsLast) {
    FakeUpdate platform;
    TestUpdater updater(platform);
    updater.Aggiorna_Sfondo(Three(), 0);
    EXPECT_TRUE(updater.Running());
    updater.OnAttemptDone(platform.started.back(), Installed, None, 500);
    EXPECT_THAT(platform.journal, ElementsAre(L"enum", L"start A", L"enum"));  // its worker ends by itself
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
    EXPECT_THAT(std::vector<std::wstring>(none.journal.end() - 2, none.journal.end()), ElementsAre(L"start C", L"enum"));
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
    updater.Aggiorna_Sfondo(Three(), 0);
    updater.Aggiorna_Sfondo(Three(), 10);  // a click or tick meanwhile
    EXPECT_EQ(platform.started.size(), 1u);
    updater.Stop();  // Exit during the update: its worker is ended
    EXPECT_EQ(platform.forsaken, 1);
    EXPECT_EQ(updater.ended.from, L"-");
    EXPECT_FALSE(updater.Running());
    updater.Aggiorna_Sfondo(Three(), 20);  // and the next one runs again
    EXPECT_TRUE(updater.Running());
    EXPECT_EQ(platform.started.size(), 2u);
}

TEST(Update, AnAttemptThatCannotStartOrRunsOutOfMemoryStillEndsWhole) {
    for (const bool throws : {false, true}) {
        FakeUpdate platform;
        (throws ? platform.startThrows : platform.startFails) = true;
        TestUpdater updater(platform);
        updater.Aggiorna_Sfondo(Three(), 0);
        EXPECT_FALSE(updater.Running()) << throws;
        EXPECT_EQ(updater.ended.from, L"-");
        EXPECT_THAT(platform.journal, ElementsAre(L"enum", L"enum"));
        platform.startFails = platform.startThrows = false;
        updater.Aggiorna_Sfondo(Three(), 1);  // the next update is possible
        EXPECT_THAT(platform.Started(), ElementsAre(L"A"));
    }
}

// A worker that cannot be started (no process, no file for its order) passes its source
// over for the picture's next one, not the picture's whole turn.
TEST(Update, ASourceWhoseWorkerCannotStartGivesWayToThePicturesNext) {
    FakeUpdate platform;
    platform.startsRefused = 1;
    TestUpdater updater(platform);
    updater.Aggiorna_Sfondo(Three(), 0);
    EXPECT_THAT(platform.journal, ElementsAre(L"enum", L"refused A", L"start B"));
    updater.OnAttemptDone(platform.started.back(), Installed, None, 10);
    EXPECT_EQ(updater.ended.from, L"B");
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

TEST(Update, DialledLinesAreHungUpButNeitherAVpnNorALineOpenBefore) {
    for (const auto ending : {Installed, SourceFailed}) {
        FakeUpdate platform;
        TestUpdater updater(platform);
        platform.enumerations = {std::vector<nubilux::Connection>{{L"Casa"}},
                                 std::vector<nubilux::Connection>{{L"Casa"}, {L"Lavoro", true}, {L"Modem"}, {L"Isdn"}}};
        updater.Aggiorna_Sfondo(Three(), 0);
        updater.OnAttemptDone(platform.started.back(), ending, NoConnection, 1);
        updater.Stop();
        EXPECT_THAT(std::vector<std::wstring>(platform.journal.end() - 2, platform.journal.end()),
                    ElementsAre(L"hangup Modem", L"hangup Isdn"));
    }
}

TEST(Update, NothingIsHungUpWhenTheConnectionsCannotBeListed) {
    for (int failing = 0; failing < 2; ++failing) {
        FakeUpdate platform;
        TestUpdater updater(platform);
        platform.enumerations = {std::vector<nubilux::Connection>{}, std::vector<nubilux::Connection>{{L"Modem"}}};
        platform.enumerations[failing].reset();
        updater.Aggiorna_Sfondo(Three(), 0);
        updater.OnAttemptDone(platform.started.back(), Installed, None, 1);
        for (const auto& entry : platform.journal) EXPECT_NE(entry, L"hangup Modem") << failing;
    }
}

TEST(Update, AGivenUpStepBackLeavesNoMissingSlotForTheNextPicture) {
    FakeUpdate platform;
    TestUpdater updater(platform, kMinuteEach);
    std::vector<nubilux::Source> sources = {{L"map", L"https://m/0", 3000},
                                            {L"map-1", L"https://m/1", 2400, true},
                                            {L"map-2", L"https://m/2", 1800, true},
                                            {L"file", L"https://f/", 0, false, true}};
    updater.Aggiorna_Sfondo(sources, 0);
    updater.OnAttemptDone(platform.started.back(), SlotMissing, NoPicture, 10);
    updater.OnClock(60'010);  // map-1 never answers: map-2 is not asked, its slot was never missing
    EXPECT_THAT(platform.Started(), ElementsAre(L"map", L"map-1", L"file"));
}

// A worker that dies without its ending (a crash, the memory limit) is reported as its
// source's failure, "the picture could not be used": the next source is tried, and when
// none is left that is the reason told; a report for an attempt already given up, or a
// second one for the same attempt, changes nothing.
TEST(Update, AWorkerThatDiesIsItsSourcesFailureAndLateOrRepeatedReportsCountForNothing) {
    FakeUpdate platform;
    TestUpdater updater(platform, kMinuteEach);
    updater.Aggiorna_Sfondo(Three(), 0);
    const unsigned a = platform.started.back();
    updater.OnAttemptDone(a, SourceFailed, BadPicture, 100);  // A's worker crashed
    EXPECT_THAT(platform.Started(), ElementsAre(L"A", L"B"));
    updater.OnAttemptDone(a, Installed, None, 110);  // A's report again: B's attempt goes on
    EXPECT_TRUE(updater.Running());
    EXPECT_EQ(updater.answers, 0);
    updater.OnClock(60'100);  // B stalls: given up
    updater.OnAttemptDone(platform.started.back(), SourceFailed, BadPicture, 60'200);  // C's worker dies too
    updater.OnAttemptDone(platform.started[1], Installed, None, 60'300);             // B's, from before its end
    EXPECT_EQ(updater.ended.from, L"-");
    EXPECT_EQ(updater.ended.why, BadPicture);
    EXPECT_EQ(updater.answers, 1);
}

// Each attempt's order is its picture's: the number that its news comes back with, the
// source, the picture's size and files, its monitors, and whether it is the primary's.
TEST(Update, EachAttemptIsOrderedWithItsOwnPicturesPlan) {
    FakeUpdate platform;
    nubilux::Updater updater(platform);
    nubilux::UpdateRun run = test::RunOf(TwoPictures(), {{1920, 1080}, {1280, 1024}});
    run.pictures[1].monitors = {L"\\\\?\\DISPLAY2"};
    updater.Aggiorna_Sfondo(run, 0);
    updater.OnAttemptDone(platform.started.back(), {Installed, None, L"C:\\N\\NUBILUX0.BMP", 7}, 10);
    ASSERT_EQ(platform.orders.size(), 2u);
    const auto& first = platform.orders[0];
    const auto& second = platform.orders[1];
    EXPECT_EQ(first.source.name, L"map0");
    EXPECT_TRUE(first.primary);
    EXPECT_EQ(first.plan.canvas, (nubilux::Screen{1920, 1080}));
    EXPECT_TRUE(first.monitors.empty());
    EXPECT_EQ(second.source.name, L"map1");
    EXPECT_FALSE(second.primary);
    EXPECT_EQ(second.plan.canvas, (nubilux::Screen{1280, 1024}));
    EXPECT_EQ(second.plan.targets, std::vector<std::wstring>{L"C:\\N\\NUBILUX1.BMP"});
    EXPECT_EQ(second.monitors, std::vector<std::wstring>{L"\\\\?\\DISPLAY2"});
    EXPECT_GT(second.number, first.number);
    EXPECT_EQ(updater.MadeFor(), (std::vector<nubilux::Screen>{{1920, 1080}, {1280, 1024}}));
    // Its second picture fails at every source: the first's source and time are told.
    nubilux::Answer answer;
    for (int i = 0; i < 4 && !answer; ++i)
        answer = updater.OnAttemptDone(platform.started.back(), {SourceFailed, NoConnection, L"", 0}, 20);
    ASSERT_TRUE(answer);
    EXPECT_TRUE(answer->installed);
    EXPECT_EQ(answer->source, L"map0");
    EXPECT_EQ(answer->takenAt, 7);
}

// The status fields show the attempt under way's states, the error once it is given up,
// and nothing from an attempt that no longer counts.
TEST(Update, TheDownloadStateIsTheAttemptUnderWaysAndTheErrorAfterAGiveUp) {
    FakeUpdate platform;
    TestUpdater updater(platform, kMinuteEach);
    EXPECT_FALSE(updater.Inner().DownloadState());
    updater.Aggiorna_Sfondo(Three(), 0);
    const unsigned a = platform.started.back();
    updater.Inner().OnAttemptState(a, 6);
    EXPECT_EQ(updater.Inner().DownloadState(), 6);
    updater.OnClock(60'000);  // A given up: B starts
    EXPECT_EQ(updater.Inner().DownloadState(), 11);
    updater.Inner().OnAttemptState(a, 8);  // A's late news
    EXPECT_EQ(updater.Inner().DownloadState(), 11);
    updater.Inner().OnAttemptState(platform.started.back(), 4);
    EXPECT_EQ(updater.Inner().DownloadState(), 4);
}

}  // namespace
