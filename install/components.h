// The components the installer knows how to register: the file name as listed in
// Install.ini (compared exactly, letter case included), the library loaded for it and
// its two entries.
#pragma once

#include <string>

namespace install {

struct Component {
    const wchar_t* listedName;
    const wchar_t* library;
    const char* registerEntry;
    const char* unregisterEntry;
};

// The row for this exact name; nullptr when the name has no registration.
const Component* FindComponent(const std::wstring& listedName);

}  // namespace install
