#include "common/win32/command_line.h"

#include <windows.h>

#include <shellapi.h>

namespace win32 {

std::vector<std::wstring> CommandArguments() {
    std::vector<std::wstring> arguments;
    int count = 0;
    LPWSTR* split = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (!split) return arguments;
    for (int i = 1; i < count; ++i) arguments.emplace_back(split[i]);
    ::LocalFree(split);
    return arguments;
}

}  // namespace win32
