// What counts as a satellite picture, and the bitmap file it becomes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "app/geometry.h"

namespace nubilux {

// An XML document in place of a picture: what a map server answers, with status 200,
// about a slot it cannot serve.
bool LooksLikeXml(std::string_view body);

// The largest width or height taken from a source: twice what the screen shows, and
// never less than 4096. A picture that claims more is refused before it is decoded.
int MaxPictureSide(Screen screen);

// The size a picture is shown at on a monitor: scaled, up or down, with its shape kept,
// to fill the monitor's width or height. Never below one pixel.
Screen FitWithin(Screen picture, Screen screen);

// Where a picture of `fitted` size lies centred on a monitor; the rest stays black.
struct Placement {
    int left = 0, top = 0;
};
Placement Centre(Screen fitted, Screen screen);

// A picture that is nearly one colour (a published all-black frame) is no view of the
// Earth. rows: top row first, three bytes a pixel, `stride` bytes a row.
bool IsNearlyOneColour(const std::uint8_t* rows, std::uint32_t width, std::uint32_t height, std::size_t stride);

// The bytes of one row of a 24-bit bitmap file: three a pixel, padded to four.
inline std::size_t BmpRowBytes(std::uint32_t width) { return (static_cast<std::size_t>(width) * 3 + 3) & ~std::size_t{3}; }

// A picture at its monitor's exact size: 24-bit rows, top row first, each BmpRowBytes(width)
// long, black where the picture, fitted and centred, does not reach.
struct Canvas {
    std::uint32_t width = 0, height = 0;
    std::vector<std::uint8_t> rows;
    Screen fitted;  // where the picture itself lies
    Placement placement;

    // A black canvas of the monitor's size for a picture of pictureSize.
    static Canvas For(Screen monitor, Screen pictureSize);
    std::size_t Stride() const { return BmpRowBytes(width); }
    // The picture's own top-left pixel within the rows.
    std::uint8_t* Picture() { return rows.data() + placement.top * Stride() + placement.left * 3; }
    const std::uint8_t* Picture() const { return rows.data() + placement.top * Stride() + placement.left * 3; }
};

// The 54-byte header of a 24-bit, bottom-up Windows bitmap file of width x height; the
// rows follow it, bottom row first.
std::string BmpHeader(std::uint32_t width, std::uint32_t height);

}  // namespace nubilux
