// Setup.LOG on disk, which both setup programs append to.
#pragma once

#include <string>
#include <utility>

#include "common/outcome.h"

namespace win32 {

// Appends one time-stamped line in the ANSI code page, opened and closed for the line, so
// that whatever was logged is on disk.
suite::Outcome AppendLogLine(const std::wstring& file, const std::wstring& text);

// Setup.LOG in the user's temporary folder, which takes a file whatever folder the
// program runs from; empty when there is none.
std::wstring TemporaryLogFile();

// A setup program's log that never loses a line: one its file refuses (a folder that is
// not there, a Program Files folder an unelevated program may not write) goes, with
// every line after it, to TemporaryLogFile(), whose first line says what was refused where.
class SetupLogFile {
public:
    explicit SetupLogFile(std::wstring file) : file_(std::move(file)) {}
    void Write(const std::wstring& text);
    const std::wstring& File() const { return file_; }

private:
    std::wstring file_;
    bool moved_ = false;
};

}  // namespace win32
