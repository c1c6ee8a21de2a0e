// The fetch seam: one source's answer over WinINet, with the system's proxy settings and
// certificates always checked. Close() may come from another thread at any time: the
// handles are closed, so that a blocked call returns where the platform allows.
#pragma once

#include <windows.h>

#include <wininet.h>

#include <atomic>
#include <functional>
#include <optional>

#include "app/attempt.h"
#include "app/sources.h"

namespace nubilux::win32 {

class HttpFetch {
public:
    // report: the download's states (status.h), from whichever thread WinINet calls on.
    explicit HttpFetch(std::function<void(int)> report) : report_(std::move(report)) {}
    ~HttpFetch() { Close(); }
    HttpFetch(const HttpFetch&) = delete;
    HttpFetch& operator=(const HttpFetch&) = delete;

    // The source's whole answer, or why there is none.
    Fetched Get(const Source& source);
    // No further reports, and every handle closed; Get fails from here on.
    void Close() noexcept;

private:
    // Keeps a handle where Close can close it; false (handle closed) once closed.
    bool Keep(HINTERNET& slot, HINTERNET handle);
    static void CALLBACK OnStatus(HINTERNET, DWORD_PTR context, DWORD status, LPVOID, DWORD) noexcept;

    std::function<void(int)> report_;
    std::atomic<bool> closed_{false};
    // Guards the handles between the fetching thread and Close.
    SRWLOCK handles_ = SRWLOCK_INIT;
    HINTERNET session_ = nullptr;
    HINTERNET request_ = nullptr;
};

// The reason a failed transfer's system or WinINet error stands for.
Reason ReasonForNetError(DWORD code);

// The download state (status.h) a WinINet status notification stands for; nothing for
// notifications that have no state of their own (handle created, redirects, ...).
std::optional<int> StateForInternetStatus(DWORD status);

}  // namespace nubilux::win32
