#include "app/picture.h"

#include <algorithm>
#include <array>

namespace nubilux {

namespace {

void Put(std::string& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

// The body from its first character that is not white space or a UTF-8 byte order mark.
std::string_view Content(std::string_view body) {
    if (body.substr(0, 3) == "\xEF\xBB\xBF") body.remove_prefix(3);
    const auto first = body.find_first_not_of(" \t\r\n");
    return first == std::string_view::npos ? std::string_view{} : body.substr(first);
}

}  // namespace

bool LooksLikeXml(std::string_view body) {
    const std::string_view content = Content(body);
    return content.substr(0, 5) == "<?xml" || content.find("ServiceExceptionReport") != std::string_view::npos;
}

int MaxPictureSide(Screen screen) { return std::max({2 * screen.width, 2 * screen.height, 4096}); }

Screen FitWithin(Screen picture, Screen screen) {
    if (screen.width <= 0 || screen.height <= 0) return picture;
    if (picture.width <= 0 || picture.height <= 0) return screen;
    // The smaller of the two ratios, compared in integers: w * sh against h * sw.
    const long long w = picture.width, h = picture.height;
    Screen fitted = w * screen.height >= h * screen.width
                        ? Screen{screen.width, static_cast<int>((h * screen.width + w / 2) / w)}
                        : Screen{static_cast<int>((w * screen.height + h / 2) / h), screen.height};
    fitted.width = std::max(1, fitted.width);
    fitted.height = std::max(1, fitted.height);
    return fitted;
}

bool IsNearlyOneColour(const std::uint8_t* rows, std::uint32_t width, std::uint32_t height, std::size_t stride) {
    // Brightness in 32 bands over a grid of up to 128 x 128 samples: one band holding
    // nearly all of them is a blank frame (so is a picture without pixels). A disc on
    // black space keeps well under that.
    std::array<std::uint32_t, 32> bands{};
    const auto step = [](std::uint32_t side) { return std::max<std::uint32_t>(1, side / 128); };
    const std::uint32_t stepX = step(width), stepY = step(height);
    std::uint32_t samples = 0;
    for (std::uint32_t y = stepY / 2; y < height; y += stepY) {
        const std::uint8_t* row = rows + static_cast<std::size_t>(y) * stride;
        for (std::uint32_t x = stepX / 2; x < width; x += stepX) {
            const std::uint8_t* pixel = row + static_cast<std::size_t>(x) * 3;
            const unsigned luma = (pixel[0] * 29u + pixel[1] * 150u + pixel[2] * 77u) >> 8;
            ++bands[luma / 8];
            ++samples;
        }
    }
    const std::uint32_t largest = *std::max_element(bands.begin(), bands.end());
    return largest * 100ull >= samples * 98ull;
}

Placement Centre(Screen fitted, Screen screen) {
    return {std::max(0, (screen.width - fitted.width) / 2), std::max(0, (screen.height - fitted.height) / 2)};
}

Canvas Canvas::For(Screen monitor, Screen pictureSize) {
    Canvas canvas;
    canvas.width = static_cast<std::uint32_t>(std::max(1, monitor.width));
    canvas.height = static_cast<std::uint32_t>(std::max(1, monitor.height));
    canvas.fitted = FitWithin(pictureSize, {static_cast<int>(canvas.width), static_cast<int>(canvas.height)});
    canvas.placement = Centre(canvas.fitted, {static_cast<int>(canvas.width), static_cast<int>(canvas.height)});
    canvas.rows.assign(canvas.Stride() * canvas.height, 0);
    return canvas;
}

std::string BmpHeader(std::uint32_t width, std::uint32_t height) {
    const auto pixels = static_cast<std::uint32_t>(BmpRowBytes(width) * height);
    std::string out;
    out.reserve(54);
    out += "BM";
    Put(out, 54 + pixels, 4);
    Put(out, 0, 4);
    Put(out, 54, 4);  // pixel data offset
    Put(out, 40, 4);  // BITMAPINFOHEADER
    Put(out, width, 4);
    Put(out, height, 4);  // positive: bottom row first
    Put(out, 1, 2);
    Put(out, 24, 2);
    Put(out, 0, 4);  // BI_RGB
    Put(out, pixels, 4);
    Put(out, 2835, 4);  // 72 dpi
    Put(out, 2835, 4);
    Put(out, 0, 4);
    Put(out, 0, 4);
    return out;
}

}  // namespace nubilux
