#include "common/profile.h"

#include <utility>

namespace suite {

ProfileReader::ProfileReader(const ProfileStore& store, std::wstring file, std::wstring nothingRead)
    : store_(store), file_(std::move(file)), nothingRead_(std::move(nothingRead)) {}

std::wstring ProfileReader::File_INI_Leggi(const std::wstring& sezione,
                                           const std::wstring& chiave) const {
    std::wstring value = store_.Read(file_, sezione, chiave);
    if (value.empty()) return nothingRead_;
    // A store that hands back more than the buffer could hold is cut like the real one.
    if (value.size() > kProfileBufferChars - 1) value.resize(kProfileBufferChars - 1);
    return value;
}

}  // namespace suite
