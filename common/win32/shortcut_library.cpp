#include "common/win32/shortcut_library.h"

#include "common/win32/ansi.h"
#include "common/win32/error.h"
#include "common/win32/startup.h"
#include "common/win32/stkit.h"

namespace win32 {

suite::Outcome ShortcutLibrary::Load() {
    if (!module_) module_ = LoadSystemLibrary(stkit::kLibrary);
    return module_ ? suite::Outcome::Success() : LastError();
}

suite::Outcome ShortcutLibrary::Create(const std::wstring& folder, const std::wstring& name,
                                       const std::wstring& target) {
    if (auto loaded = Load(); !loaded) return loaded;
    if (const auto create = ProcAddress<stkit::CreateW>(module_.get(), stkit::kCreateW)) {
        create(folder.c_str(), name.c_str(), target.c_str(), L"", -1, L"$(Programs)");
        return suite::Outcome::Success();
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
    create(ansiFolder.c_str(), ansiName.c_str(), ansiTarget.c_str(), arguments.c_str(), -1, "$(Programs)");
    return suite::Outcome::Success();
}

suite::Outcome ShortcutLibrary::Remove(const std::wstring& folder, const std::wstring& name) {
    if (auto loaded = Load(); !loaded) return loaded;
    if (const auto remove = ProcAddress<stkit::RemoveW>(module_.get(), stkit::kRemoveW)) {
        remove(folder.c_str(), name.c_str());
        return suite::Outcome::Success();
    }
    const auto remove = ProcAddress<stkit::RemoveA>(module_.get(), stkit::kRemoveA);
    if (!remove) return Failure(ERROR_PROC_NOT_FOUND);
    std::string ansiFolder, ansiName;
    if (!ToAnsiExact(folder, ansiFolder) || !ToAnsiExact(name, ansiName)) return Failure(ERROR_NO_UNICODE_TRANSLATION);
    remove(ansiFolder.c_str(), ansiName.c_str());
    return suite::Outcome::Success();
}

}  // namespace win32
