// Reading one value of an INI file, the way all three programs do it.
#pragma once

#include <string>
#include <string_view>

namespace suite {

// The platform's private-profile reader, called with a 255-character buffer.
class ProfileStore {
public:
    virtual ~ProfileStore() = default;
    // The characters the reader copied for [section] key= in file: at most 254,
    // empty when it copied none (file, section or key missing, or an empty value).
    virtual std::wstring Read(const std::wstring& file, const std::wstring& section,
                              const std::wstring& key) const = 0;
};

// One program's view of its own INI file: the file it reads and what it answers
// when nothing is read.
class ProfileReader {
public:
    ProfileReader(const ProfileStore& store, std::wstring file, std::wstring nothingRead);

    std::wstring File_INI_Leggi(const std::wstring& sezione, const std::wstring& chiave) const;

    const std::wstring& File() const { return file_; }
    const std::wstring& NothingRead() const { return nothingRead_; }

private:
    const ProfileStore& store_;
    std::wstring file_;
    std::wstring nothingRead_;
};

// How an INI file's bytes are to be read. Notepad saves UTF-8 without a byte-order mark by
// default: text that is valid UTF-8 and not plain ASCII is read as UTF-8; a file with a
// byte-order mark, plain ASCII, or anything else (ANSI) is left to the platform's reader.
enum class IniEncoding { Platform, Utf8 };
IniEncoding EncodingOf(std::string_view bytes);

// Largest value the reader can return: its buffer holds 255 characters with the NUL.
inline constexpr std::size_t kProfileBufferChars = 255;

}  // namespace suite
