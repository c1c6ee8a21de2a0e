// The Settings > Apps entry in the registry, under the current user's Uninstall key, or
// the machine's for an all-users installation.
#pragma once

#include <windows.h>

#include <string>

#include "common/apps_entry.h"
#include "common/outcome.h"

namespace win32 {

// Creates or replaces the entry's key and every value of it.
suite::Outcome WriteAppsEntry(const suite::AppsEntry& entry);
// Removes the entry's key; a missing one is no failure.
suite::Outcome RemoveAppsEntry(const std::wstring& key, bool allUsers);
// The same below another root: a user's hive under HKEY_USERS.
suite::Outcome RemoveAppsEntry(HKEY root, const std::wstring& key);

}  // namespace win32
