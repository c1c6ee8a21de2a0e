#include "app/picture_header.h"

namespace nubilux {

namespace {

std::uint32_t BigEndian(std::string_view bytes, std::size_t at, int count) {
    std::uint32_t value = 0;
    for (int i = 0; i < count; ++i) value = (value << 8) | static_cast<std::uint8_t>(bytes[at + static_cast<std::size_t>(i)]);
    return value;
}

std::optional<PictureHeader> Png(std::string_view body) {
    // Signature, then the IHDR chunk first of all: length 13, type, width, height.
    if (body.size() < 8 + 8 + 13 || body.substr(12, 4) != "IHDR" || BigEndian(body, 8, 4) != 13) return std::nullopt;
    const std::uint32_t width = BigEndian(body, 16, 4), height = BigEndian(body, 20, 4);
    if (width == 0 || height == 0 || width > 0x7FFFFFFF || height > 0x7FFFFFFF) return std::nullopt;
    return PictureHeader{PictureFormat::Png, width, height};
}

bool IsFrameHeader(std::uint8_t marker) {
    // SOF0 to SOF15, less DHT (C4), JPG (C8) and DAC (CC), which share the range.
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

std::optional<PictureHeader> Jpeg(std::string_view body) {
    std::size_t at = 2;  // past SOI
    for (;;) {
        // A marker: one or more 0xFF bytes, then its code.
        if (at >= body.size() || static_cast<std::uint8_t>(body[at]) != 0xFF) return std::nullopt;
        while (at < body.size() && static_cast<std::uint8_t>(body[at]) == 0xFF) ++at;
        if (at >= body.size()) return std::nullopt;
        const auto marker = static_cast<std::uint8_t>(body[at++]);
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) continue;  // no length of their own
        if (marker == 0xD8 || marker == 0xD9 || marker == 0xDA) return std::nullopt;  // no frame before the data
        if (at + 2 > body.size()) return std::nullopt;
        const std::uint32_t length = BigEndian(body, at, 2);
        if (length < 2 || at + length > body.size()) return std::nullopt;
        if (IsFrameHeader(marker)) {
            // Length, precision, height, width, components.
            if (length < 8) return std::nullopt;
            const std::uint32_t height = BigEndian(body, at + 3, 2), width = BigEndian(body, at + 5, 2);
            if (width == 0 || height == 0) return std::nullopt;
            return PictureHeader{PictureFormat::Jpeg, width, height};
        }
        at += length;
    }
}

}  // namespace

std::optional<PictureHeader> ReadPictureHeader(std::string_view body) {
    if (body.substr(0, 8) == std::string_view("\x89PNG\r\n\x1A\n", 8)) return Png(body);
    if (body.substr(0, 2) == "\xFF\xD8") return Jpeg(body);
    return std::nullopt;
}

}  // namespace nubilux
