#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "common/switches.h"
#include "common/win32/ansi.h"
#include "common/win32/elevation.h"
#include "common/win32/setup_log.h"
#include "common/win32/startup.h"
#include "common/win32/unique.h"

namespace {

std::wstring ModulePath(HMODULE module) {
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(module, path, MAX_PATH);
    return path;
}

std::wstring Lower(std::wstring s) {
    ::CharLowerBuffW(s.data(), static_cast<DWORD>(s.size()));
    return s;
}

TEST(Startup, ProgramFolderHoldsTheRunningProgram) {
    const std::wstring folder = win32::ProgramFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_NE(folder.back(), L'\\');
    EXPECT_EQ(Lower(ModulePath(nullptr)), Lower(folder + L"\\win32_tests.exe"));
}

TEST(Startup, SystemLibrariesComeFromSystem32) {
    win32::RestrictDllSearch();
    wchar_t system[MAX_PATH];
    ::GetSystemDirectoryW(system, MAX_PATH);
    const win32::UniqueModule wininet = win32::LoadSystemLibrary(L"wininet.dll");
    ASSERT_TRUE(wininet);
    EXPECT_EQ(Lower(ModulePath(wininet.get())), Lower(std::wstring(system) + L"\\wininet.dll"));
    EXPECT_FALSE(win32::LoadSystemLibrary(L"no-such-library.dll"));
}

TEST(Unique, MovedHandleIsClosedExactlyOnce) {
    HANDLE raw = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    {
        win32::UniqueHandle first(raw);
        win32::UniqueHandle second(std::move(first));
        EXPECT_FALSE(first);
        EXPECT_EQ(second.get(), raw);
        DWORD flags = 0;
        EXPECT_TRUE(::GetHandleInformation(raw, &flags));
    }
    DWORD flags = 0;
    EXPECT_FALSE(::GetHandleInformation(raw, &flags));
}

TEST(Ansi, RoundTripAndEmpty) {
    EXPECT_EQ(win32::ToAnsi(L""), "");
    EXPECT_EQ(win32::ToAnsi(L"Setup.LOG"), "Setup.LOG");
    EXPECT_EQ(win32::FromAnsi("Uninstall"), L"Uninstall");
    const std::wstring italian = L"Gi\u00e0 installato";
    EXPECT_EQ(win32::FromAnsi(win32::ToAnsi(italian)), italian);
}

TEST(Ansi, WhatTheCodePageLacksIsRefusedNeverALookAlike) {
    std::string out;
    EXPECT_TRUE(win32::ToAnsiExact(L"Citt\u00e0", out));
    // Greek omega and Polish l-stroke: best-fit would write "O" and "l".
    EXPECT_FALSE(win32::ToAnsiExact(L"Programmi \u03a9 \u0142", out));
    EXPECT_EQ(win32::ToAnsi(L"Programmi \u03a9 \u0142"), "Programmi ? ?");
}

// The uninstaller's own elevated run, as Windows' "runas" starts it (Wine without a
// prompt): the arguments arrive whole, and its exit code comes back.
TEST(Elevation, AProgramRunElevatedGivesBackItsExitCode) {
    wchar_t system[MAX_PATH] = {};
    ::GetSystemDirectoryW(system, MAX_PATH);
    DWORD exitCode = 0;
    const suite::Outcome ran =
        win32::RunElevated(std::wstring(system) + L"\\cmd.exe", suite::CommandLineOf({L"/c", L"exit 1602"}), exitCode);
    ASSERT_TRUE(ran) << win32::ToAnsi(ran.description);
    EXPECT_EQ(exitCode, 1602u);
    EXPECT_TRUE(win32::IsElevated());  // Wine runs every program elevated: the reason the e2e tier removes at once
    EXPECT_FALSE(win32::RunElevated(std::wstring(system) + L"\\no-such-program.exe", L"", exitCode));
}

// A log whose place refuses it (a folder that is not there, as a mistyped /LOG= names)
// loses no line: they go to the temporary folder's Setup.LOG, the first saying why.
TEST(SetupLog, ALineItsFileRefusesGoesToTheTemporaryFolderWithWhy) {
    const std::wstring temporary = win32::TemporaryLogFile();
    ASSERT_FALSE(temporary.empty());
    ::DeleteFileW(temporary.c_str());
    win32::SetupLogFile log(L"C:\\no\\such\\folder\\u.log");
    log.Write(L"Rimozione di Nubilux terminata.");
    log.Write(L"a second line");
    EXPECT_EQ(log.File(), temporary);
    std::ifstream file(std::filesystem::path(temporary), std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(file)), {});
    const auto first = text.find(" - Errore: 3-"), refused = text.find("C:\\no\\such\\folder\\u.log\r\n");
    const auto line = text.find(" - Rimozione di Nubilux terminata.\r\n"), second = text.find(" - a second line\r\n");
    EXPECT_NE(first, std::string::npos) << text;  // ERROR_PATH_NOT_FOUND, and where
    EXPECT_LT(first, refused);
    EXPECT_LT(refused, line);
    EXPECT_LT(line, second);
    EXPECT_NE(second, std::string::npos) << text;
    file.close();
    ::DeleteFileW(temporary.c_str());
}

}  // namespace
