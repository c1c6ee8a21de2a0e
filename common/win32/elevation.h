// An administrator's rights: whether this process has them, and running a program with them.
#pragma once

#include <windows.h>

#include <string>

#include "common/outcome.h"

namespace win32 {

// Whether this process runs with an elevated token.
bool IsElevated();

// Runs program with arguments elevated (the "runas" verb: Windows' prompt, where it asks)
// and waits for it to end: its exit code. A refused prompt is ERROR_CANCELLED.
suite::Outcome RunElevated(const std::wstring& program, const std::wstring& arguments, DWORD& exitCode);

}  // namespace win32
