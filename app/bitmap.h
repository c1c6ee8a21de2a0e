// Windows bitmap files, as the wallpaper takes them.
#pragma once

#include <cstdint>
#include <string>

namespace nubilux {

// A 24-bit BMP file of width x height pixels; rows holds them top row first, three bytes
// (blue, green, red) a pixel, each row `stride` bytes long.
std::string EncodeBmp24(std::uint32_t width, std::uint32_t height, const std::uint8_t* rows, std::size_t stride);

}  // namespace nubilux
