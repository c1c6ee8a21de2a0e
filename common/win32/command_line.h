// The program's own command line, split as Windows splits it (quotes kept together).
#pragma once

#include <string>
#include <vector>

namespace win32 {

// The arguments after the program's name.
std::vector<std::wstring> CommandArguments();

}  // namespace win32
