// Shell special folders by CSIDL number.
#pragma once

#include <string>

#include "common/layout.h"

namespace win32 {

// The folder's file-system path; empty when the shell rejects the number or the
// folder has no file-system path (a virtual folder such as the Control Panel).
std::wstring GetSpecialFolder(int csidl);

// The running account's own folders (CSIDL 2, 7, 16), or all users' (23, 24, 25).
suite::ScopeFolders FoldersOf(bool allUsers);

}  // namespace win32
