// WIC's identifiers, spelled out: taking them from its import library would tie the
// program to windowscodecs.dll at load time; COM loads it from system32 by full path.
// The scaling JPEG decoder that the tests register under Wine uses the same ones.
#pragma once

#include <windows.h>

#include <objbase.h>
#include <wincodec.h>

namespace nubilux::win32 {

inline constexpr CLSID kWicFactory = {0xcacaf262, 0x9370, 0x4615, {0xa1, 0x3b, 0x9f, 0x55, 0x39, 0xda, 0x4c, 0x0a}};
inline constexpr IID kIWicFactory = {0xec5ec8a9, 0xc395, 0x4314, {0x9c, 0x77, 0x54, 0xd7, 0xa9, 0x35, 0xff, 0x70}};
inline constexpr CLSID kJpegDecoder = {0x9456a480, 0xe88b, 0x43ea, {0x9e, 0x73, 0x0b, 0x2d, 0x9b, 0x71, 0xb1, 0xca}};
inline constexpr CLSID kPngDecoder = {0x389ea17b, 0x5078, 0x4cde, {0xb6, 0xef, 0x25, 0xc1, 0x51, 0x75, 0xc7, 0x51}};
inline constexpr IID kIDecoder = {0x9edde9e7, 0x8dee, 0x47ea, {0x99, 0xdf, 0xe6, 0xfa, 0xf2, 0xed, 0x44, 0xbf}};
inline constexpr IID kIFrameDecode = {0x3b16811b, 0x6a43, 0x4ec9, {0xa8, 0x13, 0x3d, 0x93, 0x0c, 0x13, 0xb9, 0x40}};
inline constexpr IID kIBitmapSource = {0x00000120, 0xa8f2, 0x4877, {0xba, 0x0a, 0xfd, 0x2b, 0x66, 0x45, 0xfb, 0x94}};
inline constexpr IID kISourceTransform = {0x3b16811b, 0x6a43, 0x4ec9, {0xb7, 0x13, 0x3d, 0x5a, 0x0c, 0x13, 0xb9, 0x40}};
inline constexpr GUID kBgr24 = {0x6fddc324, 0x4e03, 0x4bfe, {0xb1, 0x85, 0x3d, 0x77, 0x76, 0x8d, 0xc9, 0x0c}};
inline constexpr GUID kBgra32 = {0x6fddc324, 0x4e03, 0x4bfe, {0xb1, 0x85, 0x3d, 0x77, 0x76, 0x8d, 0xc9, 0x0f}};

// WIC's scale-while-decoding interface, method for method in WIC's order: the MinGW
// headers lack it.
struct IWICBitmapSourceTransform : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE CopyPixels(const WICRect* rect, UINT width, UINT height, WICPixelFormatGUID* format,
                                                 WICBitmapTransformOptions transform, UINT stride, UINT size,
                                                 BYTE* buffer) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetClosestSize(UINT* width, UINT* height) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetClosestPixelFormat(WICPixelFormatGUID* format) = 0;
    virtual HRESULT STDMETHODCALLTYPE DoesSupportTransform(WICBitmapTransformOptions transform, BOOL* supported) = 0;
};

}  // namespace nubilux::win32
