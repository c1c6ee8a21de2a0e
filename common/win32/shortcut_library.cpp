#include "common/win32/shortcut_library.h"

#include "common/win32/ansi.h"
#include "common/win32/error.h"
#include "common/win32/startup.h"
#include "common/win32/stkit.h"

namespace win32 {

namespace {

// The library answers 1 or 0; its reason, where it left one, is the thread's last error.
suite::Outcome Answer(long answer, DWORD otherwise) {
    if (answer) return suite::Outcome::Success();
    const DWORD error = ::GetLastError();
    return Failure(error ? error : otherwise);
}

}  // namespace

suite::Outcome ShortcutLibrary::Load() {
    if (!module_) module_ = LoadSystemLibrary(stkit::kLibrary);
    return module_ ? suite::Outcome::Success() : LastError();
}

suite::Outcome ShortcutLibrary::Create(const std::wstring& folder, const std::wstring& name,
                                       const std::wstring& target) {
    if (auto loaded = Load(); !loaded) return loaded;
    if (const auto create = ProcAddress<stkit::CreateW>(module_.get(), stkit::kCreateW)) {
        ::SetLastError(ERROR_SUCCESS);
        return Answer(create(folder.c_str(), name.c_str(), target.c_str(), L"", -1, L"$(Programs)"), ERROR_CANNOT_MAKE);
    }
    const auto create = ProcAddress<stkit::CreateA>(module_.get(), stkit::kCreateA);
    if (!create) return Failure(ERROR_PROC_NOT_FOUND);
    std::string ansiFolder, ansiName, ansiTarget;
    if (!ToAnsiExact(folder, ansiFolder) || !ToAnsiExact(name, ansiName) || !ToAnsiExact(target, ansiTarget))
        return Failure(ERROR_NO_UNICODE_TRANSLATION);
    // The folder and the arguments go with one NUL of their own appended, as the library's
    // first callers passed them.
    ansiFolder += '\0';
    const std::string arguments(1, '\0');
    ::SetLastError(ERROR_SUCCESS);
    return Answer(create(ansiFolder.c_str(), ansiName.c_str(), ansiTarget.c_str(), arguments.c_str(), -1, "$(Programs)"),
                  ERROR_CANNOT_MAKE);
}

suite::Outcome ShortcutLibrary::Remove(const std::wstring& folder, const std::wstring& name) {
    if (auto loaded = Load(); !loaded) return loaded;
    if (const auto remove = ProcAddress<stkit::RemoveW>(module_.get(), stkit::kRemoveW)) {
        ::SetLastError(ERROR_SUCCESS);
        return Answer(remove(folder.c_str(), name.c_str()), ERROR_ACCESS_DENIED);
    }
    const auto remove = ProcAddress<stkit::RemoveA>(module_.get(), stkit::kRemoveA);
    if (!remove) return Failure(ERROR_PROC_NOT_FOUND);
    std::string ansiFolder, ansiName;
    if (!ToAnsiExact(folder, ansiFolder) || !ToAnsiExact(name, ansiName)) return Failure(ERROR_NO_UNICODE_TRANSLATION);
    ::SetLastError(ERROR_SUCCESS);
    return Answer(remove(ansiFolder.c_str(), ansiName.c_str()), ERROR_ACCESS_DENIED);
}

}  // namespace win32
