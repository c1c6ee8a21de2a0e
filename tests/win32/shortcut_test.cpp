#include <gtest/gtest.h>

#include <windows.h>

#include <objidl.h>
#include <shlobj.h>
#include <shobjidl.h>

#include "common/win32/ansi.h"
#include "common/win32/special_folder.h"
#include "common/win32/startup.h"
#include "fixtures.h"
#include "install/win32/platform.h"
#include "common/win32/stkit.h"
#include "temp_folder.h"

namespace {

struct Link {
    bool read = false;
    std::wstring target, arguments, folder;
};

// Reads a shortcut back the way the shell does.
Link ReadLink(const std::wstring& file) {
    Link link;
    IShellLinkW* shell = nullptr;
    if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                  reinterpret_cast<void**>(&shell))))
        return link;
    IPersistFile* persist = nullptr;
    if (SUCCEEDED(shell->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&persist)))) {
        if (SUCCEEDED(persist->Load(file.c_str(), STGM_READ))) {
            wchar_t text[MAX_PATH] = {};
            shell->GetPath(text, MAX_PATH, nullptr, SLGP_RAWPATH);
            link.target = text;
            text[0] = 0;
            shell->GetArguments(text, MAX_PATH);
            link.arguments = text;
            text[0] = 0;
            shell->GetWorkingDirectory(text, MAX_PATH);
            link.folder = text;
            link.read = true;
        }
        persist->Release();
    }
    shell->Release();
    return link;
}

bool Exists(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

using CreateFn = LONG(WINAPI*)(LPCSTR, LPCSTR, LPCSTR, LPCSTR, LONG, LPCSTR);
using RemoveFn = LONG(WINAPI*)(LPCSTR, LPCSTR);

class ShortcutLibrary : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }

    ShortcutLibrary() {
        library.reset(::LoadLibraryExW(test::Product(L"LIB\\VB6STKIT.DLL").c_str(), nullptr,
                                       LOAD_WITH_ALTERED_SEARCH_PATH));
        create = win32::ProcAddress<CreateFn>(library.get(), "fCreateShellLink");
        remove = win32::ProcAddress<RemoveFn>(library.get(), "fRemoveShellLink");
    }

    const std::wstring programs = win32::GetSpecialFolder(CSIDL_PROGRAMS);
    win32::UniqueModule library;
    CreateFn create = nullptr;
    RemoveFn remove = nullptr;
};

TEST_F(ShortcutLibrary, ExportsItsEntriesUndecorated) {
    ASSERT_TRUE(library);
    EXPECT_TRUE(create && remove);
    using RegisterFn = LONG(WINAPI*)();
    const auto reg = win32::ProcAddress<RegisterFn>(library.get(), "RegisterVB6STKIT");
    const auto unreg = win32::ProcAddress<RegisterFn>(library.get(), "UnRegisterVB6STKIT");
    ASSERT_TRUE(reg && unreg);
    EXPECT_EQ(reg(), 0);
    EXPECT_EQ(unreg(), 0);
}

TEST_F(ShortcutLibrary, MakesTheFolderAndALinkToTheTargetBelowPrograms) {
    ASSERT_TRUE(create);
    const std::string folder = std::string("Quintaris Test\\Meteo") + '\0';
    EXPECT_EQ(create(folder.c_str(), "Nubilux", "C:\\Program Files\\Quintaris Test\\Meteo\\Nubilux.exe", "", -1,
                     "$(Programs)"),
              1);
    const std::wstring file = programs + L"\\Quintaris Test\\Meteo\\Nubilux.lnk";
    const Link link = ReadLink(file);
    ASSERT_TRUE(link.read);
    EXPECT_EQ(link.target, L"C:\\Program Files\\Quintaris Test\\Meteo\\Nubilux.exe");
    EXPECT_EQ(link.arguments, L"");
    EXPECT_EQ(link.folder, L"C:\\Program Files\\Quintaris Test\\Meteo");

    EXPECT_EQ(remove(folder.c_str(), "Nubilux"), 1);
    EXPECT_FALSE(Exists(file));
    EXPECT_EQ(remove(folder.c_str(), "Nubilux"), 1);  // already gone: passed over
    ::RemoveDirectoryW((programs + L"\\Quintaris Test\\Meteo").c_str());
    ::RemoveDirectoryW((programs + L"\\Quintaris Test").c_str());
}

TEST_F(ShortcutLibrary, FullFolderPathsAndRelativeStepsAreResolved) {
    ASSERT_TRUE(create);
    test::TempFolder elsewhere;
    EXPECT_EQ(create(win32::ToAnsi(elsewhere.Path()).c_str(), "Desk", "C:\\P\\p.exe", "", -1, "$(Programs)"), 1);
    EXPECT_TRUE(ReadLink(elsewhere.Path() + L"\\Desk.lnk").read);

    // the Startup folder named below Programs, with a doubled backslash as an empty group leaves
    EXPECT_EQ(create("\\StartUp", "Start", "C:\\P\\p.exe", "", -1, "$(Programs)"), 1);
    const std::wstring startup = win32::GetSpecialFolder(CSIDL_STARTUP) + L"\\Start.lnk";
    EXPECT_TRUE(ReadLink(startup).read);
    ::DeleteFileW(startup.c_str());
}

TEST_F(ShortcutLibrary, RefusesWhatItCannotPlace) {
    ASSERT_TRUE(create);
    EXPECT_EQ(create("X", "N", "C:\\p.exe", "", -1, "$(Desktop)"), 0);
    EXPECT_EQ(create("X", "", "C:\\p.exe", "", -1, "$(Programs)"), 0);
    EXPECT_FALSE(Exists(programs + L"\\X"));
}

TEST_F(ShortcutLibrary, WideEntriesTakeAnyPath) {
    const auto createW = win32::ProcAddress<stkit::CreateW>(library.get(), stkit::kCreateW);
    const auto removeW = win32::ProcAddress<stkit::RemoveW>(library.get(), stkit::kRemoveW);
    ASSERT_TRUE(createW && removeW);
    test::TempFolder elsewhere;
    const std::wstring folder = elsewhere.Path() + L"\\\u039c\u03b5\u03c4\u03b5\u03c9";  // Greek: "Meteo"
    EXPECT_EQ(createW(folder.c_str(), L"\u03a9", L"C:\\P\\p.exe", L"", -1, L"$(Programs)"), 1);
    EXPECT_TRUE(ReadLink(folder + L"\\\u03a9.lnk").read);
    EXPECT_EQ(removeW(folder.c_str(), L"\u03a9"), 1);
    EXPECT_FALSE(Exists(folder + L"\\\u03a9.lnk"));
    ::RemoveDirectoryW(folder.c_str());
}

TEST(InstallerShortcuts, AreMadeThroughTheLibraryDeployedInSystem32) {
    wchar_t system[MAX_PATH];
    ::GetSystemDirectoryW(system, MAX_PATH);
    const std::wstring deployed = std::wstring(system) + L"\\VB6STKIT.DLL";
    ::DeleteFileW(deployed.c_str());
    test::TempFolder folder;
    install::win32::Platform platform(folder.Path() + L"\\Setup.LOG");
    EXPECT_FALSE(platform.CreateShortcut(L"G\\F", L"N", L"C:\\x.exe"));  // not deployed yet

    ASSERT_TRUE(test::CopyInto(test::Product(L"LIB\\VB6STKIT.DLL"), deployed));
    EXPECT_TRUE(platform.CreateShortcut(folder.Path(), L"Gi\u00e0 pronto", L"C:\\Program Files\\G\\F\\x.exe"));
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const Link link = ReadLink(folder.Path() + L"\\Gi\u00e0 pronto.lnk");
    EXPECT_TRUE(link.read);
    EXPECT_EQ(link.target, L"C:\\Program Files\\G\\F\\x.exe");
    EXPECT_TRUE(platform.RemoveShortcut(folder.Path(), L"Gi\u00e0 pronto"));
    EXPECT_FALSE(Exists(folder.Path() + L"\\Gi\u00e0 pronto.lnk"));
    // What the library could not do is a failure with its reason, not a success: a
    // shortcut that cannot be deleted, one whose folder cannot be made.
    ASSERT_TRUE(platform.CreateShortcut(folder.Path(), L"Tenuto", L"C:\\x.exe"));
    const std::wstring held = folder.Path() + L"\\Tenuto.lnk";
    ::SetFileAttributesW(held.c_str(), FILE_ATTRIBUTE_READONLY);
    const suite::Outcome refused = platform.RemoveShortcut(folder.Path(), L"Tenuto");
    EXPECT_FALSE(refused);
    EXPECT_EQ(refused.number, ERROR_ACCESS_DENIED);
    EXPECT_TRUE(Exists(held));
    ::SetFileAttributesW(held.c_str(), FILE_ATTRIBUTE_NORMAL);
    folder.WriteBytes(L"file", "not a folder");
    EXPECT_FALSE(platform.CreateShortcut(folder.Path() + L"\\file", L"N", L"C:\\x.exe"));
    ::DeleteFileW(deployed.c_str());
}

}  // namespace
