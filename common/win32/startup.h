// What every program of the suite does first, and how it finds its own folder.
#pragma once

#include <string>

#include "common/win32/unique.h"

namespace win32 {

// Limits DLL loading to system32, so nothing lying beside the program or in the
// current folder is ever picked up. Call first thing in wWinMain.
void RestrictDllSearch() noexcept;

// Loads a system DLL from system32 only; empty when it is not there.
UniqueModule LoadSystemLibrary(const wchar_t* name) noexcept;

// An entry of a loaded library as a typed function pointer; nullptr when it has none.
template <typename Fn>
Fn ProcAddress(HMODULE module, const char* name) noexcept {
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
}

// The running program's full path, and the folder that holds it (without a trailing
// backslash); empty when unknown.
std::wstring ProgramPath();
std::wstring ProgramFolder();

}  // namespace win32
