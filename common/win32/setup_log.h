// Setup.LOG on disk, which both setup programs append to.
#pragma once

#include <string>

#include "common/outcome.h"

namespace win32 {

// Appends one time-stamped line in the ANSI code page, opened and closed for the line, so
// that whatever was logged is on disk.
suite::Outcome AppendLogLine(const std::wstring& file, const std::wstring& text);

}  // namespace win32
