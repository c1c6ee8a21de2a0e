// Who runs the installer, as against the user whose desktop is on the screen.
#pragma once

#include "install/flow.h"

namespace install::win32 {

// The system account (a deployment tool); another account than the one that owns the
// desktop (an administrator's typed in at the elevation prompt); else the desktop's user.
Account CurrentAccount();

}  // namespace install::win32
