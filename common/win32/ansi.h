// The one place where text crosses to and from the system's ANSI code page.
#pragma once

#include <string>

namespace win32 {

std::string ToAnsi(const std::wstring& text);
std::wstring FromAnsi(const std::string& text);

}  // namespace win32
