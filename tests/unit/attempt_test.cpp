#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <new>
#include <set>
#include <string>
#include <vector>

#include "app/attempt.h"
#include "app/picture_header.h"
#include "app/status.h"

namespace {

using ::testing::ElementsAre;
using nubilux::Ending;
using nubilux::PictureFormat;
using nubilux::Reason;
using nubilux::ReadPictureHeader;

// A JPEG's start: SOI, an APP0 segment, a DQT-like segment, then a frame header of the
// given marker and size.
std::string Jpeg(unsigned width, unsigned height, unsigned char sof = 0xC0) {
    std::string out = "\xFF\xD8";
    out += std::string("\xFF\xE0\x00\x10JFIF\x00\x01\x01\x00\x00\x01\x00\x01\x00\x00", 18);
    out += std::string("\xFF\xC4\x00\x04\x00\x00", 6);  // DHT shares the SOF range
    out += std::string("\xFF", 1) + static_cast<char>(sof);
    out += std::string("\x00\x11\x08", 3);
    out += static_cast<char>(height >> 8);
    out += static_cast<char>(height & 0xFF);
    out += static_cast<char>(width >> 8);
    out += static_cast<char>(width & 0xFF);
    out += std::string("\x03\x01\x22\x00\x02\x11\x01\x03\x11\x01", 10);
    out += "\xFF\xDA";  // the scan follows
    return out;
}

std::string Png(unsigned width, unsigned height, unsigned char depth) {
    std::string out("\x89PNG\r\n\x1A\n\x00\x00\x00\x0DIHDR", 16);
    for (unsigned value : {width, height})
        for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>((value >> shift) & 0xFF);
    out += static_cast<char>(depth);
    out += std::string("\x02\x00\x00\x00", 4);  // truecolour, then the CRC
    out += std::string(4, '\0');
    return out;
}

TEST(PictureHeader, TheFrameSizeOfJpegAndPngAsDeclared) {
    const auto baseline = ReadPictureHeader(Jpeg(1808, 1356));
    ASSERT_TRUE(baseline);
    EXPECT_EQ(baseline->format, PictureFormat::Jpeg);
    EXPECT_EQ(baseline->width, 1808u);  // width after height in the frame header
    EXPECT_EQ(baseline->height, 1356u);
    const auto progressive = ReadPictureHeader(Jpeg(5424, 5424, 0xC2));
    ASSERT_TRUE(progressive);
    EXPECT_EQ(progressive->width, 5424u);
    const auto deep = ReadPictureHeader(Png(4000, 3000, 16));  // 16 bits a sample: still a size
    ASSERT_TRUE(deep);
    EXPECT_EQ(deep->format, PictureFormat::Png);
    EXPECT_EQ(deep->width, 4000u);
    EXPECT_EQ(deep->height, 3000u);
    // A lying header is read as it lies: the size judged is the one a decoder would make.
    EXPECT_EQ(ReadPictureHeader(Jpeg(20000, 20000))->width, 20000u);
}

TEST(PictureHeader, TheShortestWholeHeadersAreRead) {
    // A PNG cut right after its header chunk's data, before the CRC, has its size; a byte less not.
    const std::string png = Png(800, 600, 8);
    EXPECT_TRUE(ReadPictureHeader(png.substr(0, 29)));
    EXPECT_FALSE(ReadPictureHeader(png.substr(0, 28)));
    // A frame header of eight bytes, without components, still says its size.
    const std::string shortest = std::string("\xFF\xD8\xFF\xC0\x00\x08\x08\x02\x58\x03\x20\x01", 12);
    ASSERT_TRUE(ReadPictureHeader(shortest));
    EXPECT_EQ(ReadPictureHeader(shortest)->width, 800u);
    // Markers without a length of their own (RSTn, TEM) before the frame are stepped over.
    std::string restarts = Jpeg(1024, 768);
    restarts.insert(2, "\xFF\xD0\xFF\x01");
    ASSERT_TRUE(ReadPictureHeader(restarts));
    EXPECT_EQ(ReadPictureHeader(restarts)->height, 768u);
}

TEST(PictureHeader, AnythingElseHasNoSize) {
    const std::string whole = Jpeg(1024, 768);
    for (std::size_t cut : {std::size_t{1}, std::size_t{3}, std::size_t{20}, std::size_t{28}, whole.find("\x03\x01")})
        EXPECT_FALSE(ReadPictureHeader(whole.substr(0, cut))) << "cut at " << cut;
    EXPECT_FALSE(ReadPictureHeader(Png(1024, 768, 8).substr(0, 20)));
    EXPECT_FALSE(ReadPictureHeader(Jpeg(1024, 0)));  // height left to a later marker
    EXPECT_FALSE(ReadPictureHeader(Png(0, 768, 8)));
    EXPECT_FALSE(ReadPictureHeader("GIF89a\x00\x04\x00\x03"));
    EXPECT_FALSE(ReadPictureHeader("BM\x36\x00"));
    EXPECT_FALSE(ReadPictureHeader("\xFF\xD8\xFF\xDA scan before any frame"));
    EXPECT_FALSE(ReadPictureHeader(std::string("\xFF\xD8\xFF\xE0\x00\x01", 6)));  // a length below its own
}

// The seams of one attempt, with a journal of what reached which.
class FakeSeams : public nubilux::AttemptSeams {
public:
    nubilux::Fetched fetched;
    bool decodes = true, wallpaperSet = true, decodeThrows = false;
    std::uint8_t shade = 0;                 // 0: a picture of many shades; else all this one
    nubilux::Screen monitor{160, 90};       // wide: a 4:3 or square picture leaves black bars
    std::vector<std::wstring> lockedTargets;  // cannot be replaced
    std::vector<std::wstring> fullFolders;    // take no file
    std::vector<std::wstring> journal;

    nubilux::Fetched Fetch() override { return fetched; }
    bool Decode(const std::string&, const nubilux::PictureHeader& header, nubilux::Canvas& canvas) override {
        journal.push_back(L"decode " + std::to_wstring(header.width));
        if (decodeThrows) throw std::bad_alloc();
        // As the system's codec does: the picture fitted and centred, the bars left black;
        // one that fails may do so half-way through.
        canvas = nubilux::Canvas::For(monitor, {static_cast<int>(header.width), static_cast<int>(header.height)});
        const auto rows = static_cast<std::uint32_t>(decodes ? canvas.fitted.height : canvas.fitted.height / 2);
        for (std::uint32_t y = 0; y < rows; ++y) {
            std::uint8_t* row = canvas.Picture() + y * canvas.Stride();
            for (std::size_t x = 0; x < static_cast<std::size_t>(canvas.fitted.width) * 3; ++x)
                row[x] = shade ? shade : static_cast<std::uint8_t>(x * 7 + y);
        }
        return decodes;
    }
    std::wstring WriteTemporary(const std::wstring& folder, const nubilux::Canvas&, Reason& why) override {
        if (std::find(fullFolders.begin(), fullFolders.end(), folder) != fullFolders.end()) {
            why = Reason::DiskFull;
            return L"";
        }
        journal.push_back(L"write " + folder);
        return folder + L"\\nbx1.tmp";
    }
    bool Replace(const std::wstring&, const std::wstring& target, Reason& why) override {
        if (std::find(lockedTargets.begin(), lockedTargets.end(), target) != lockedTargets.end()) {
            why = Reason::CannotSave;
            return false;
        }
        journal.push_back(L"replace " + target);
        return true;
    }
    void Discard(const std::wstring& temporary) override { journal.push_back(L"discard " + temporary); }
    void Installing() override { journal.push_back(L"installing"); }
    bool ShowAsWallpaper(const std::wstring& picture) override {
        journal.push_back(L"wallpaper " + picture);
        return wallpaperSet;
    }
};

const nubilux::AttemptPlan kPlan{{1024, 768}, {1024, 768}, {L"C:\\App\\NUBILUX.BMP", L"C:\\U\\Nubilux\\NUBILUX.BMP"}};

FakeSeams Answering(std::string body) {
    FakeSeams seams;
    seams.fetched.whole = true;
    seams.fetched.body = std::move(body);
    return seams;
}

TEST(Attempt, AGoodPictureIsWrittenBesideTheProgramThenTheWallpaper) {
    FakeSeams seams = Answering(Jpeg(1024, 768));
    const auto end = nubilux::RunAttempt(seams, kPlan);
    EXPECT_EQ(end.ending, Ending::Installed);
    EXPECT_EQ(end.placed, L"C:\\App\\NUBILUX.BMP");
    EXPECT_THAT(seams.journal, ElementsAre(L"decode 1024", L"installing", L"write C:\\App", L"replace C:\\App\\NUBILUX.BMP",
                                           L"wallpaper C:\\App\\NUBILUX.BMP"));
}

TEST(Attempt, APictureIsJudgedByItsHeaderBeforeAnyCodecSeesIt) {
    for (const std::string& body : {Jpeg(20000, 20000), Jpeg(4097, 10), Png(10, 20000, 8), std::string("GIF89a...."),
                                    std::string("\xFF\xD8\xFF\xE0\x00")}) {
        FakeSeams seams = Answering(body);
        const auto end = nubilux::RunAttempt(seams, kPlan);
        EXPECT_EQ(end.ending, Ending::SourceFailed);
        EXPECT_EQ(end.reason, Reason::BadPicture);
        EXPECT_TRUE(seams.journal.empty()) << "reached " << std::string(seams.journal.front().begin(), seams.journal.front().end());
    }
    FakeSeams largest = Answering(Jpeg(4096, 4096));  // the limit itself is taken
    EXPECT_EQ(nubilux::RunAttempt(largest, kPlan).ending, Ending::Installed);
}

// The largest monitor bounds what a picture may declare, whichever monitor it is for.
TEST(Attempt, ThePictureLimitIsTheLargestMonitorsNotItsOwn) {
    const nubilux::AttemptPlan laptopBesideA4k{{1280, 720}, {2560, 1440}, {L"C:\\App\\NUBILUX-1280x720.BMP"}};
    FakeSeams largest = Answering(Jpeg(5120, 5120));
    EXPECT_EQ(nubilux::RunAttempt(largest, laptopBesideA4k).ending, Ending::Installed);
    FakeSeams over = Answering(Jpeg(5121, 10));
    EXPECT_EQ(nubilux::RunAttempt(over, laptopBesideA4k).reason, Reason::BadPicture);
    EXPECT_TRUE(over.journal.empty());
}

TEST(Attempt, TheSourcesOwnFailuresAreTheSources) {
    FakeSeams missing;
    missing.fetched.slotMissing = true;
    missing.fetched.reason = Reason::NoPicture;
    EXPECT_EQ(nubilux::RunAttempt(missing, kPlan).ending, Ending::SlotMissing);
    FakeSeams report = Answering("<?xml version=\"1.0\"?><ServiceExceptionReport/>");
    EXPECT_EQ(nubilux::RunAttempt(report, kPlan).ending, Ending::SlotMissing);
    FakeSeams unreachable;
    unreachable.fetched.reason = Reason::NoConnection;
    const auto end = nubilux::RunAttempt(unreachable, kPlan);
    EXPECT_EQ(end.ending, Ending::SourceFailed);
    EXPECT_EQ(end.reason, Reason::NoConnection);
    FakeSeams refused = Answering(Jpeg(1024, 768));
    refused.decodes = false;
    EXPECT_EQ(nubilux::RunAttempt(refused, kPlan).reason, Reason::BadPicture);
    // A blank frame is judged without the black bars a wide monitor adds to it.
    FakeSeams blank = Answering(Jpeg(1024, 768));
    blank.shade = 200;
    EXPECT_EQ(nubilux::RunAttempt(blank, kPlan).reason, Reason::BadPicture);
    EXPECT_THAT(blank.journal, ElementsAre(L"decode 1024"));  // nothing written
    // A codec that fails half-way leaves a picture that looks like one: still refused.
    FakeSeams halfway = Answering(Jpeg(1024, 768));
    halfway.decodes = false;
    EXPECT_EQ(nubilux::RunAttempt(halfway, kPlan).reason, Reason::BadPicture);
    EXPECT_THAT(halfway.journal, ElementsAre(L"decode 1024"));
}

TEST(Attempt, ABitmapThatCannotBeReplacedGoesToTheUsersFolder) {
    FakeSeams seams = Answering(Jpeg(1024, 768));
    seams.lockedTargets = {L"C:\\App\\NUBILUX.BMP"};
    const auto end = nubilux::RunAttempt(seams, kPlan);
    EXPECT_EQ(end.ending, Ending::Installed);
    EXPECT_EQ(end.placed, L"C:\\U\\Nubilux\\NUBILUX.BMP");
    EXPECT_THAT(seams.journal,
                ElementsAre(L"decode 1024", L"installing", L"write C:\\App", L"discard C:\\App\\nbx1.tmp", L"write C:\\U\\Nubilux",
                            L"replace C:\\U\\Nubilux\\NUBILUX.BMP", L"wallpaper C:\\U\\Nubilux\\NUBILUX.BMP"));
}

TEST(Attempt, NowhereToKeepThePictureIsALocalFailureWithItsReason) {
    FakeSeams full = Answering(Jpeg(1024, 768));
    full.fullFolders = {L"C:\\App", L"C:\\U\\Nubilux"};
    auto end = nubilux::RunAttempt(full, kPlan);
    EXPECT_EQ(end.ending, Ending::LocalFailure);
    EXPECT_EQ(end.reason, Reason::DiskFull);
    FakeSeams locked = Answering(Jpeg(1024, 768));
    locked.lockedTargets = kPlan.targets;
    end = nubilux::RunAttempt(locked, kPlan);
    EXPECT_EQ(end.ending, Ending::LocalFailure);
    EXPECT_EQ(end.reason, Reason::CannotSave);
    for (const auto& entry : locked.journal) EXPECT_EQ(entry.rfind(L"wallpaper", 0), std::wstring::npos);
    FakeSeams noWallpaper = Answering(Jpeg(1024, 768));
    noWallpaper.wallpaperSet = false;
    end = nubilux::RunAttempt(noWallpaper, kPlan);
    EXPECT_EQ(end.ending, Ending::LocalFailure);
    EXPECT_EQ(end.reason, Reason::Wallpaper);
}

TEST(Attempt, OnlyTheProgramsFolderRefusingTheWriteSendsThePictureToTheUsersFolder) {
    // A standard user with the program in Program Files.
    FakeSeams seams = Answering(Jpeg(1024, 768));
    seams.fullFolders = {L"C:\\App"};
    const auto end = nubilux::RunAttempt(seams, kPlan);
    EXPECT_EQ(end.ending, Ending::Installed);
    EXPECT_EQ(end.placed, L"C:\\U\\Nubilux\\NUBILUX.BMP");
}

TEST(Attempt, AnHtmlPageOrAPictureTooLargeForMemoryIsTheSourcesFailure) {
    FakeSeams page = Answering("\r\n<!DOCTYPE html><html><body>Maintenance</body></html>");
    auto end = nubilux::RunAttempt(page, kPlan);
    EXPECT_EQ(end.ending, Ending::SourceFailed);
    EXPECT_EQ(end.reason, Reason::BadPicture);
    FakeSeams huge = Answering(Jpeg(1024, 768));
    huge.decodeThrows = true;
    end = nubilux::RunAttempt(huge, kPlan);
    EXPECT_EQ(end.ending, Ending::SourceFailed);  // the next source is tried, not an hour's wait
    EXPECT_EQ(end.reason, Reason::BadPicture);
}

TEST(Attempt, TheInstalledPicturesTimeIsReported) {
    FakeSeams seams = Answering(Jpeg(1024, 768));
    seams.fetched.takenAt = 1'765'000'000;
    EXPECT_EQ(nubilux::RunAttempt(seams, kPlan).takenAt, 1'765'000'000);
}

TEST(PictureHeader, APngWhoseFirstChunkIsNotItsHeaderHasNoSize) {
    std::string png = Png(1024, 768, 8);
    png.replace(12, 4, "tEXt");
    EXPECT_FALSE(ReadPictureHeader(png));
}

// "installing" is said once the picture is good and before anything is written: every
// failure of this computer's (a full disk, a locked file, the shell) comes after it, so no
// such ending is lost to a give-up at the deadline; a bad picture never says it.
TEST(Attempt, ItSaysItIsInstallingOnlyForAGoodPictureAndBeforeAnyWrite) {
    FakeSeams full = Answering(Jpeg(1024, 768));
    full.fullFolders = {L"C:\\App", L"C:\\U\\Nubilux"};
    EXPECT_EQ(nubilux::RunAttempt(full, kPlan).reason, Reason::DiskFull);
    EXPECT_THAT(full.journal, ElementsAre(L"decode 1024", L"installing"));
    FakeSeams bad = Answering(Jpeg(1024, 768));
    bad.decodes = false;
    EXPECT_EQ(nubilux::RunAttempt(bad, kPlan).ending, Ending::SourceFailed);
    EXPECT_THAT(bad.journal, ElementsAre(L"decode 1024"));
}

// JMA reuses each hhmm name daily: yesterday's file under today's slot name is that slot
// not out yet, and the step back to an earlier slot follows; a stale copy of a file named
// after no slot is simply no new picture.
TEST(Attempt, AStaleCopyOfASlotsFileIsAMissingSlot) {
    FakeSeams seams = Answering("");
    seams.fetched = nubilux::Fetched::StaleCopy(1'765'000'000);
    const auto end = nubilux::RunAttempt(seams, kPlan);
    EXPECT_EQ(end.ending, Ending::SlotMissing);
    EXPECT_EQ(end.reason, Reason::NoPicture);
    EXPECT_FALSE(nubilux::Fetched::StaleCopy(0).slotMissing);
    EXPECT_EQ(nubilux::Fetched::StaleCopy(0).reason, Reason::NoPicture);
}

TEST(Attempt, ReasonsInTheUsersWords) {
    // A status is the server's word on the picture: a missing slot, or none at all.
    for (const int status : {404, 500, 503}) {
        EXPECT_TRUE(nubilux::Fetched::WithStatus(status).slotMissing) << status;
        EXPECT_EQ(nubilux::Fetched::WithStatus(status).reason, Reason::NoPicture) << status;
    }
    for (const int status : {301, 403, 410}) EXPECT_FALSE(nubilux::Fetched::WithStatus(status).slotMissing) << status;
    EXPECT_EQ(nubilux::FailureLine(L"10:00", Reason::NoConnection, L"10:02"),
              L"Last update failed at 10:00: no connection; next try 10:02");
    EXPECT_EQ(nubilux::FailureLine(L"10:00", Reason::DiskFull, L""), L"Last update failed at 10:00: the disk is full");
    // Each reason has words of its own.
    std::set<std::wstring> said;
    for (const Reason reason : {Reason::NoConnection, Reason::NoAnswer, Reason::Certificate, Reason::NoPicture,
                                Reason::BadPicture, Reason::CannotSave, Reason::DiskFull, Reason::Wallpaper})
        said.insert(nubilux::ReasonText(reason));
    EXPECT_EQ(said.size(), 8u);
    EXPECT_STREQ(nubilux::ReasonText(Reason::BadPicture), L"the picture could not be used");
}

// The status fields show each of the download's states by name and in Italian; a number
// the platform should never send shows nothing rather than another state's text.
TEST(Attempt, EachDownloadStateHasItsNameAndDescription) {
    std::set<std::wstring> names;
    for (int state = 0; state <= nubilux::kStateResponseCompleted; ++state) {
        const auto texts = nubilux::DescribeState(state);
        ASSERT_TRUE(texts) << state;
        names.insert(texts->name);
    }
    EXPECT_EQ(names.size(), 13u);
    EXPECT_STREQ(nubilux::DescribeState(0)->name, L"icNone");
    EXPECT_STREQ(nubilux::DescribeState(nubilux::kStateRequestSent)->name, L"icRequestSent");
    EXPECT_STREQ(nubilux::DescribeState(nubilux::kStateResponseCompleted)->description,
                 L"La richiesta \u00e8 stata completata e sono stati ricevuti tutti i dati.");
    for (const int outside : {-1, 13, 1000}) EXPECT_FALSE(nubilux::DescribeState(outside)) << outside;
}

}  // namespace
