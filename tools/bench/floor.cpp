// The floor of an update: the least any program must do with a JPEG it holds in memory
// to make it a wallpaper bitmap. WIC decodes it (scaled to fit width x height when it is
// larger, as Nubilux does) and a 24-bit BMP is written; nothing else. Prints the median
// of `runs` in milliseconds, for the full size and for the fitted size.
//
//   floor <picture.jpg> <out.bmp> <runs> <width> <height>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "app/win32/wic_ids.h"

namespace {

using nubilux::win32::kBgr24;
using nubilux::win32::kIWicFactory;
using nubilux::win32::kWicFactory;

template <typename T>
void Release(T*& p) {
    if (p) p->Release();
    p = nullptr;
}

bool Convert(IWICImagingFactory* factory, std::string& jpeg, const wchar_t* out, UINT fitW, UINT fitH) {
    IWICStream* stream = nullptr;
    IWICBitmapDecoder* decoder = nullptr;
    IWICBitmapFrameDecode* frame = nullptr;
    IWICFormatConverter* converter = nullptr;
    IWICBitmapScaler* scaler = nullptr;
    bool ok = SUCCEEDED(factory->CreateStream(&stream)) &&
              SUCCEEDED(stream->InitializeFromMemory(reinterpret_cast<BYTE*>(jpeg.data()), static_cast<DWORD>(jpeg.size()))) &&
              SUCCEEDED(factory->CreateDecoderFromStream(stream, nullptr, WICDecodeMetadataCacheOnDemand, &decoder)) &&
              SUCCEEDED(decoder->GetFrame(0, &frame)) && SUCCEEDED(factory->CreateFormatConverter(&converter)) &&
              SUCCEEDED(converter->Initialize(frame, kBgr24, WICBitmapDitherTypeNone, nullptr, 0.0,
                                              WICBitmapPaletteTypeCustom));
    UINT w = 0, h = 0;
    ok = ok && SUCCEEDED(converter->GetSize(&w, &h));
    IWICBitmapSource* source = converter;
    if (ok && fitW && fitH && (w > fitW || h > fitH)) {
        const double scale = std::min(static_cast<double>(fitW) / w, static_cast<double>(fitH) / h);
        w = std::max(1u, static_cast<UINT>(w * scale + 0.5));
        h = std::max(1u, static_cast<UINT>(h * scale + 0.5));
        ok = SUCCEEDED(factory->CreateBitmapScaler(&scaler)) &&
             SUCCEEDED(scaler->Initialize(converter, w, h, WICBitmapInterpolationModeFant));
        source = scaler;
    }
    const UINT stride = (w * 3 + 3) & ~3u;
    std::vector<BYTE> pixels(ok ? static_cast<std::size_t>(stride) * h : 0);
    ok = ok && SUCCEEDED(source->CopyPixels(nullptr, stride, static_cast<UINT>(pixels.size()), pixels.data()));
    if (ok) {
        BITMAPFILEHEADER file{};
        BITMAPINFOHEADER info{};
        file.bfType = 0x4D42;
        file.bfOffBits = sizeof file + sizeof info;
        file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
        info.biSize = sizeof info;
        info.biWidth = static_cast<LONG>(w);
        info.biHeight = -static_cast<LONG>(h);  // top row first, as decoded
        info.biPlanes = 1;
        info.biBitCount = 24;
        HANDLE handle = ::CreateFileW(out, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written = 0;
        ok = handle != INVALID_HANDLE_VALUE && ::WriteFile(handle, &file, sizeof file, &written, nullptr) &&
             ::WriteFile(handle, &info, sizeof info, &written, nullptr) &&
             ::WriteFile(handle, pixels.data(), static_cast<DWORD>(pixels.size()), &written, nullptr);
        if (handle != INVALID_HANDLE_VALUE) ::CloseHandle(handle);
    }
    Release(scaler), Release(converter), Release(frame), Release(decoder), Release(stream);
    return ok;
}

double Median(IWICImagingFactory* factory, std::string& jpeg, const wchar_t* out, int runs, UINT w, UINT h) {
    std::vector<double> times;
    LARGE_INTEGER frequency;
    ::QueryPerformanceFrequency(&frequency);
    for (int i = 0; i < runs; ++i) {
        LARGE_INTEGER start, end;
        ::QueryPerformanceCounter(&start);
        if (!Convert(factory, jpeg, out, w, h)) return -1;
        ::QueryPerformanceCounter(&end);
        times.push_back(1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart));
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 6) return 2;
    std::string jpeg;
    HANDLE file = ::CreateFileW(argv[1], GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 1;
    char chunk[65536];
    DWORD got = 0;
    while (::ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0) jpeg.append(chunk, got);
    ::CloseHandle(file);
    ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    IWICImagingFactory* factory = nullptr;
    if (FAILED(::CoCreateInstance(kWicFactory, nullptr, CLSCTX_INPROC_SERVER, kIWicFactory,
                                  reinterpret_cast<void**>(&factory))))
        return 1;
    const int runs = std::max(1, _wtoi(argv[3]));
    const double full = Median(factory, jpeg, argv[2], runs, 0, 0);
    const double fitted = Median(factory, jpeg, argv[2], runs, static_cast<UINT>(_wtoi(argv[4])),
                                 static_cast<UINT>(_wtoi(argv[5])));
    std::printf("%.1f %.1f\n", full, fitted);
    factory->Release();
    ::CoUninitialize();
    return full < 0 || fitted < 0 ? 1 : 0;
}
