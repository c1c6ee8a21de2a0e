#include "common/profile.h"

#include <algorithm>
#include <utility>

namespace suite {

ProfileReader::ProfileReader(const ProfileStore& store, std::wstring file, std::wstring nothingRead)
    : store_(store), file_(std::move(file)), nothingRead_(std::move(nothingRead)) {}

std::wstring ProfileReader::File_INI_Leggi(const std::wstring& sezione,
                                           const std::wstring& chiave) const {
    std::wstring value = store_.Read(file_, sezione, chiave);
    if (value.empty()) return nothingRead_;
    // A store that hands back more than the buffer could hold is cut like the real one.
    value.resize(std::min(value.size(), kProfileBufferChars - 1));
    return value;
}

IniEncoding EncodingOf(std::string_view bytes) {
    // Marked: the platform reads it as marked (a UTF-16 mark is no UTF-8 either, below).
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") return IniEncoding::Platform;
    bool wide = false;
    for (std::size_t i = 0; i < bytes.size();) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        if (lead < 0x80) {
            ++i;
            continue;
        }
        // The sequence's length and the smallest value it may stand for (no overlong forms).
        std::size_t length;
        char32_t value, least;
        if (lead >= 0xC2 && lead <= 0xDF) length = 2, value = lead & 0x1F, least = 0x80;
        else if (lead >= 0xE0 && lead <= 0xEF) length = 3, value = lead & 0x0F, least = 0x800;
        else if (lead >= 0xF0 && lead <= 0xF4) length = 4, value = lead & 0x07, least = 0x10000;
        else return IniEncoding::Platform;
        if (i + length > bytes.size()) return IniEncoding::Platform;
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(bytes[i + k]);
            if ((next & 0xC0) != 0x80) return IniEncoding::Platform;
            value = value << 6 | (next & 0x3F);
        }
        if (value < least || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return IniEncoding::Platform;
        wide = true;
        i += length;
    }
    return wide ? IniEncoding::Utf8 : IniEncoding::Platform;
}

}  // namespace suite
