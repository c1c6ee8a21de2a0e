// Text to and from UTF-8, the encoding of the files and pipes the programs share.
#pragma once

#include <optional>
#include <string>

namespace win32 {

// Nothing for bytes that are not UTF-8 throughout.
std::optional<std::wstring> FromUtf8(const std::string& bytes);
std::string ToUtf8(const std::wstring& text);

}  // namespace win32
