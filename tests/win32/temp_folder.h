// A fresh folder under %TEMP% for one test, removed with its files afterwards.
#pragma once

#include <windows.h>

#include <shellapi.h>

#include <string>
#include <vector>

#include "common/win32/ansi.h"
#include "common/win32/unique.h"

namespace test {

class TempFolder {
public:
    TempFolder() {
        wchar_t base[MAX_PATH];
        ::GetTempPathW(MAX_PATH, base);
        path_ = std::wstring(base) + L"suite-test-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
                std::to_wstring(counter_++);
        ::CreateDirectoryW(path_.c_str(), nullptr);
    }
    ~TempFolder() {
        std::wstring from = path_ + L'\0';  // the list ends with a second NUL
        SHFILEOPSTRUCTW op{};
        op.wFunc = FO_DELETE;
        op.pFrom = from.c_str();
        op.fFlags = FOF_NO_UI;
        ::SHFileOperationW(&op);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::wstring& Path() const { return path_; }

    // Writes raw bytes, as an editor saving an ANSI file would.
    void WriteBytes(const std::wstring& name, const std::string& bytes) const {
        win32::UniqueFile file(::CreateFileW((path_ + L"\\" + name).c_str(), GENERIC_WRITE, 0, nullptr,
                                             CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        DWORD written = 0;
        ::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    }
    void WriteAnsi(const std::wstring& name, const std::wstring& text) const {
        WriteBytes(name, win32::ToAnsi(text));
    }
    std::string ReadBytes(const std::wstring& name) const {
        win32::UniqueFile file(::CreateFileW((path_ + L"\\" + name).c_str(), GENERIC_READ,
                                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        std::string bytes;
        char chunk[4096];
        DWORD got = 0;
        while (file && ::ReadFile(file.get(), chunk, sizeof chunk, &got, nullptr) && got > 0) bytes.append(chunk, got);
        return bytes;
    }
    std::wstring Sub(const std::wstring& name) const {
        const std::wstring path = path_ + L"\\" + name;
        ::CreateDirectoryW(path.c_str(), nullptr);
        return path;
    }
    // The names in the folder, "." and ".." left out.
    std::vector<std::wstring> Names(const std::wstring& sub = L"") const {
        std::vector<std::wstring> names;
        WIN32_FIND_DATAW found;
        HANDLE find = ::FindFirstFileW((path_ + (sub.empty() ? L"" : L"\\" + sub) + L"\\*").c_str(), &found);
        if (find == INVALID_HANDLE_VALUE) return names;
        do {
            const std::wstring name = found.cFileName;
            if (name != L"." && name != L"..") names.push_back(name);
        } while (::FindNextFileW(find, &found));
        ::FindClose(find);
        return names;
    }

private:
    std::wstring path_;
    static inline int counter_ = 0;
};

}  // namespace test
