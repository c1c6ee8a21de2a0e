// The platform's last error as an outcome: its number and its own description.
#pragma once

#include <windows.h>

#include "common/outcome.h"

namespace win32 {

suite::Outcome Failure(DWORD error);
inline suite::Outcome LastError() { return Failure(::GetLastError()); }
// Success when ok, otherwise the last error.
inline suite::Outcome Check(BOOL ok) { return ok ? suite::Outcome::Success() : LastError(); }

}  // namespace win32
