// The shortcut library as both setup programs use it: loaded from the system folder only,
// through its wide entries when it has them, else through its ANSI ones with text that the
// code page holds exactly (never a look-alike folder name).
#pragma once

#include <string>

#include "common/outcome.h"
#include "common/win32/unique.h"

namespace win32 {

class ShortcutLibrary {
public:
    // {Programs}\{folder}\{name}.lnk to target, or {folder}\{name}.lnk for a full path.
    // Fails when the library or its entry cannot be had, or the text cannot reach it whole;
    // the library's own answer is not looked at.
    suite::Outcome Create(const std::wstring& folder, const std::wstring& name, const std::wstring& target);
    // Removes such a shortcut; a missing one is no failure.
    suite::Outcome Remove(const std::wstring& folder, const std::wstring& name);

private:
    suite::Outcome Load();
    UniqueModule module_;  // from the first call on
};

}  // namespace win32
