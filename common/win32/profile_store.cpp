#include "common/win32/profile_store.h"

#include <windows.h>

#include "common/win32/files.h"
#include "common/win32/unique.h"
#include "common/win32/utf8.h"

namespace win32 {

namespace {

constexpr DWORD kLargestIni = 1u << 20;  // larger description files are left to the platform

// The file's bytes; nothing when it cannot be read whole.
std::string Bytes(const std::wstring& file) { return ReadWholeFile(file, kLargestIni).value_or(""); }

// A UTF-16 copy, marked, of UTF-8 bytes in the temporary folder; empty when none can be made.
std::wstring Utf16Copy(const std::string& bytes) {
    const std::optional<std::wstring> decoded = FromUtf8(bytes);
    if (!decoded || decoded->empty()) return L"";
    const std::wstring text = L"\uFEFF" + *decoded;
    wchar_t folder[MAX_PATH + 1] = {}, path[MAX_PATH] = {};
    if (!::GetTempPathW(MAX_PATH + 1, folder) || !::GetTempFileNameW(folder, L"ini", 0, path)) return L"";
    bool written = false;
    {
        UniqueFile copy(::CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_TEMPORARY, nullptr));
        const auto size = static_cast<DWORD>(text.size() * sizeof(wchar_t));
        DWORD done = 0;
        written = copy && ::WriteFile(copy.get(), text.data(), size, &done, nullptr) && done == size;
    }
    if (written) return path;
    ::DeleteFileW(path);
    return L"";
}

}  // namespace

ProfileStore::~ProfileStore() {
    for (const auto& [file, readable] : readable_)
        if (readable != file) ::DeleteFileW(readable.c_str());
}

const std::wstring& ProfileStore::Readable(const std::wstring& file) const {
    if (const auto known = readable_.find(file); known != readable_.end()) return known->second;
    const std::string bytes = Bytes(file);
    std::wstring copy = suite::EncodingOf(bytes) == suite::IniEncoding::Utf8 ? Utf16Copy(bytes) : L"";
    return readable_.emplace(file, copy.empty() ? file : copy).first->second;
}

std::wstring ProfileStore::Read(const std::wstring& file, const std::wstring& section,
                                const std::wstring& key) const {
    wchar_t buffer[suite::kProfileBufferChars] = {};
    const DWORD n = ::GetPrivateProfileStringW(section.c_str(), key.c_str(), L"", buffer,
                                               static_cast<DWORD>(suite::kProfileBufferChars),
                                               Readable(file).c_str());
    return std::wstring(buffer, n);
}

}  // namespace win32
