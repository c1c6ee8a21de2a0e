// A stand-in for Windows' JPEG decoder where it differs from Wine's: Windows' decoder
// scales while it decodes (IWICBitmapSourceTransform, by 1/2, 1/4 and 1/8), Wine's does
// not. An in-process COM server registered under the JPEG decoder's class id (in a test
// prefix with regsvr32, or in a test process with CoRegisterClassObject), it wraps Wine's
// own decoder, taken from windowscodecs.dll in system32, and offers the transform over it.
// Each scaled copy is recorded, one line "CopyPixels <width>x<height>" in jpeg-calls.txt
// beside this DLL.
#include <windows.h>

#include <objbase.h>
#include <olectl.h>

#include <atomic>
#include <new>
#include <string>

#include "app/win32/wic_ids.h"
#include "tools/com_standin.h"

namespace {

using namespace nubilux::win32;

using standin::objects;

void Record(const std::string& line) { standin::AppendLine(L"jpeg-calls.txt", line); }

// Wine's own JPEG decoder, by its class object: through COM it would be this stand-in.
HRESULT CreateSystemDecoder(IWICBitmapDecoder** out) {
    static HMODULE codecs = ::LoadLibraryExW(L"windowscodecs.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (!codecs) return HRESULT_FROM_WIN32(::GetLastError());
    using GetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
    const auto get = reinterpret_cast<GetClassObject>(
        reinterpret_cast<void*>(::GetProcAddress(codecs, "DllGetClassObject")));
    if (!get) return E_NOINTERFACE;
    IClassFactory* factory = nullptr;
    HRESULT hr = get(kJpegDecoder, IID_IClassFactory, reinterpret_cast<void**>(&factory));
    if (FAILED(hr)) return hr;
    hr = factory->CreateInstance(nullptr, kIDecoder, reinterpret_cast<void**>(out));
    factory->Release();
    return hr;
}

// Counted like every object of this DLL, so that it is not unloaded under one.
template <typename Interface>
class Object : public Interface {
public:
    Object() { ++objects; }
    virtual ~Object() { --objects; }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++references_); }
    ULONG STDMETHODCALLTYPE Release() override {
        const long left = --references_;
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }

private:
    std::atomic<long> references_{1};
};

// A frame of Wine's decoder that scales while it decodes, as Windows' does.
class ScalingFrame final : public Object<IWICBitmapFrameDecode>, public IWICBitmapSourceTransform {
public:
    explicit ScalingFrame(IWICBitmapFrameDecode* inner) : inner_(inner) {}
    ~ScalingFrame() override { inner_->Release(); }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        if (iid == IID_IUnknown || iid == kIBitmapSource || iid == kIFrameDecode) {
            *out = static_cast<IWICBitmapFrameDecode*>(this);
        } else if (iid == kISourceTransform) {
            *out = static_cast<IWICBitmapSourceTransform*>(this);
        } else {
            *out = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return Object::AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return Object::Release(); }

    // The frame as Wine's decoder gives it.
    HRESULT STDMETHODCALLTYPE GetSize(UINT* width, UINT* height) override { return inner_->GetSize(width, height); }
    HRESULT STDMETHODCALLTYPE GetPixelFormat(WICPixelFormatGUID* format) override {
        return inner_->GetPixelFormat(format);
    }
    HRESULT STDMETHODCALLTYPE GetResolution(double* x, double* y) override { return inner_->GetResolution(x, y); }
    HRESULT STDMETHODCALLTYPE CopyPalette(IWICPalette* palette) override { return inner_->CopyPalette(palette); }
    HRESULT STDMETHODCALLTYPE CopyPixels(const WICRect* rect, UINT stride, UINT size, BYTE* buffer) override {
        return inner_->CopyPixels(rect, stride, size, buffer);
    }
    HRESULT STDMETHODCALLTYPE GetMetadataQueryReader(IWICMetadataQueryReader** reader) override {
        return inner_->GetMetadataQueryReader(reader);
    }
    HRESULT STDMETHODCALLTYPE GetColorContexts(UINT count, IWICColorContext** contexts, UINT* actual) override {
        return inner_->GetColorContexts(count, contexts, actual);
    }
    HRESULT STDMETHODCALLTYPE GetThumbnail(IWICBitmapSource** thumbnail) override {
        return inner_->GetThumbnail(thumbnail);
    }

    // The smallest of the whole size, its half, quarter and eighth (rounded up) that
    // still holds the size asked; the whole size when none smaller does.
    HRESULT STDMETHODCALLTYPE GetClosestSize(UINT* width, UINT* height) override {
        if (!width || !height) return E_INVALIDARG;
        UINT fullWidth = 0, fullHeight = 0;
        if (const HRESULT hr = inner_->GetSize(&fullWidth, &fullHeight); FAILED(hr)) return hr;
        UINT bestWidth = fullWidth, bestHeight = fullHeight;
        for (UINT shift = 1; shift <= 3; ++shift) {
            const UINT w = (fullWidth + (1u << shift) - 1) >> shift, h = (fullHeight + (1u << shift) - 1) >> shift;
            if (w < *width || h < *height) break;
            bestWidth = w, bestHeight = h;
        }
        *width = bestWidth, *height = bestHeight;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetClosestPixelFormat(WICPixelFormatGUID* format) override {
        if (!format) return E_INVALIDARG;
        *format = kBgr24;  // a colour JPEG's own
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE DoesSupportTransform(WICBitmapTransformOptions transform, BOOL* supported) override {
        if (!supported) return E_INVALIDARG;
        *supported = transform == WICBitmapTransformRotate0;
        return S_OK;
    }
    // Only the sizes GetClosestSize offers, in the format it names, unrotated.
    HRESULT STDMETHODCALLTYPE CopyPixels(const WICRect* rect, UINT width, UINT height, WICPixelFormatGUID* format,
                                         WICBitmapTransformOptions transform, UINT stride, UINT size,
                                         BYTE* buffer) override {
        if (!format || *format != kBgr24 || transform != WICBitmapTransformRotate0 || !Offered(width, height))
            return E_INVALIDARG;
        IWICImagingFactory* factory = nullptr;
        IWICBitmapScaler* scaler = nullptr;
        IWICFormatConverter* converter = nullptr;
        HRESULT hr = ::CoCreateInstance(kWicFactory, nullptr, CLSCTX_INPROC_SERVER, kIWicFactory,
                                        reinterpret_cast<void**>(&factory));
        if (SUCCEEDED(hr)) hr = factory->CreateBitmapScaler(&scaler);
        if (SUCCEEDED(hr)) hr = scaler->Initialize(inner_, width, height, WICBitmapInterpolationModeFant);
        if (SUCCEEDED(hr)) hr = factory->CreateFormatConverter(&converter);
        if (SUCCEEDED(hr))
            hr = converter->Initialize(scaler, kBgr24, WICBitmapDitherTypeNone, nullptr, 0.0, WICBitmapPaletteTypeCustom);
        if (SUCCEEDED(hr)) hr = converter->CopyPixels(rect, stride, size, buffer);
        for (IUnknown* used : {static_cast<IUnknown*>(converter), static_cast<IUnknown*>(scaler),
                               static_cast<IUnknown*>(factory)})
            if (used) used->Release();
        if (SUCCEEDED(hr)) Record("CopyPixels " + std::to_string(width) + "x" + std::to_string(height));
        return hr;
    }

private:
    bool Offered(UINT width, UINT height) {
        UINT fullWidth = 0, fullHeight = 0;
        if (FAILED(inner_->GetSize(&fullWidth, &fullHeight))) return false;
        for (UINT shift = 0; shift <= 3; ++shift)
            if (width == (fullWidth + (1u << shift) - 1) >> shift && height == (fullHeight + (1u << shift) - 1) >> shift)
                return true;
        return false;
    }

    IWICBitmapFrameDecode* inner_;
};

// Wine's decoder, whose frames scale.
class ScalingDecoder final : public Object<IWICBitmapDecoder> {
public:
    explicit ScalingDecoder(IWICBitmapDecoder* inner) : inner_(inner) {}
    ~ScalingDecoder() override { inner_->Release(); }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        if (iid != IID_IUnknown && iid != kIDecoder) {
            *out = nullptr;
            return E_NOINTERFACE;
        }
        *out = static_cast<IWICBitmapDecoder*>(this);
        AddRef();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE QueryCapability(IStream* stream, DWORD* capability) override {
        return inner_->QueryCapability(stream, capability);
    }
    HRESULT STDMETHODCALLTYPE Initialize(IStream* stream, WICDecodeOptions options) override {
        return inner_->Initialize(stream, options);
    }
    HRESULT STDMETHODCALLTYPE GetContainerFormat(GUID* format) override { return inner_->GetContainerFormat(format); }
    HRESULT STDMETHODCALLTYPE GetDecoderInfo(IWICBitmapDecoderInfo** info) override {
        return inner_->GetDecoderInfo(info);
    }
    HRESULT STDMETHODCALLTYPE CopyPalette(IWICPalette* palette) override { return inner_->CopyPalette(palette); }
    HRESULT STDMETHODCALLTYPE GetMetadataQueryReader(IWICMetadataQueryReader** reader) override {
        return inner_->GetMetadataQueryReader(reader);
    }
    HRESULT STDMETHODCALLTYPE GetPreview(IWICBitmapSource** preview) override { return inner_->GetPreview(preview); }
    HRESULT STDMETHODCALLTYPE GetColorContexts(UINT count, IWICColorContext** contexts, UINT* actual) override {
        return inner_->GetColorContexts(count, contexts, actual);
    }
    HRESULT STDMETHODCALLTYPE GetThumbnail(IWICBitmapSource** thumbnail) override {
        return inner_->GetThumbnail(thumbnail);
    }
    HRESULT STDMETHODCALLTYPE GetFrameCount(UINT* count) override { return inner_->GetFrameCount(count); }
    HRESULT STDMETHODCALLTYPE GetFrame(UINT index, IWICBitmapFrameDecode** frame) override {
        if (!frame) return E_INVALIDARG;
        *frame = nullptr;
        IWICBitmapFrameDecode* inner = nullptr;
        if (const HRESULT hr = inner_->GetFrame(index, &inner); FAILED(hr)) return hr;
        auto* scaling = new (std::nothrow) ScalingFrame(inner);
        if (!scaling) {
            inner->Release();
            return E_OUTOFMEMORY;
        }
        *frame = scaling;
        return S_OK;
    }

private:
    IWICBitmapDecoder* inner_;
};

standin::Factory factory([](REFIID iid, void** out) -> HRESULT {
    IWICBitmapDecoder* inner = nullptr;
    if (const HRESULT hr = CreateSystemDecoder(&inner); FAILED(hr)) return hr;
    auto* decoder = new (std::nothrow) ScalingDecoder(inner);
    if (!decoder) {
        inner->Release();
        return E_OUTOFMEMORY;
    }
    const HRESULT hr = decoder->QueryInterface(iid, out);
    decoder->Release();
    return hr;
});

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, void*) {
    if (reason == DLL_PROCESS_ATTACH) standin::self = instance;
    return TRUE;
}

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
    if (clsid != kJpegDecoder) return CLASS_E_CLASSNOTAVAILABLE;
    return factory.QueryInterface(iid, out);
}

extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow() {
    return standin::objects == 0 && standin::locks == 0 ? S_OK : S_FALSE;
}

extern "C" HRESULT STDAPICALLTYPE DllRegisterServer() { return standin::SetServer(kJpegDecoder, standin::OwnPath()); }

// The class handed back to the system's own decoder.
extern "C" HRESULT STDAPICALLTYPE DllUnregisterServer() {
    wchar_t folder[MAX_PATH] = {};
    ::GetSystemDirectoryW(folder, MAX_PATH);
    return standin::SetServer(kJpegDecoder, std::wstring(folder) + L"\\windowscodecs.dll");
}
