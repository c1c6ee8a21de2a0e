#include "app/bitmap.h"

namespace nubilux {

namespace {

void Put(std::string& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

}  // namespace

std::string EncodeBmp24(std::uint32_t width, std::uint32_t height, const std::uint8_t* rows, std::size_t stride) {
    const std::uint32_t rowBytes = (width * 3 + 3) & ~3u;  // rows end on 4-byte boundaries
    const std::uint32_t pixels = rowBytes * height;
    std::string out;
    out.reserve(54 + pixels);
    out += "BM";
    Put(out, 54 + pixels, 4);
    Put(out, 0, 4);
    Put(out, 54, 4);   // pixel data offset
    Put(out, 40, 4);   // BITMAPINFOHEADER
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
    for (std::uint32_t y = height; y-- > 0;) {
        const auto* row = rows + static_cast<std::size_t>(y) * stride;
        out.append(reinterpret_cast<const char*>(row), width * 3);
        out.append(rowBytes - width * 3, '\0');
    }
    return out;
}

}  // namespace nubilux
