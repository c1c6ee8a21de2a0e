// Who runs the installer, as against the user whose desktop is on the screen.
#pragma once

#include "install/flow.h"

namespace install::win32 {

// What Windows tells of the installer's own account and of the user signed in to its
// session; AccountOf decides from them.
AccountFacts CurrentAccountFacts();

}  // namespace install::win32
