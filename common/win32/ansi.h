// The one place where text crosses to and from the system's ANSI code page.
#pragma once

#include <string>

namespace win32 {

// Characters the code page lacks become '?', never a look-alike (best-fit) character.
std::string ToAnsi(const std::wstring& text);
// False when the code page cannot hold the text exactly.
bool ToAnsiExact(const std::wstring& text, std::string& out);
std::wstring FromAnsi(const std::string& text);

}  // namespace win32
