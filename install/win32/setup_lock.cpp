#include "install/win32/setup_lock.h"

#include <windows.h>

#include <sddl.h>

namespace install::win32 {

namespace {

constexpr wchar_t kLockName[] = L"Global\\QuintarisSetup";
// The system account and administrators hold it; every other account may see and wait
// on it, so that an installation under any account finds one under another.
constexpr wchar_t kLockAccess[] = L"D:(A;;GA;;;SY)(A;;GA;;;BA)(A;;0x00100001;;;WD)";

}  // namespace

::win32::UniqueHandle TakeSetupLock(bool& anotherRuns) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    ::ConvertStringSecurityDescriptorToSecurityDescriptorW(kLockAccess, SDDL_REVISION_1, &descriptor, nullptr);
    SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor, FALSE};
    ::win32::UniqueHandle lock(::CreateMutexW(descriptor ? &attributes : nullptr, FALSE, kLockName));
    const DWORD error = ::GetLastError();
    if (descriptor) ::LocalFree(descriptor);
    // Made by an account whose lock lets this one in only to wait, or not at all: it exists.
    anotherRuns = lock ? error == ERROR_ALREADY_EXISTS : error == ERROR_ACCESS_DENIED;
    return lock;
}

}  // namespace install::win32
