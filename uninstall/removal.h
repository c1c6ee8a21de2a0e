// Removing what the installer laid out in the Start menu and on the desktop, and telling
// first whether there is anything of it to remove.
#pragma once

#include <string>
#include <vector>

#include "common/layout.h"
#include "common/outcome.h"
#include "uninstall/description.h"

namespace uninstall {

// The platform operations the removal uses; uninstall/win32/ implements them, the unit
// tests fake them.
class Platform : public suite::MenuFiles {
public:
    // The user's record of removals done, by what was removed.
    virtual bool WasRemoved(const std::wstring& installation) = 0;
    virtual void RecordRemoval(const std::wstring& installation) = 0;
    // Asks the program running from exactly this path, if any, to end as at the end of a
    // Windows session, and waits a few seconds for it. False when it is still running;
    // a copy started from another folder is left alone.
    virtual bool EndProgram(const std::wstring& path) = 0;
    // Removes the installation's entry in Settings > Apps; a missing one is no failure.
    virtual suite::Outcome RemoveAppsEntry(const std::wstring& key, bool allUsers) = 0;
};

// What the uninstaller can do, judged at its start.
enum class Verdict {
    Remove,                 // the program's Start-menu folder is there
    AlreadyRemoved,         // nothing is there, and this user's record says it was removed
    NoDescription,          // install.ini is missing
    IncompleteDescription,  // it names no program or no folder
    NothingInstalled,       // nothing it describes is there, and no removal of it is known
};

Verdict Judge(Platform& platform, const UninstallState& state, bool descriptionFound);

// How an installation is known in the record of removals: its menu folder and name.
std::wstring Installation(const UninstallState& state);

struct Removal {
    enum class Result { Done, Failed };
    Result result = Result::Done;
    bool groupRemoved = false;
    suite::Outcome failure;  // why, when Failed
};

// Removes the shortcuts, the program's Start-menu folder and, when it is left empty, the
// group folder; records the removal when it is whole. Stops at the first failure; what
// was removed stays removed.
Removal Rimuovi_Gruppo_e_Icone(Platform& platform, const UninstallState& state);

}  // namespace uninstall
