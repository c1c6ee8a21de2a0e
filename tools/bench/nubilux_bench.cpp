// Times Nubilux's update as the window drives it, in one process: prints the median of
// `runs` whole attempts (download through the system's proxy, checks, bitmap, the move
// over NUBILUX.BMP, wallpaper) and how many of them put a picture in place.
//
//   nubilux_bench <url> <runs> [left,top,right,bottom]
//
// With the fractions, the attempt cuts that part of the picture, as for a region.
#include <windows.h>

#include <objbase.h>

#include <algorithm>
#include <memory>
#include <cstdio>
#include <string>
#include <cwchar>
#include <optional>
#include <vector>

#include "app/win32/desktop.h"
#include "app/win32/messages.h"
#include "app/win32/platform.h"
#include "app/win32/system_attempt.h"
#include "app/win32/transfer.h"
#include "common/text.h"
#include "common/win32/startup.h"

namespace {

double Milliseconds(LARGE_INTEGER from, LARGE_INTEGER to) {
    LARGE_INTEGER frequency;
    ::QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Runs one attempt and waits for its end, as the window's message loop would.
bool OneAttempt(HWND window, unsigned number, const std::wstring& url, const std::optional<nubilux::Crop>& crop) {
    using namespace nubilux::win32;
    nubilux::Source source;
    source.url = url;
    source.crop = crop;
    nubilux::WorkerOrder order{number, source, {PrimaryScreen(), LargestScreen(), ImageTargets(L"NUBILUX.BMP")}, {}};
    const auto states = [window, number](int state) { ::PostMessageW(window, kAttemptState, number, state); };
    const auto transfer = Transfer::Start(window, number, std::make_unique<SystemAttempt>(std::move(order), states));
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (msg.message == kAttemptDone) {
            const auto report = TakeReport(msg.lParam);
            if (report->number == number) return report->end.ending == nubilux::Ending::Installed;
            continue;
        }
        ::DispatchMessageW(&msg);
    }
    return false;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) return 2;
    ::win32::RestrictDllSearch();
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const HWND window = ::CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    const int runs = std::max(1, _wtoi(argv[2]));
    std::optional<nubilux::Crop> crop;
    nubilux::Crop part{};
    if (argc > 3 && std::swscanf(argv[3], L"%lf,%lf,%lf,%lf", &part.left, &part.top, &part.right, &part.bottom) == 4)
        crop = part;
    int completed = 0;
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        LARGE_INTEGER start, end;
        ::QueryPerformanceCounter(&start);
        completed += OneAttempt(window, static_cast<unsigned>(i + 1), argv[1], crop);
        ::QueryPerformanceCounter(&end);
        times.push_back(Milliseconds(start, end));
    }
    std::sort(times.begin(), times.end());
    std::printf("%.1f %d\n", times[times.size() / 2], completed);
    ::CoUninitialize();
    return completed == runs ? 0 : 1;
}
