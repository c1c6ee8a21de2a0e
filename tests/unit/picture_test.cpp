#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/picture.h"

namespace {

std::uint32_t At(const std::string& bytes, std::size_t offset, int size = 4) {
    std::uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i) value = value << 8 | static_cast<unsigned char>(bytes[offset + i]);
    return value;
}

// The header declares exactly the rows that follow it, each padded to four bytes; the
// format's fixed fields are proven where Windows reads the file back (the Wine tiers).
TEST(Bitmap, TheHeaderDeclaresExactlyThePaddedRowsThatFollow) {
    EXPECT_EQ(nubilux::BmpRowBytes(1), 4u);
    EXPECT_EQ(nubilux::BmpRowBytes(2), 8u);  // six bytes of pixels, padded
    EXPECT_EQ(nubilux::BmpRowBytes(4), 12u);
    EXPECT_EQ(nubilux::BmpRowBytes(1921), 5764u);
    for (const auto& [width, height] : {std::pair{2u, 3u}, {1921u, 1200u}, {1u, 1u}}) {
        const std::string header = nubilux::BmpHeader(width, height);
        const std::uint32_t rows = static_cast<std::uint32_t>(nubilux::BmpRowBytes(width) * height);
        ASSERT_EQ(header.size(), 54u);
        EXPECT_EQ(header.substr(0, 2), "BM");
        EXPECT_EQ(At(header, 2), header.size() + rows) << width;  // the whole file
        EXPECT_EQ(At(header, 10), header.size()) << width;        // the rows right after the header
        EXPECT_EQ(At(header, 18), width);
        EXPECT_EQ(At(header, 22), height);  // positive: bottom row first
        EXPECT_EQ(At(header, 34), rows) << width;
    }
    // The fields BITMAPFILEHEADER and BITMAPINFOHEADER fix (Windows' documentation): the
    // reserved words zero, the info header's size, one plane, 24 bits, no compression.
    const std::string header = nubilux::BmpHeader(2, 3);
    EXPECT_EQ(std::vector<std::uint32_t>({At(header, 6), At(header, 14), At(header, 26, 2), At(header, 28, 2), At(header, 30)}),
              std::vector<std::uint32_t>({0, 40, 1, 24, 0}));
}

TEST(Picture, MarkupAndDeclaredSizeAreRefused) {
    // A map server's refusal, with or without a declaration; an HTML page is no XML.
    EXPECT_TRUE(nubilux::LooksLikeXml("<?xml version=\"1.0\"?><ServiceExceptionReport/>"));
    EXPECT_TRUE(nubilux::LooksLikeXml("\xEF\xBB\xBF\r\n  <?xml version=\"1.0\"?><ows:ExceptionReport/>"));
    EXPECT_TRUE(nubilux::LooksLikeXml("\n<ServiceExceptionReport version=\"1.3.0\">"));
    EXPECT_FALSE(nubilux::LooksLikeXml("<!DOCTYPE html><html>"));
    EXPECT_FALSE(nubilux::LooksLikeXml("\xFF\xD8\xFF\xE0 JFIF"));
    EXPECT_FALSE(nubilux::LooksLikeXml(""));
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
    EXPECT_EQ(fit(1, 768, 1024, 768), std::pair(1, 768));  // a column of pixels stays one
    EXPECT_EQ(fit(1, 5000, 1920, 1080), std::pair(1, 1080));
    EXPECT_EQ(fit(5000, 1, 1080, 1920), std::pair(1080, 1));
    // No size to fit: the picture as it is; a picture of no size: the monitor's.
    EXPECT_EQ(fit(1024, 768, 1024, 0), std::pair(1024, 768));
    EXPECT_EQ(fit(1024, 768, 0, 768), std::pair(1024, 768));
    EXPECT_EQ(fit(0, 768, 1920, 1080), std::pair(1920, 1080));
    EXPECT_EQ(fit(1024, 0, 1920, 1080), std::pair(1920, 1080));
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
    EXPECT_TRUE(nubilux::IsNearlyOneColour(rows.data(), 0, h, stride));  // no pixels: no view either
}

// One shade in 98 % of the frame or more is a blank frame; less is a view.
TEST(Picture, NinetyEightPercentOfOneShadeIsBlank) {
    const std::uint32_t w = 100, h = 100;
    const std::size_t stride = nubilux::BmpRowBytes(w);
    for (const auto& [lit, blank] : {std::pair{150u, true}, {200u, true}, {210u, false}}) {
        std::vector<std::uint8_t> rows(stride * h, 0);
        for (std::uint32_t i = 0; i < lit; ++i)
            for (int c = 0; c < 3; ++c) rows[(i / w) * stride + (i % w) * 3 + c] = 255;
        EXPECT_EQ(nubilux::IsNearlyOneColour(rows.data(), w, h, stride), blank) << lit;
    }
}

// A small picture is judged by every pixel: stripes one pixel wide, either way, are no
// blank frame.
TEST(Picture, FineStripesAreAView) {
    const std::uint32_t w = 64, h = 48;
    const std::size_t stride = nubilux::BmpRowBytes(w);
    for (const bool across : {false, true}) {
        std::vector<std::uint8_t> rows(stride * h, 0);
        for (std::uint32_t y = 0; y < h; ++y)
            for (std::uint32_t x = 0; x < w; ++x)
                if ((across ? y : x) % 2 == 1)
                    for (int c = 0; c < 3; ++c) rows[y * stride + x * 3 + c] = 255;
        EXPECT_FALSE(nubilux::IsNearlyOneColour(rows.data(), w, h, stride)) << across;
    }
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
