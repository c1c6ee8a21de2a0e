// Times Nubilux's update as the window drives it: each attempt a worker process
// (Nubilux.exe beside this program), started, read and ended as Nubilux does.
//
//   nubilux_bench <url> <runs> [left,top,right,bottom]
//       the median of `runs` whole attempts (download through the system's proxy, checks,
//       bitmap, the move over NUBILUX.BMP, wallpaper) and how many put a picture in place;
//       with the fractions, the attempt cuts that part of the picture, as for a region.
//   nubilux_bench --empty <runs> [desktop]
//       the median start and exit of a process that loads the worker's system DLLs and
//       does nothing (this program with --loads); with "desktop", it also connects to the
//       desktop, as the worker must to tell the other windows of a new wallpaper (under
//       Wine that brings up the display driver: the X11 connection, its monitors, theming).
//   nubilux_bench --give-up <url> <ms>
//       an attempt ended after `ms`, as at its deadline: how long until its process is gone.
#include <windows.h>

#include <objbase.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/win32/attempt_process.h"
#include "app/win32/desktop.h"
#include "app/win32/messages.h"
#include "app/win32/platform.h"
#include "common/win32/startup.h"

namespace {

using namespace nubilux::win32;

double Now() {
    LARGE_INTEGER count, frequency;
    ::QueryPerformanceCounter(&count);
    ::QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(count.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double Median(std::vector<double> times) {
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

std::shared_ptr<AttemptProcess> StartAttempt(HWND window, unsigned number, const std::wstring& url,
                                             const std::optional<nubilux::Crop>& crop) {
    nubilux::Source source;
    source.url = url;
    source.crop = crop;
    const nubilux::WorkerOrder order{number, source, {PrimaryScreen(), LargestScreen(), ImageTargets(L"NUBILUX.BMP")}, {}};
    return AttemptProcess::Start(window, order, ::win32::ProgramFolder() + L"\\Nubilux.exe", UserFolder());
}

// Runs one attempt and waits for its report, as the window's message loop would: the
// milliseconds until then; `installed` whether its picture was put in place. Its worker
// is then ended and waited for, as Nubilux ends it, so that no attempt pays for the last.
double OneAttempt(HWND window, unsigned number, const std::wstring& url, const std::optional<nubilux::Crop>& crop,
                  bool& installed) {
    const double start = Now();
    installed = false;
    const auto attempt = StartAttempt(window, number, url, crop);
    if (!attempt) return Now() - start;
    for (bool done = false; !done;) {
        // As Nubilux's loop does: woken by the worker's end, and looking now and then.
        const HANDLE process = attempt->Process();
        ::MsgWaitForMultipleObjects(1, &process, FALSE, 100, QS_ALLINPUT);
        attempt->Poll();
        MSG msg;
        while (!done && ::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message != kAttemptDone) {
                ::DispatchMessageW(&msg);
                continue;
            }
            const auto report = TakeReport(msg.lParam);
            if (report->number != number) continue;
            installed = report->end.ending == nubilux::Ending::Installed;
            done = true;
        }
    }
    const double took = Now() - start;
    attempt->End();
    while (attempt->Alive()) ::Sleep(1);
    return took;
}

int Attempts(HWND window, const std::wstring& url, int runs, const std::optional<nubilux::Crop>& crop) {
    int completed = 0;
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        bool installed = false;
        times.push_back(OneAttempt(window, static_cast<unsigned>(i + 1), url, crop, installed));
        completed += installed;
    }
    std::printf("%.1f %d\n", Median(times), completed);
    return completed == runs ? 0 : 1;
}

// What the worker loads of the system beyond the program's own imports, and nothing more.
int Loads(bool desktop) {
    ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    for (const wchar_t* name : {L"wininet.dll", L"windowscodecs.dll", L"shell32.dll"})
        ::win32::LoadSystemLibrary(name).release();
    if (desktop) ::GetDesktopWindow();
    ::CoUninitialize();
    return 0;
}

int EmptyStarts(int runs, bool desktop) {
    std::wstring line = L"\"" + ::win32::ProgramPath() + (desktop ? L"\" --loads-desktop" : L"\" --loads");
    wchar_t over[512] = L""; if (::GetEnvironmentVariableW(L"BENCH_LINE", over, 512)) line = over;
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process{};
        const double start = Now();
        if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
            return 1;
        ::WaitForSingleObject(process.hProcess, INFINITE);
        times.push_back(Now() - start);
        ::CloseHandle(process.hThread);
        ::CloseHandle(process.hProcess);
    }
    std::printf("%.1f\n", Median(times));
    return 0;
}

int GiveUp(HWND window, const std::wstring& url, int afterMs) {
    const auto attempt = StartAttempt(window, 1, url, std::nullopt);
    if (!attempt) return 1;
    ::Sleep(static_cast<DWORD>(afterMs));
    if (!attempt->Alive()) return 1;  // it ended by itself: nothing was given up
    const double start = Now();
    if (!attempt->Abandon()) return 1;
    while (attempt->Alive()) ::Sleep(1);
    std::printf("%.1f\n", Now() - start);
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    ::win32::RestrictDllSearch();
    if (argc == 2 && std::wcscmp(argv[1], L"--loads") == 0) return Loads(false);
    if (argc == 2 && std::wcscmp(argv[1], L"--loads-desktop") == 0) return Loads(true);
    if (argc < 3) return 2;
    if (std::wcscmp(argv[1], L"--empty") == 0)
        return EmptyStarts(std::max(1, _wtoi(argv[2])), argc > 3 && std::wcscmp(argv[3], L"desktop") == 0);
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const HWND window = ::CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    if (std::wcscmp(argv[1], L"--give-up") == 0) return argc == 4 ? GiveUp(window, argv[2], _wtoi(argv[3])) : 2;
    std::optional<nubilux::Crop> crop;
    nubilux::Crop part{};
    if (argc > 3 && std::swscanf(argv[3], L"%lf,%lf,%lf,%lf", &part.left, &part.top, &part.right, &part.bottom) == 4)
        crop = part;
    return Attempts(window, argv[1], std::max(1, _wtoi(argv[2])), crop);
}
