// Nubilux's seams against the real system: the clock and its stamps, the system's picture
// codecs chosen by class id, and the bitmap file written, flushed and moved.
#include <gtest/gtest.h>

#include <windows.h>

#include <netlistmgr.h>
#include <objbase.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "app/picture_header.h"
#include "app/win32/bitmap_file.h"
#include "app/win32/clock.h"
#include "app/win32/codec.h"
#include "app/win32/desktop.h"
#include "app/win32/fetch.h"
#include "app/win32/wic_ids.h"
#include "app/status.h"
#include "common/win32/startup.h"
#include "common/win32/unique.h"
#include "temp_folder.h"

namespace {

using namespace nubilux;
using namespace nubilux::win32;

std::string Fixture(const char* relative) {
    std::ifstream file(std::string(SUITE_SOURCE_DIR) + "/" + relative, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

TEST(Clock, StampsKeepMonthAndDayInTheirPlaces) {
    SYSTEMTIME t{};
    t.wYear = 2026, t.wMonth = 3, t.wDay = 4, t.wHour = 5, t.wMinute = 6;
    EXPECT_EQ(StoredStamp(t), L"2026-03-04 05:06");
    EXPECT_EQ(ShownStamp(L"2026-03-04 05:06", true, L"en-US"), L"3/4/2026 5:06 AM");
    EXPECT_EQ(ShownStamp(L"2026-03-04 17:06", false, L"de-DE"), L"17:06");
    const std::wstring german = ShownStamp(L"2026-03-04 05:06", true, L"de-DE");  // the day first
    EXPECT_TRUE(german == L"04.03.2026 05:06" || german == L"4.3.2026 05:06") << std::string(german.begin(), german.end());
    // What is no stamp is shown as it stands.
    EXPECT_EQ(ShownStamp(L"2026-13-04 05:06"), L"2026-13-04 05:06");
    EXPECT_EQ(ShownStamp(L"nontrovato"), L"nontrovato");
    EXPECT_EQ(ShownStamp(L"2026-0x-04 05:06"), L"2026-0x-04 05:06");
}

TEST(Clock, LocalSecondsFollowTheLocalClockNotUtc) {
    TIME_ZONE_INFORMATION zone{};
    const DWORD kind = ::GetTimeZoneInformation(&zone);
    const LONG bias = zone.Bias + (kind == TIME_ZONE_ID_DAYLIGHT ? zone.DaylightBias : 0);
    ASSERT_NE(bias, 0) << "run in a time zone off UTC (the tests set TZ=Asia/Tokyo)";
    SYSTEMTIME stamp{};
    const std::int64_t local = LocalSeconds(&stamp), utc = NowUtc();
    EXPECT_NEAR(static_cast<double>(local - utc), -60.0 * bias, 2.0);
    EXPECT_EQ(UnixSeconds(stamp), local);
    SYSTEMTIME back{};
    ASSERT_TRUE(LocalTimeOf(utc, back));
    EXPECT_NEAR(static_cast<double>(UnixSeconds(back) - local), 0.0, 2.0);
    const SYSTEMTIME wall = WallClockTime(local);
    EXPECT_EQ(wall.wHour, stamp.wHour);
    EXPECT_EQ(wall.wMinute, stamp.wMinute);
}

class Codec : public ::testing::Test {
protected:
    void SetUp() override { ::CoInitializeEx(nullptr, COINIT_MULTITHREADED); }
    void TearDown() override { ::CoUninitialize(); }
};

TEST_F(Codec, AJpegIsFittedAndCentredOnTheMonitorsCanvas) {
    const std::string jpeg = Fixture("res/sample/sat11.jpg");
    const auto header = ReadPictureHeader(jpeg);
    ASSERT_TRUE(header);
    Canvas canvas;
    ASSERT_TRUE(DecodePicture(jpeg, *header, {800, 800}, canvas));
    EXPECT_EQ(canvas.width, 800u);
    EXPECT_EQ(canvas.height, 800u);
    EXPECT_EQ(canvas.fitted, (Screen{800, 600}));
    EXPECT_EQ(canvas.placement.top, 100);
    EXPECT_EQ(canvas.rows[0], 0);                           // black above the picture
    EXPECT_FALSE(IsNearlyOneColour(canvas.Picture(), 800, 600, canvas.Stride()));
}

TEST_F(Codec, AnEightBitPngIsDecodedByThePngDecoder) {
    const std::string png = Fixture("tests/fixtures/shallow.png");
    const auto header = ReadPictureHeader(png);
    ASSERT_TRUE(header);
    Canvas canvas;
    ASSERT_TRUE(DecodePicture(png, *header, {64, 48}, canvas));
}

TEST_F(Codec, ASixteenBitPngIsDecodedByThePngDecoder) {
    const std::string png = Fixture("tests/fixtures/deep.png");
    const auto header = ReadPictureHeader(png);
    ASSERT_TRUE(header);
    EXPECT_EQ(header->format, PictureFormat::Png);
    Canvas canvas;
    ASSERT_TRUE(DecodePicture(png, *header, {64, 48}, canvas));
    EXPECT_EQ(canvas.fitted, (Screen{64, 48}));
    // Blue at the top, yellow at the bottom (BGR).
    EXPECT_GT(canvas.rows[0], 200);
    EXPECT_LT(canvas.rows[(47 * canvas.Stride()) + 0], 60);
}

// A region: only the crop's part of the picture, filling the monitor edge to edge.
TEST_F(Codec, ACropFillsTheMonitorWithItsPartAlone) {
    const std::string png = Fixture("tests/fixtures/deep.png");  // 64 x 48, blue at the top, yellow below
    const auto header = ReadPictureHeader(png);
    ASSERT_TRUE(header);
    for (const bool lower : {false, true}) {
        Canvas canvas;
        const Crop half{0.0, lower ? 0.5 : 0.0, 1.0, lower ? 1.0 : 0.5};
        ASSERT_TRUE(DecodePicture(png, *header, {96, 36}, canvas, half));
        EXPECT_EQ(canvas.width, 96u);
        EXPECT_EQ(canvas.height, 36u);
        EXPECT_EQ(canvas.fitted, (Screen{96, 36}));  // no band left black
        EXPECT_EQ(canvas.placement.left + canvas.placement.top, 0);
        const std::uint8_t blueAtTop = canvas.rows[0], blueAtBottom = canvas.rows[35 * canvas.Stride() + 95 * 3];
        if (lower) {
            EXPECT_LT(blueAtTop, 128);
            EXPECT_LT(blueAtBottom, 60);
        } else {
            EXPECT_GT(blueAtTop, 200);
            EXPECT_GT(blueAtBottom, 128);
        }
    }
    // Fractions past the edge are held to the picture.
    Canvas edge;
    EXPECT_TRUE(DecodePicture(png, *header, {16, 16}, edge, Crop{0.99, 0.99, 1.2, 1.2}));
}

// Windows' JPEG decoder, which scales while it decodes, played by the stand-in that offers
// it over Wine's own decoder: its class object registered for this process alone.
class ScalingJpegDecoder {
public:
    ScalingJpegDecoder() {
        const std::wstring folder = ::win32::ProgramFolder() + L"\\tools";
        calls_ = folder + L"\\jpeg-calls.txt";
        ::DeleteFileW(calls_.c_str());
        const HMODULE dll = ::LoadLibraryW((folder + L"\\jpeg_standin.dll").c_str());
        using GetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
        const auto get = dll ? reinterpret_cast<GetClassObject>(
                                   reinterpret_cast<void*>(::GetProcAddress(dll, "DllGetClassObject")))
                             : nullptr;
        IUnknown* factory = nullptr;
        if (get && SUCCEEDED(get(kJpegDecoder, IID_IClassFactory, reinterpret_cast<void**>(&factory)))) {
            registered_ = SUCCEEDED(
                ::CoRegisterClassObject(kJpegDecoder, factory, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &cookie_));
            factory->Release();
        }
    }
    ~ScalingJpegDecoder() {
        if (registered_) ::CoRevokeClassObject(cookie_);
    }
    bool Registered() const { return registered_; }
    // What it was asked to decode scaled, a line each.
    std::string Calls() const {
        std::ifstream file(std::filesystem::path(calls_), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(file), {});
    }

private:
    std::wstring calls_;
    DWORD cookie_ = 0;
    bool registered_ = false;
};

// The mean difference of two canvases of one size, per byte.
double MeanDifference(const Canvas& a, const Canvas& b) {
    double sum = 0;
    for (std::size_t i = 0; i < a.rows.size(); ++i) sum += std::abs(int{a.rows[i]} - int{b.rows[i]});
    return sum / static_cast<double>(a.rows.size());
}

// A picture at least twice the monitor's size is asked of a decoder that scales at the
// smallest size it offers that still covers the monitor, never whole, and comes out as
// the whole frame scaled would; one that no smaller size covers is decoded whole.
TEST_F(Codec, ADecoderThatScalesIsAskedForTheSmallestSizeThatCoversTheMonitor) {
    const std::string jpeg = Fixture("tests/fixtures/red_to_blue.jpg");  // 1024 x 768, red at the top
    const auto header = ReadPictureHeader(jpeg);
    ASSERT_TRUE(header);
    Canvas whole;
    ASSERT_TRUE(DecodePicture(jpeg, *header, {400, 340}, whole));  // Wine's own decoder

    const ScalingJpegDecoder standin;
    ASSERT_TRUE(standin.Registered());
    Canvas scaled;
    ASSERT_TRUE(DecodePicture(jpeg, *header, {400, 340}, scaled));
    EXPECT_EQ(standin.Calls(), "CopyPixels 512x384\r\n");  // a quarter would be 256 wide
    EXPECT_EQ(scaled.fitted, (Screen{400, 300}));
    EXPECT_EQ(scaled.placement.top, 20);
    ASSERT_EQ(scaled.rows.size(), whole.rows.size());
    EXPECT_LT(MeanDifference(scaled, whole), 3.0);  // the same picture, in the same place
    const std::uint8_t* top = scaled.Picture() + 200 * 3;  // BGR, the middle of the top row
    const std::uint8_t* bottom = scaled.Picture() + 299 * scaled.Stride() + 200 * 3;
    EXPECT_TRUE(top[2] > 220 && top[0] < 35) << int{top[0]} << " " << int{top[2]};
    EXPECT_TRUE(bottom[0] > 220 && bottom[2] < 35) << int{bottom[0]} << " " << int{bottom[2]};

    Canvas large;
    ASSERT_TRUE(DecodePicture(jpeg, *header, {800, 600}, large));
    EXPECT_EQ(standin.Calls(), "CopyPixels 512x384\r\n");  // half of 1024 would not cover 800
    EXPECT_EQ(large.fitted, (Screen{800, 600}));
}

TEST_F(Codec, AHeaderThatDisagreesWithTheCodecOrItsFormatIsRefused) {
    const std::string jpeg = Fixture("res/sample/sat11.jpg");
    Canvas canvas;
    EXPECT_FALSE(DecodePicture(jpeg, {PictureFormat::Jpeg, 1000, 768}, {800, 600}, canvas));
    EXPECT_FALSE(DecodePicture(jpeg, {PictureFormat::Png, 1024, 768}, {800, 600}, canvas));  // only the PNG decoder
    EXPECT_FALSE(DecodePicture(jpeg.substr(0, 600), {PictureFormat::Jpeg, 1024, 768}, {800, 600}, canvas));
}

// Wine always answers that the connection is unrestricted: the cost flags as Microsoft
// documents them (NLM_CONNECTION_COST, INetworkCostManager::GetCost), read as a Windows PC
// on a phone's hotspot or roaming reports them.
TEST(Edge, AConnectionIsMeteredAsWindowsReportsItsCost) {
    EXPECT_FALSE(IsMeteredCost(NLM_CONNECTION_COST_UNKNOWN));
    EXPECT_FALSE(IsMeteredCost(NLM_CONNECTION_COST_UNRESTRICTED));
    EXPECT_FALSE(IsMeteredCost(NLM_CONNECTION_COST_UNRESTRICTED | NLM_CONNECTION_COST_CONGESTED));
    EXPECT_FALSE(IsMeteredCost(NLM_CONNECTION_COST_UNRESTRICTED | NLM_CONNECTION_COST_APPROACHINGDATALIMIT));
    EXPECT_TRUE(IsMeteredCost(NLM_CONNECTION_COST_FIXED));
    EXPECT_TRUE(IsMeteredCost(NLM_CONNECTION_COST_VARIABLE));
    EXPECT_TRUE(IsMeteredCost(NLM_CONNECTION_COST_UNRESTRICTED | NLM_CONNECTION_COST_ROAMING));
    EXPECT_TRUE(IsMeteredCost(NLM_CONNECTION_COST_UNRESTRICTED | NLM_CONNECTION_COST_OVERDATALIMIT));
}

// The failures a local server cannot cause under Wine, told as on Windows (WinINet's and
// the system's error codes as documented). A refused connection, an unknown host, an
// untrusted certificate, a body cut short and one too large are told end to end, in the
// fault matrix (test_faults.py).
TEST(Edge, FailuresWineCannotCauseAreToldAsOnWindows) {
    EXPECT_EQ(ReasonForNetError(ERROR_MOD_NOT_FOUND), Reason::NoConnection);  // 126: WinINet cannot load, not a status
    EXPECT_EQ(ReasonForNetError(ERROR_INTERNET_TIMEOUT), Reason::NoAnswer);
    EXPECT_EQ(ReasonForNetError(ERROR_CANCELLED), Reason::NoAnswer);
    EXPECT_EQ(ReasonForNetError(ERROR_INTERNET_SECURITY_CHANNEL_ERROR), Reason::Certificate);  // TLS refused
    EXPECT_EQ(ReasonForNetError(12175), Reason::BadPicture);  // the body's encoding could not be decoded
    EXPECT_EQ(ReasonForFileError(ERROR_DISK_FULL), Reason::DiskFull);
    EXPECT_EQ(ReasonForFileError(ERROR_HANDLE_DISK_FULL), Reason::DiskFull);
    // WinINet's progress as the status fields number it: a redirect is no state of its own.
    EXPECT_EQ(StateForInternetStatus(INTERNET_STATUS_REQUEST_SENT), kStateRequestSent);
    EXPECT_FALSE(StateForInternetStatus(INTERNET_STATUS_HANDLE_CREATED));
    EXPECT_FALSE(StateForInternetStatus(INTERNET_STATUS_REDIRECT));
}

TEST(BitmapFile, WrittenWholeThenMovedOverTheTargetUnlessItIsInUse) {
    test::TempFolder folder;
    Canvas canvas = Canvas::For({10, 4}, {10, 4});
    canvas.rows[0] = 0x11;  // the top row's first byte: last in the file
    Reason why = Reason::None;
    const std::wstring written = WriteTemporaryBitmap(folder.Path(), canvas, why);
    ASSERT_FALSE(written.empty());
    WIN32_FILE_ATTRIBUTE_DATA data{};
    ASSERT_TRUE(::GetFileAttributesExW(written.c_str(), GetFileExInfoStandard, &data));
    EXPECT_EQ(data.nFileSizeLow, 54u + 4 * 32);  // 10 pixels: 30 bytes, padded to 32

    const std::wstring target = folder.Path() + L"\\NUBILUX.BMP";
    {
        ::win32::UniqueFile held(::CreateFileW(target.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                               FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(held);
        EXPECT_FALSE(ReplaceWith(written, target, why));
        EXPECT_EQ(why, Reason::CannotSave);
    }
    ASSERT_TRUE(ReplaceWith(written, target, why));
    EXPECT_EQ(::GetFileAttributesW(written.c_str()), INVALID_FILE_ATTRIBUTES);
    std::ifstream moved(target.c_str(), std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(moved)), {});
    ASSERT_EQ(bytes.size(), 54u + 4 * 32);
    EXPECT_EQ(static_cast<unsigned char>(bytes[54 + 3 * 32]), 0x11);  // bottom row first

    EXPECT_TRUE(WriteTemporaryBitmap(folder.Path() + L"\\missing", canvas, why).empty());
    EXPECT_EQ(why, Reason::CannotSave);
}

}  // namespace
