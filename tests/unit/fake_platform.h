// An installer platform in memory: files with versions, folders, a log, and a journal
// of every operation in the order it was asked for. Any operation can be made to fail.
#pragma once

#include <cwctype>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "common/text.h"
#include "install/platform.h"

namespace test {

// Paths compare as Windows compares them: letter case ignored, and repeated or
// trailing backslashes read as one or none.
struct PathLess {
    static std::wstring Key(const std::wstring& path) {
        std::wstring key;
        for (const wchar_t c : path)
            if (!(c == L'\\' && !key.empty() && key.back() == L'\\')) key += static_cast<wchar_t>(std::towlower(c));
        while (!key.empty() && key.back() == L'\\') key.pop_back();
        return key;
    }
    bool operator()(const std::wstring& a, const std::wstring& b) const { return Key(a) < Key(b); }
};

class FakePlatform : public install::Platform {
public:
    // Files by full path: a version, or none for a file without version data.
    std::map<std::wstring, std::optional<install::FileVersion>, PathLess> files;
    std::set<std::wstring, PathLess> folders;
    std::vector<std::wstring> log;      // lines written
    std::vector<std::wstring> journal;  // "log: ...", "copy a b", "mkdir p", "call lib entry", ...
    // Operations that fail, by their journal text; "log" fails every log line.
    std::set<std::wstring> failing;
    std::set<std::wstring> librariesWithEntries;  // "path|entry" pairs that exist
    std::wstring currentFolder;

    static install::FileVersion V(unsigned a, unsigned b, unsigned c, unsigned d) {
        return {a << 16 | b, c << 16 | d};
    }

    suite::Outcome Scrivi_Log(const std::wstring& text) override {
        if (failing.count(logFile)) return Fail(L"log: " + text);
        log.push_back(text);
        return Record(L"log: " + text);
    }
    std::wstring LogFile() override { return logFile; }
    suite::Outcome RemoveShortcut(const std::wstring& folder, const std::wstring& name) override {
        const std::wstring op = L"unlink " + folder + L"|" + name;
        if (failing.count(op)) return Fail(op);
        return Record(op);
    }
    suite::Outcome RemoveFolder(const std::wstring& path) override {
        folders.erase(path);
        return Record(L"rmdir " + path);
    }
    bool MoveLog() override {
        if (failing.count(L"move log")) return false;
        logFile = L"C:\\Temp\\Setup.LOG";
        return true;
    }
    // "D:\Setup\Setup.LOG", then the fallback; failing holds a log file's name to fail it.
    std::wstring logFile = L"D:\\Setup\\Setup.LOG";
    std::optional<install::FileVersion> ReadFileVersion(const std::wstring& path) override {
        const auto it = files.find(path);
        return it == files.end() ? std::nullopt : it->second;
    }
    suite::Outcome CopyOver(const std::wstring& from, const std::wstring& to) override {
        const std::wstring op = L"copy " + from + L" " + to;
        if (failing.count(op) || !files.count(from)) return Fail(op);
        files[to] = files[from];
        return Record(op);
    }
    suite::Outcome ListEntries(const std::wstring& parent, const std::wstring& name,
                               std::vector<Entry>& entries) override {
        const std::wstring op = L"list " + parent + L"\\" + name;
        if (failing.count(op)) return Fail(op);
        const std::wstring path = parent + L"\\" + name;
        if (const auto it = files.find(path); it != files.end()) entries.push_back({suite::LastComponent(it->first), false});
        if (const auto it = folders.find(path); it != folders.end()) entries.push_back({suite::LastComponent(*it), true});
        return Record(op);
    }
    suite::Outcome CreateFolder(const std::wstring& path) override {
        const std::wstring op = L"mkdir " + path;
        if (failing.count(op) || IsFolder(path) || files.count(path)) return Fail(op);
        folders.insert(path);
        return Record(op);
    }
    bool IsFolder(const std::wstring& path) override { return folders.count(path) > 0; }
    // Files are not kept here: a folder is empty when no folder lies below it.
    bool IsEmptyFolder(const std::wstring& path) override {
        const std::wstring prefix = PathLess::Key(path) + L"\\";
        for (const auto& folder : folders)
            if (PathLess::Key(folder).rfind(prefix, 0) == 0) return false;
        return true;
    }
    suite::Outcome SetCurrentFolder(const std::wstring& path) override {
        const std::wstring op = L"cd " + path;
        if (failing.count(op)) return Fail(op);
        currentFolder = path;
        return suite::Outcome::Success();
    }
    suite::Outcome CallEntry(const std::wstring& library, const char* entry, const char* standard) override {
        for (const char* name : {entry, standard}) {
            const std::wstring op = L"call " + library + L" " + Wide(name);
            if (librariesWithEntries.count(library + L"|" + Wide(name))) {
                if (failing.count(op)) return Fail(op);
                return Record(op + L" in " + currentFolder);
            }
        }
        return Fail(L"call " + library + L" " + Wide(entry));
    }
    suite::Outcome CreateShortcut(const std::wstring& folder, const std::wstring& name,
                                  const std::wstring& target) override {
        const std::wstring op = L"link " + folder + L"|" + name + L"|" + target;
        if (failing.count(L"link")) return Fail(op);
        return Record(op);
    }

    std::uint64_t FolderBytes(const std::wstring&) override { return 5000; }
    // Kept apart from the journal: the entry is written after everything it lists.
    suite::Outcome WriteAppsEntry(const suite::AppsEntry& entry) override {
        if (failing.count(L"apps entry")) return suite::Outcome::Failure(5, L"Accesso negato.");
        appsEntries.push_back(entry);
        return suite::Outcome::Success();
    }
    std::vector<suite::AppsEntry> appsEntries;
    std::vector<std::wstring> removedEntries;  // "HKLM key" or "HKCU key"
    suite::Outcome RemoveAppsEntry(const std::wstring& key, bool allUsers) override {
        if (failing.count(L"remove entry")) return suite::Outcome::Failure(5, L"Accesso negato.");
        removedEntries.push_back((allUsers ? L"HKLM " : L"HKCU ") + key);
        return suite::Outcome::Success();
    }

    // The journal without the log lines: what was done to files and libraries.
    std::vector<std::wstring> Actions() const {
        std::vector<std::wstring> out;
        for (const auto& entry : journal)
            if (entry.find(L"log: ") == std::wstring::npos) out.push_back(entry);
        return out;
    }

private:
    suite::Outcome Record(const std::wstring& op) {
        journal.push_back(op);
        return suite::Outcome::Success();
    }
    suite::Outcome Fail(const std::wstring& op) {
        journal.push_back(L"FAILED " + op);
        return suite::Outcome::Failure(5, L"Accesso negato.");
    }
    static std::wstring Wide(const char* s) { return std::wstring(s, s + std::char_traits<char>::length(s)); }
};

}  // namespace test
