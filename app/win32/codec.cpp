#include "app/win32/codec.h"

#include <windows.h>

#include <algorithm>
#include <cmath>

#include "app/win32/wic_ids.h"
#include "common/win32/unique.h"

namespace nubilux::win32 {

namespace {

constexpr UINT kStripRows = 64;  // rows asked of a scaler at once: its source rows stay few

// The source's pixels, of the fitted size, into the canvas a strip at a time.
bool CopyInStrips(IWICBitmapSource* source, Canvas& canvas) {
    const auto width = static_cast<UINT>(canvas.fitted.width), height = static_cast<UINT>(canvas.fitted.height);
    const auto stride = static_cast<UINT>(canvas.Stride());
    for (UINT top = 0; top < height; top += kStripRows) {
        const UINT rows = std::min(kStripRows, height - top);
        const WICRect strip{0, static_cast<INT>(top), static_cast<INT>(width), static_cast<INT>(rows)};
        std::uint8_t* at = canvas.Picture() + static_cast<std::size_t>(top) * stride;
        const auto room = static_cast<UINT>(canvas.rows.data() + canvas.rows.size() - at);
        if (FAILED(source->CopyPixels(&strip, stride, room, at))) return false;
    }
    return true;
}

// Scaled to the fitted size with a filter that averages what it drops, when it is not
// that size already.
bool FitInto(IWICImagingFactory* factory, IWICBitmapSource* source, Canvas& canvas) {
    UINT width = 0, height = 0;
    if (FAILED(source->GetSize(&width, &height))) return false;
    if (static_cast<int>(width) == canvas.fitted.width && static_cast<int>(height) == canvas.fitted.height)
        return CopyInStrips(source, canvas);
    ::win32::ComPtr<IWICBitmapScaler> scaler;
    if (FAILED(factory->CreateBitmapScaler(scaler.put())) ||
        FAILED(scaler->Initialize(source, static_cast<UINT>(canvas.fitted.width), static_cast<UINT>(canvas.fitted.height),
                                  WICBitmapInterpolationModeFant)))
        return false;
    return CopyInStrips(scaler.get(), canvas);
}

// Where the decoder can scale while it decodes (Windows' JPEG decoder can, by 1/2, 1/4
// and 1/8), the frame is never held whole: only the nearest size at or above the fitted
// one. Nothing done (false) where it cannot, or the format it gives is not the bitmap's.
bool DecodeScaled(IWICImagingFactory* factory, IWICBitmapFrameDecode* frame, Canvas& canvas, bool& failed) {
    ::win32::ComPtr<IWICBitmapSourceTransform> transform;
    if (FAILED(frame->QueryInterface(kISourceTransform, transform.put_void()))) return false;
    UINT width = static_cast<UINT>(canvas.fitted.width), height = static_cast<UINT>(canvas.fitted.height);
    WICPixelFormatGUID format = kBgr24;
    BOOL rotates = FALSE;
    if (FAILED(transform->GetClosestSize(&width, &height)) || FAILED(transform->GetClosestPixelFormat(&format)) ||
        FAILED(transform->DoesSupportTransform(WICBitmapTransformRotate0, &rotates)))
        return false;
    UINT fullWidth = 0, fullHeight = 0;
    frame->GetSize(&fullWidth, &fullHeight);
    if (format != kBgr24 || !rotates || width < static_cast<UINT>(canvas.fitted.width) ||
        height < static_cast<UINT>(canvas.fitted.height) || (width >= fullWidth && height >= fullHeight))
        return false;  // no smaller size on offer that still covers the monitor
    failed = true;
    const UINT stride = static_cast<UINT>(BmpRowBytes(width));
    std::vector<std::uint8_t> reduced(static_cast<std::size_t>(stride) * height);
    if (FAILED(transform->CopyPixels(nullptr, width, height, &format, WICBitmapTransformRotate0, stride,
                                     static_cast<UINT>(reduced.size()), reduced.data())))
        return true;
    ::win32::ComPtr<IWICBitmap> bitmap;
    if (FAILED(factory->CreateBitmapFromMemory(width, height, kBgr24, stride, static_cast<UINT>(reduced.size()),
                                               reduced.data(), bitmap.put())))
        return true;
    reduced = {};
    failed = !FitInto(factory, bitmap.get(), canvas);
    return true;
}

// The crop's pixels of a picture of the given size: at least one, never outside it.
WICRect PixelsOf(const Crop& crop, UINT width, UINT height) {
    const auto at = [](double fraction, UINT size) {
        return std::clamp(static_cast<INT>(std::lround(fraction * size)), 0, static_cast<INT>(size));
    };
    const INT left = std::min(at(crop.left, width), static_cast<INT>(width) - 1);
    const INT top = std::min(at(crop.top, height), static_cast<INT>(height) - 1);
    return {left, top, std::max(1, at(crop.right, width) - left), std::max(1, at(crop.bottom, height) - top)};
}

}  // namespace

bool DecodePicture(const std::string& body, const PictureHeader& header, Screen monitor, Canvas& canvas,
                   const std::optional<Crop>& crop) {
    ::win32::ComPtr<IWICImagingFactory> factory;
    if (FAILED(::CoCreateInstance(kWicFactory, nullptr, CLSCTX_INPROC_SERVER, kIWicFactory, factory.put_void())))
        return false;
    ::win32::ComPtr<IWICStream> stream;
    if (FAILED(factory->CreateStream(stream.put())) ||
        FAILED(stream->InitializeFromMemory(reinterpret_cast<BYTE*>(const_cast<char*>(body.data())),
                                            static_cast<DWORD>(body.size()))))
        return false;
    // The system's decoder for the format the header names, by its class id.
    ::win32::ComPtr<IWICBitmapDecoder> decoder;
    const CLSID& codec = header.format == PictureFormat::Jpeg ? kJpegDecoder : kPngDecoder;
    if (FAILED(::CoCreateInstance(codec, nullptr, CLSCTX_INPROC_SERVER, kIDecoder, decoder.put_void())) ||
        FAILED(decoder->Initialize(stream.get(), WICDecodeMetadataCacheOnDemand)))
        return false;
    ::win32::ComPtr<IWICBitmapFrameDecode> frame;
    UINT width = 0, height = 0;
    if (FAILED(decoder->GetFrame(0, frame.put())) || FAILED(frame->GetSize(&width, &height))) return false;
    if (width != header.width || height != header.height) return false;  // a header that lied
    // A region: its part of the frame, which has the monitor's shape, to the monitor's size.
    ::win32::ComPtr<IWICBitmapClipper> clipper;
    IWICBitmapSource* source = frame.get();
    if (crop) {
        const WICRect part = PixelsOf(*crop, width, height);
        if (FAILED(factory->CreateBitmapClipper(clipper.put())) || FAILED(clipper->Initialize(frame.get(), &part)))
            return false;
        source = clipper.get();
        canvas = Canvas::For(monitor, monitor);
    } else {
        canvas = Canvas::For(monitor, {static_cast<int>(width), static_cast<int>(height)});
        bool failed = false;
        if (DecodeScaled(factory.get(), frame.get(), canvas, failed)) return !failed;
    }
    const auto convert = [&](IWICBitmapSource* from, const GUID& to, ::win32::ComPtr<IWICFormatConverter>& converter) {
        return SUCCEEDED(factory->CreateFormatConverter(converter.put())) &&
               SUCCEEDED(converter->Initialize(from, to, WICBitmapDitherTypeNone, nullptr, 0.0,
                                               WICBitmapPaletteTypeCustom));
    };
    ::win32::ComPtr<IWICFormatConverter> converter, wide;
    if (convert(source, kBgr24, converter) && FitInto(factory.get(), converter.get(), canvas)) return true;
    // Where no converter goes to the bitmap's format in one step (16 bits a sample under
    // Wine, which says so only when the pixels are asked for): by way of 32-bit BGRA.
    return convert(source, kBgra32, wide) && convert(wide.get(), kBgr24, converter) &&
           FitInto(factory.get(), converter.get(), canvas);
}

}  // namespace nubilux::win32
