// One installation of the suite at a time, across every session and account of the computer.
#pragma once

#include "common/win32/unique.h"

namespace install::win32 {

// Takes the suite's lock: its handle, held while the installation runs. anotherRuns: an
// installation holds it already, also when it runs as another account whose lock this
// one may not open (a deployment tool's, another administrator's).
::win32::UniqueHandle TakeSetupLock(bool& anotherRuns);

}  // namespace install::win32
