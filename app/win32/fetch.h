// The fetch seam: one source's answer over WinINet, with the system's proxy settings and
// certificates always checked. Close() may come from another thread at any time: the
// handles are closed, so that a blocked call returns where the platform allows.
#pragma once

#include <windows.h>

#include <wininet.h>

#include <atomic>
#include <cstdint>
#include <functional>

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

    // The source's whole answer, or why there is none. takenAt: the picture's time slot,
    // else the server's Last-Modified (UTC seconds since 1970), 0 when unknown.
    Fetched Get(const Source& source, std::atomic<std::int64_t>& takenAt);
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

}  // namespace nubilux::win32
