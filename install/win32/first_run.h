// Starting the first-run command (PrimaEsecuzione) as installers do for "run after
// install": with the signed-in user's own rights, in the user's session, never with the
// installer's elevated token.
#pragma once

#include <string>

#include "common/outcome.h"

namespace install::win32 {

// commandLine: a program, quoted when it holds blanks, then its arguments; a program named
// without a folder is looked for in folder (the installer's). An elevated installer asks
// the user's own shell to start it; a failure then says that nothing was started.
// quietly: started with its window hidden (SW_HIDE), as a silent deployment wants: a
// program of the notification area shows only its icon.
suite::Outcome StartFirstRun(const std::wstring& commandLine, const std::wstring& folder, bool quietly = false);

}  // namespace install::win32
