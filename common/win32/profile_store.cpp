#include "common/win32/profile_store.h"

#include <windows.h>

namespace win32 {

std::wstring ProfileStore::Read(const std::wstring& file, const std::wstring& section,
                                const std::wstring& key) const {
    wchar_t buffer[suite::kProfileBufferChars] = {};
    const DWORD n = ::GetPrivateProfileStringW(section.c_str(), key.c_str(), L"", buffer,
                                               static_cast<DWORD>(suite::kProfileBufferChars),
                                               file.c_str());
    return std::wstring(buffer, n);
}

}  // namespace win32
