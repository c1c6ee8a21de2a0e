// The order an attempt's worker is started with and the news it sends back: what is
// written is read back whole, and anything that is not a whole order or a whole line of
// news (a worker cut off mid-line, a file of another program) is refused.
#include <gtest/gtest.h>

#include "app/worker_protocol.h"

namespace {

using nubilux::WorkerNews;

nubilux::WorkerOrder Sample() {
    nubilux::WorkerOrder order;
    order.number = 4000000000u;
    order.source = {L"Himawari, true colour", L"https://www.data.jma.go.jp/x/fd__trm_0300.jpg", 1796731200, true, true, 1,
                    nubilux::Crop{0.1, 0.2 / 3, 0.7, 0.9}};
    order.plan = {{1920, 1080}, {3840, 2160}, {L"C:\\Program Files (x86)\\Nubilux\\NUBILUX-1920x1080.BMP",
                                               L"C:\\Users\\anna\\AppData\\Local\\Nubilux\\NUBILUX-1920x1080.BMP"}};
    order.monitors = {L"\\\\?\\DISPLAY#A#1", L"\\\\?\\DISPLAY#B#2"};
    order.primary = false;
    return order;
}

TEST(WorkerOrder, WhatIsWrittenIsReadBackWhole) {
    const auto read = nubilux::ReadOrder(nubilux::WriteOrder(Sample()));
    ASSERT_TRUE(read);
    const auto& source = read->source;
    EXPECT_EQ(read->number, 4000000000u);
    EXPECT_EQ(source.name, L"Himawari, true colour");
    EXPECT_EQ(source.url, L"https://www.data.jma.go.jp/x/fd__trm_0300.jpg");
    EXPECT_EQ(source.slot, 1796731200);
    EXPECT_TRUE(source.earlierSlot);
    EXPECT_TRUE(source.dated);
    EXPECT_EQ(source.picture, 1);
    ASSERT_TRUE(source.crop);
    EXPECT_EQ(source.crop->left, 0.1);
    EXPECT_EQ(source.crop->top, 0.2 / 3);  // to the bit
    EXPECT_EQ(source.crop->right, 0.7);
    EXPECT_EQ(source.crop->bottom, 0.9);
    EXPECT_EQ(read->plan.canvas, (nubilux::Screen{1920, 1080}));
    EXPECT_EQ(read->plan.largest, (nubilux::Screen{3840, 2160}));
    EXPECT_EQ(read->plan.targets, Sample().plan.targets);
    EXPECT_EQ(read->monitors, Sample().monitors);
    EXPECT_FALSE(read->primary);

    // The whole picture, for the desktop's one wallpaper, of no time slot; and a crop of
    // round fractions (their bits hold zeros).
    auto plain = Sample();
    plain.source.slot = 0;
    const auto halves = [&] {
        auto order = Sample();
        order.source.crop = nubilux::Crop{0.25, 0.125, 0.75, 0.5};  // its right past its bottom
        return nubilux::ReadOrder(nubilux::WriteOrder(order));
    }();
    ASSERT_TRUE(halves);
    EXPECT_EQ(halves->source.crop->top, 0.125);
    EXPECT_EQ(halves->source.crop->bottom, 0.5);
    plain.source.crop.reset();
    plain.monitors.clear();
    plain.primary = true;
    const auto back = nubilux::ReadOrder(nubilux::WriteOrder(plain));
    ASSERT_TRUE(back);
    EXPECT_FALSE(back->source.crop);
    EXPECT_EQ(back->source.slot, 0);
    EXPECT_TRUE(back->monitors.empty());
    EXPECT_TRUE(back->primary);
}

TEST(WorkerOrder, AnythingButAWholeOrderIsRefused) {
    const std::wstring good = nubilux::WriteOrder(Sample());
    EXPECT_FALSE(nubilux::ReadOrder(L""));
    EXPECT_FALSE(nubilux::ReadOrder(L"/ATTEMPT"));                       // started by hand
    EXPECT_FALSE(nubilux::ReadOrder(good.substr(0, good.size() - 5)));  // cut off mid-line
    EXPECT_FALSE(nubilux::ReadOrder(L"NubiluxOrder 2" + good.substr(good.find(L'\n'))));  // another version
    const auto replaced = [&](const std::wstring& from, const std::wstring& to) {
        std::wstring text = good;
        const auto at = text.find(from);
        EXPECT_NE(at, std::wstring::npos) << std::string(from.begin(), from.end());
        return text.replace(at, from.size(), to);
    };
    for (const auto& [from, to] : std::initializer_list<std::pair<std::wstring, std::wstring>>{
             {L"number=4000000000", L"number=5000000000"},             // past an attempt's number
             {L"number=4000000000", L"number=-1"},
             {L"number=4000000000", L"number=4294967296"},
             {L"url=https://", L"url=ftp://"},                         // no address of ours
             {L"slot=1796731200", L"slot=soon"},
             {L"slot=1796731200", L"slot=1000000000000000000"},        // 19 digits: past what is read
             {L"dated=1", L"dated=yes"},
             {L"picture=1", L"picture=65"},
             {L"crop=3fb999999999999a", L"crop=3fb999999999999a0"},    // a number too long
             {L"crop=3fb999999999999a", L"crop=3FB999999999999A"},     // not as written
             {L"crop=3fb999999999999a", L"crop=0.1"},                  // not as written
             {L" 3feccccccccccccd", L" 3feccccccccccccd 3fe0000000000000"},  // a fifth number
             {L" 3feccccccccccccd", L"  3feccccccccccccd"},            // an empty one
             {L"crop=3fb999999999999a", L"crop=7ff8000000000000"},     // not a number
             {L"crop=3fb999999999999a", L"crop=3fe6666666666666"},     // its left at its right
             {L" 3feccccccccccccd", L" 3fb1111111111111"},             // its bottom at its top
             {L"canvas=1920 1080", L"canvas=1920 0"},
             {L"canvas=1920 1080", L"canvas=1920"},
             {L"canvas=1920 1080", L"canvas=1920 1000001"},             // past any monitor
             {L"number=4000000000", L"number="},
             {L"largest=3840 2160", L"largest=3840 99999999999999999999"},
             {L"primary=0", L"primary=0\nprimary=1"},                  // said twice
             {L"primary=0", L"colour=blue"},                           // unknown
             {L"primary=0", L"primary"},
         })
        EXPECT_FALSE(nubilux::ReadOrder(replaced(from, to))) << std::string(to.begin(), to.end());
    // A crop of three numbers and a gap is no crop.
    std::wstring gap = good;
    const auto crop = gap.find(L"crop=");
    gap.replace(crop, gap.find(L'\n', crop) - crop, L"crop= 3fb999999999999a 3fe6666666666666 3feccccccccccccd");
    EXPECT_FALSE(nubilux::ReadOrder(gap));
    // A crop outside the picture, or with its left past its right, is written but not read.
    for (const nubilux::Crop bad : {nubilux::Crop{-0.1, 0.2, 0.7, 0.9}, nubilux::Crop{0.1, 0.2, 1.5, 0.9},
                                    nubilux::Crop{0.8, 0.2, 0.7, 0.9}, nubilux::Crop{0.1, 0.9, 0.7, 0.2},
                                    nubilux::Crop{0.5, 0.2, 0.5, 0.9}}) {
        auto outside = Sample();
        outside.source.crop = bad;
        EXPECT_FALSE(nubilux::ReadOrder(nubilux::WriteOrder(outside))) << bad.left << " " << bad.right;
    }
    // What every attempt needs.
    auto targetless = Sample();
    targetless.plan.targets.clear();
    EXPECT_FALSE(nubilux::ReadOrder(nubilux::WriteOrder(targetless)));
    EXPECT_FALSE(nubilux::ReadOrder(replaced(L"url=https://www.data.jma.go.jp/x/fd__trm_0300.jpg\n", L"")));
    EXPECT_FALSE(nubilux::ReadOrder(replaced(L"canvas=1920 1080\n", L"")));
    EXPECT_FALSE(nubilux::ReadOrder(replaced(L"largest=3840 2160\n", L"")));
    EXPECT_FALSE(nubilux::ReadOrder(replaced(L"number=4000000000\n", L"")));
    EXPECT_TRUE(nubilux::ReadOrder(replaced(L"name=Himawari, true colour\n", L"")));  // a name is for the menu only
    EXPECT_TRUE(nubilux::ReadOrder(replaced(L"canvas=1920 1080", L"canvas=1 1")));  // a monitor a pixel wide
    const auto primary = nubilux::ReadOrder(replaced(L"picture=1", L"picture=0"));  // the primary monitor's
    ASSERT_TRUE(primary);
    EXPECT_EQ(primary->source.picture, 0);
}

TEST(WorkerNews, EachLineReadsBackAndNothingElseIsNews) {
    const auto roundTrip = [](const WorkerNews& news) {
        const auto back = nubilux::ReadNews(nubilux::NewsLine(news));
        EXPECT_TRUE(back) << std::string(nubilux::NewsLine(news).begin(), nubilux::NewsLine(news).end());
        return back.value_or(WorkerNews{});
    };
    EXPECT_EQ(roundTrip({WorkerNews::Kind::State, 7}).state, 7);
    EXPECT_EQ(roundTrip({WorkerNews::Kind::Installing}).kind, WorkerNews::Kind::Installing);
    const WorkerNews placed{WorkerNews::Kind::Ended, 0,
                            {nubilux::Ending::Installed, nubilux::Reason::None, L"C:\\Program Files\\N\\NUBILUX.BMP",
                             1796731200}};
    const auto installed = roundTrip(placed);
    EXPECT_EQ(installed.kind, WorkerNews::Kind::Ended);
    EXPECT_EQ(installed.end.ending, nubilux::Ending::Installed);
    EXPECT_EQ(installed.end.placed, L"C:\\Program Files\\N\\NUBILUX.BMP");  // blanks and all
    EXPECT_EQ(installed.end.takenAt, 1796731200);
    const auto failed =
        roundTrip({WorkerNews::Kind::Ended, 0, {nubilux::Ending::LocalFailure, nubilux::Reason::DiskFull, L"", 0}});
    EXPECT_EQ(failed.end.ending, nubilux::Ending::LocalFailure);
    EXPECT_EQ(failed.end.reason, nubilux::Reason::DiskFull);

    for (const wchar_t* line : {L"", L"state", L"state ", L"state -1", L"state 7x", L"sent ", L"Installing", L"end", L"end 0 0 0",
                                L"end 0 0 0 ", L"end 1 2 0 C:\\x.bmp", L"end 4 0 0 ", L"end 2 9 0 ", L"end 2 x 0 ",
                                L"end 2 1 -5 ", L"hello"})
        EXPECT_FALSE(nubilux::ReadNews(line)) << std::wstring(line).size();
    EXPECT_TRUE(nubilux::ReadNews(L"end 1 1 0 "));  // a source failed: no bitmap named
}

}  // namespace

// Each worker's temporary file is its own and is one that the start-up clean-up finds.
TEST(WorkerFiles, ATemporaryNameIsTheWorkersOwnAndALeftoverByItsPattern) {
    const std::wstring name = nubilux::WorkerTemporaryName(0x1A2C);
    EXPECT_EQ(name, L"nbx1A2C.tmp");
    EXPECT_NE(nubilux::WorkerTemporaryName(0x1A2D), name);
    EXPECT_EQ(nubilux::WorkerTemporaryName(0xFFFFFFFFul), L"nbxFFFFFFFF.tmp");
}

// The limit holds what an attempt legitimately needs at the sizes the header check allows,
// and grows with the monitors; it is not the whole address space.
TEST(WorkerFiles, TheMemoryLimitHoldsTheLargestAllowedPictureAndItsBody) {
    constexpr std::uint64_t kMiB = 1u << 20;
    const nubilux::AttemptPlan full{{1920, 1080}, {1920, 1080}, {L"C:\\N\\NUBILUX.BMP"}};
    const std::uint64_t limit = nubilux::WorkerMemoryLimit(full);
    const std::uint64_t needed = 4096ull * 4096 * 4 + 1920ull * 1080 * 4 + nubilux::kMaxBodyBytes;
    EXPECT_GE(limit, needed + 32 * kMiB);
    EXPECT_LE(limit, needed + 96 * kMiB);
    const nubilux::AttemptPlan wide{{1920, 1080}, {7680, 2160}, {L"C:\\N\\NUBILUX.BMP"}};
    EXPECT_GE(nubilux::WorkerMemoryLimit(wide), 15360ull * 15360 * 4 + nubilux::kMaxBodyBytes);
    const nubilux::AttemptPlan big{{3840, 2160}, {1920, 1080}, {L"C:\\N\\NUBILUX.BMP"}};
    EXPECT_EQ(nubilux::WorkerMemoryLimit(big) - limit, (3840ull * 2160 - 1920ull * 1080) * 4);
}

// The shell's monitors from the helper that asks it: read back whole, blanks in a path and
// all; a list cut off (a helper ended mid-way) or anything else is no list.
TEST(WorkerMonitors, AListIsReadBackWholeAndOnlyWhole) {
    const std::vector<nubilux::Monitor> monitors{{L"\\\\?\\DISPLAY#DEL 40A3#1", {2560, 1440}, true},
                                                 {L"\\\\?\\DISPLAY#B#2", {1080, 1920}, false}};
    const std::wstring text = nubilux::MonitorsText(monitors);
    const auto back = nubilux::ReadMonitors(text);
    ASSERT_TRUE(back);
    ASSERT_EQ(back->size(), 2u);
    EXPECT_EQ((*back)[0].id, L"\\\\?\\DISPLAY#DEL 40A3#1");
    EXPECT_EQ((*back)[0].size, (nubilux::Screen{2560, 1440}));
    EXPECT_TRUE((*back)[0].primary);
    EXPECT_EQ((*back)[1].size, (nubilux::Screen{1080, 1920}));
    EXPECT_FALSE((*back)[1].primary);
    const auto none = nubilux::ReadMonitors(nubilux::MonitorsText({}));  // no per-monitor wallpaper here
    ASSERT_TRUE(none);
    EXPECT_TRUE(none->empty());
    for (const std::wstring& bad :
         {text.substr(0, text.size() - 4), text.substr(0, text.size() - 1), std::wstring(L""), text + L"monitor",
          std::wstring(L"monitor 2560 1440 1\nend\n"), std::wstring(L"monitor 2560 1440 2 X\nend\n"),
          std::wstring(L"monitor 2560 0 1 X\nend\n"), std::wstring(L"monitor 2560 1440 1 X\nend\nend\n"),
          std::wstring(L"hello\nend\n")})
        EXPECT_FALSE(nubilux::ReadMonitors(bad)) << std::string(bad.begin(), bad.end());
}

// The dial-up helper's list: entries by name, a VPN told apart, blanks kept; one whose name
// would break its line left out; and nothing unless the list is whole, so that a list cut
// short never makes a line look newly dialled.
TEST(WorkerConnections, AListIsReadBackWholeAndOnlyWhole) {
    const std::wstring text = nubilux::ConnectionsText({{L"Casa mia", false}, {L"Ufficio", true}, {L"Rotta\nlinea", false}});
    const auto back = nubilux::ReadConnections(text);
    ASSERT_TRUE(back);
    ASSERT_EQ(back->size(), 2u);
    EXPECT_EQ((*back)[0].entryName, L"Casa mia");
    EXPECT_FALSE((*back)[0].vpn);
    EXPECT_EQ((*back)[1].entryName, L"Ufficio");
    EXPECT_TRUE((*back)[1].vpn);
    const auto none = nubilux::ReadConnections(nubilux::ConnectionsText({}));
    ASSERT_TRUE(none);
    EXPECT_TRUE(none->empty());
    for (const std::wstring& bad : {text.substr(0, text.size() - 4), text.substr(0, text.size() - 1), std::wstring(L""),
                                    std::wstring(L"line \nend\n"), std::wstring(L"vpn \nend\n"), std::wstring(L"line\nend\n"),
                                    std::wstring(L"modem X\nend\n"), std::wstring(L"line X\nend\nend\n"), text + L"line Y"})
        EXPECT_FALSE(nubilux::ReadConnections(bad)) << std::string(bad.begin(), bad.end());
}

// An entry's name goes to the hang-up helper whole, quotes and all, and only a whole one
// comes back.
TEST(WorkerConnections, AnEntrysNameCrossesTheCommandLineWhole) {
    for (const std::wstring name : {L"Casa", L"Uff\"icio\" /HANGUP x", L"\u00e8\u4e2d\ufffd", L"a b"}) {
        const std::wstring argument = nubilux::EntryArgument(name);
        EXPECT_EQ(argument.find_first_not_of(L"0123456789abcdef"), std::wstring::npos);
        EXPECT_EQ(nubilux::EntryOfArgument(argument), name);
    }
    EXPECT_EQ(nubilux::EntryArgument(L"\u4e2dA"), L"4e2d0041");
    for (const wchar_t* bad : {L"", L"004", L"00410", L"004G", L"004g", L"004A", L"-041", L"004/", L"004:"})
        EXPECT_FALSE(nubilux::EntryOfArgument(bad)) << bad;
}

TEST(WorkerConnections, MeteredIsEitherSaidOrUnknown) {
    EXPECT_EQ(nubilux::ReadMetered(nubilux::MeteredText(true)), true);
    EXPECT_EQ(nubilux::ReadMetered(nubilux::MeteredText(false)), false);
    for (const wchar_t* bad : {L"", L"metered", L"unmetered", L"metered\nmetered\n", L"1\n"})
        EXPECT_FALSE(nubilux::ReadMetered(bad)) << bad;
}
