// A picture's size as its own header declares it, read before any codec sees the body:
// a small file may claim a frame of gigabytes, and some decoders decode the whole frame
// the moment it is asked for.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace nubilux {

enum class PictureFormat { Jpeg, Png };

struct PictureHeader {
    PictureFormat format;
    std::uint32_t width = 0, height = 0;
};

// The format and declared size of a JPEG (its first SOFn frame header, baseline or
// progressive) or a PNG (its IHDR); nothing for any other format, a header cut short, a
// size of zero, or a JPEG whose height is left to a later marker.
std::optional<PictureHeader> ReadPictureHeader(std::string_view body);

}  // namespace nubilux
