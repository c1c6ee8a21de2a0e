// Times Nubilux's update against its floor, in one process: prints the median of
// `runs` whole updates (download through the system's proxy, decode, bitmap, wallpaper)
// and of `runs` bare conversions of the same picture (decode and bitmap write).
//
//   nubilux_bench <picture.jpg> <runs>
#include <windows.h>

#include <objbase.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "app/update.h"
#include "app/win32/platform.h"
#include "common/win32/startup.h"

namespace {

double Milliseconds(LARGE_INTEGER from, LARGE_INTEGER to) {
    LARGE_INTEGER frequency;
    ::QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

template <typename Fn>
double Median(int runs, Fn&& fn) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        LARGE_INTEGER start, end;
        ::QueryPerformanceCounter(&start);
        fn();
        ::QueryPerformanceCounter(&end);
        times.push_back(Milliseconds(start, end));
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

std::string ReadFile(const wchar_t* path) {
    std::string bytes;
    HANDLE file = ::CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return bytes;
    char chunk[65536];
    DWORD got = 0;
    while (::ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0) bytes.append(chunk, got);
    ::CloseHandle(file);
    return bytes;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) return 2;
    ::win32::RestrictDllSearch();
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const std::string picture = ReadFile(argv[1]);
    const int runs = std::max(1, _wtoi(argv[2]));
    int completed = 0;
    nubilux::win32::Platform platform([&](int state) { completed += state == 12; }, [](bool) {});
    nubilux::Updater updater(platform);
    const std::wstring target = platform.ImageFile();

    const double update = Median(runs, [&] { updater.Aggiorna_Sfondo(); });
    const double floor = Median(runs, [&] { platform.SaveAsBitmap(picture, target); });
    std::printf("%.1f %.1f %d\n", update, floor, completed);
    ::CoUninitialize();
    return completed == runs ? 0 : 1;
}
