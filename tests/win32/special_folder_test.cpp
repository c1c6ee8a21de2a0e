#include <gtest/gtest.h>

#include <windows.h>

#include <shlobj.h>

#include "common/text.h"
#include "common/win32/special_folder.h"

namespace {

bool IsFolder(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

TEST(SpecialFolder, ProgramsIsTheUsersStartMenuPrograms) {
    const std::wstring programs = win32::GetSpecialFolder(CSIDL_PROGRAMS);
    ASSERT_EQ(CSIDL_PROGRAMS, 2);
    EXPECT_TRUE(IsFolder(programs)) << std::string(programs.begin(), programs.end());
    EXPECT_EQ(suite::LastComponent(programs), L"Programs");
    EXPECT_NE(programs.find(L"\\Start Menu\\"), std::wstring::npos);
}

TEST(SpecialFolder, StartupLiesInsidePrograms) {
    ASSERT_EQ(CSIDL_STARTUP, 7);
    const std::wstring startup = win32::GetSpecialFolder(CSIDL_STARTUP);
    const std::wstring programs = win32::GetSpecialFolder(CSIDL_PROGRAMS);
    EXPECT_TRUE(IsFolder(startup));
    EXPECT_EQ(suite::JoinPath(programs, suite::LastComponent(startup)), startup);
}

TEST(SpecialFolder, DesktopIsAFolder) {
    EXPECT_TRUE(IsFolder(win32::GetSpecialFolder(CSIDL_DESKTOPDIRECTORY)));
}

TEST(SpecialFolder, RejectedNumberGivesEmpty) {
    EXPECT_EQ(win32::GetSpecialFolder(0x7fff), L"");
    EXPECT_EQ(win32::GetSpecialFolder(-1), L"");
}

TEST(SpecialFolder, FolderWithoutFileSystemPathGivesEmpty) {
    EXPECT_EQ(win32::GetSpecialFolder(CSIDL_DRIVES), L"");  // "This PC" is virtual
}

}  // namespace
