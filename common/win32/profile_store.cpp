#include "common/win32/profile_store.h"

#include <windows.h>

#include "common/win32/unique.h"

namespace win32 {

namespace {

constexpr DWORD kLargestIni = 1u << 20;  // larger description files are left to the platform

// The file's bytes; nothing when it cannot be read whole.
std::string Bytes(const std::wstring& file) {
    UniqueFile handle(::CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size{};
    if (!handle || !::GetFileSizeEx(handle.get(), &size) || size.QuadPart > kLargestIni) return {};
    std::string bytes(static_cast<std::size_t>(size.QuadPart), '\0');
    DWORD read = 0;
    if (!::ReadFile(handle.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) || read != bytes.size())
        return {};
    return bytes;
}

// A UTF-16 copy, marked, of UTF-8 bytes in the temporary folder; empty when none can be made.
std::wstring Utf16Copy(const std::string& bytes) {
    const int n = ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(), static_cast<int>(bytes.size()),
                                        nullptr, 0);
    std::wstring text(1, L'\uFEFF');
    text.resize(1 + static_cast<std::size_t>(n));
    if (n <= 0 || !::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(), static_cast<int>(bytes.size()),
                                         text.data() + 1, n))
        return L"";
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
