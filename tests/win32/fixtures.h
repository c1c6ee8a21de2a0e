// Where the test binaries find what the build made for them.
#pragma once

#include <windows.h>

#include <string>

#include "common/win32/ansi.h"
#include "common/win32/startup.h"

namespace test {

// A component DLL built for the tests, e.g. L"table_6_0_81_69.dll".
inline std::wstring Fixture(const std::wstring& name) { return win32::ProgramFolder() + L"\\fixtures\\" + name; }

// A file of the product folder, e.g. L"LIB\\VB6STKIT.DLL".
inline std::wstring Product(const std::wstring& name) {
    return win32::ProgramFolder() + L"\\" + PRODUCT_FROM_TESTS + L"\\" + name;
}

// The line a test component writes to its trace when entry is called in folder.
inline std::string TraceLine(const std::string& entry, const std::wstring& folder) {
    std::string line = entry;
    line += ' ';
    line += win32::ToAnsi(folder);
    line += "\r\n";
    return line;
}

inline bool CopyInto(const std::wstring& from, const std::wstring& to) {
    return ::CopyFileW(from.c_str(), to.c_str(), FALSE) != 0;
}

}  // namespace test
