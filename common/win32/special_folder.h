// Shell special folders by CSIDL number.
#pragma once

#include <string>

namespace win32 {

// The folder's file-system path; empty when the shell rejects the number or the
// folder has no file-system path (a virtual folder such as the Control Panel).
std::wstring GetSpecialFolder(int csidl);

}  // namespace win32
