#include <gtest/gtest.h>

#include "stkit/link_path.h"

namespace {

TEST(LinkPath, ProgramsTokenNamesThePrivateOrTheCommonMenu) {
    EXPECT_EQ(stkit::ParentFolderId(L"$(Programs)", true), 2);
    EXPECT_EQ(stkit::ParentFolderId(L"$(Programs)", false), 23);
    EXPECT_FALSE(stkit::ParentFolderId(L"$(programs)", true));
    EXPECT_FALSE(stkit::ParentFolderId(L"C:\\Start", true));
}

TEST(LinkPath, FolderIsBelowTheParentUnlessItIsAFullPath) {
    const std::wstring programs = L"C:\\U\\Programs";
    EXPECT_EQ(stkit::LinkFolder(programs, L"G\\F"), L"C:\\U\\Programs\\G\\F");
    EXPECT_EQ(stkit::LinkFolder(programs, L"\\F"), L"C:\\U\\Programs\\\\F");  // resolved by the platform
    EXPECT_EQ(stkit::LinkFolder(programs, L"..\\..\\Desktop"), L"C:\\U\\Programs\\..\\..\\Desktop");
    EXPECT_EQ(stkit::LinkFolder(programs, L"D:\\Desk"), L"D:\\Desk");
    EXPECT_EQ(stkit::LinkFolder(programs, L"\\\\server\\share"), L"\\\\server\\share");
    EXPECT_EQ(stkit::LinkFolder(programs, L""), programs);
    EXPECT_EQ(stkit::LinkFile(L"C:\\G", L"Nubilux"), L"C:\\G\\Nubilux.lnk");
}

TEST(LinkPath, TargetFolderIsWhereTheProgramLies) {
    EXPECT_EQ(stkit::TargetFolder(L"C:\\Program Files\\G\\F\\Nubilux.exe"), L"C:\\Program Files\\G\\F");
    EXPECT_EQ(stkit::TargetFolder(L"C:\\x.exe"), L"C:\\");
    EXPECT_EQ(stkit::TargetFolder(L"\\G\\F\\x.exe"), L"\\G\\F");
    EXPECT_EQ(stkit::TargetFolder(L"x.exe"), L"");
}

}  // namespace
