#include "app/win32/transfer.h"

#include <objbase.h>
#include <wincodec.h>

#include <utility>
#include <vector>

#include "app/picture.h"
#include "app/status.h"
#include "app/win32/desktop.h"
#include "suite_version.h"
#include "app/win32/messages.h"
#include "common/win32/error.h"
#include "common/win32/startup.h"
#include "common/win32/unique.h"

namespace nubilux::win32 {

using ::win32::LastError;
using ::win32::ProcAddress;

namespace {

constexpr std::size_t kMaxBody = 64u << 20;  // no unbounded memory for a picture
constexpr DWORD kTimeoutMs = 60 * 1000;

// WIC's identifiers, spelled out: taking them from its import library would tie the
// program to windowscodecs.dll at load time; COM loads it from system32 by full path.
constexpr CLSID kWicFactory = {0xcacaf262, 0x9370, 0x4615, {0xa1, 0x3b, 0x9f, 0x55, 0x39, 0xda, 0x4c, 0x0a}};
constexpr IID kIWicFactory = {0xec5ec8a9, 0xc395, 0x4314, {0x9c, 0x77, 0x54, 0xd7, 0xa9, 0x35, 0xff, 0x70}};
constexpr GUID kBgr24 = {0x6fddc324, 0x4e03, 0x4bfe, {0xb1, 0x85, 0x3d, 0x77, 0x76, 0x8d, 0xc9, 0x0c}};

std::atomic<int> running{0};

// WinINet, loaded from system32 once for the whole run: a thread given up may still be
// inside it, so it is never unloaded.
struct WinInet {
    decltype(&::InternetOpenW) open = nullptr;
    decltype(&::InternetOpenUrlW) openUrl = nullptr;
    decltype(&::InternetReadFile) read = nullptr;
    decltype(&::HttpQueryInfoW) query = nullptr;
    decltype(&::InternetSetOptionW) setOption = nullptr;
    decltype(&::InternetSetStatusCallbackW) setCallback = nullptr;
    decltype(&::InternetCloseHandle) close = nullptr;

    static const WinInet& Get() {
        static const WinInet loaded = [] {
            WinInet api;
            const HMODULE net = ::win32::LoadSystemLibrary(L"wininet.dll").release();
            api.open = ProcAddress<decltype(api.open)>(net, "InternetOpenW");
            api.openUrl = ProcAddress<decltype(api.openUrl)>(net, "InternetOpenUrlW");
            api.read = ProcAddress<decltype(api.read)>(net, "InternetReadFile");
            api.query = ProcAddress<decltype(api.query)>(net, "HttpQueryInfoW");
            api.setOption = ProcAddress<decltype(api.setOption)>(net, "InternetSetOptionW");
            api.setCallback = ProcAddress<decltype(api.setCallback)>(net, "InternetSetStatusCallbackW");
            api.close = ProcAddress<decltype(api.close)>(net, "InternetCloseHandle");
            return api;
        }();
        return loaded;
    }
    bool Complete() const { return open && openUrl && read && query && setOption && setCallback && close; }
};

suite::Outcome FromHr(HRESULT hr) { return ::win32::Failure(static_cast<DWORD>(hr)); }

// A picture at its monitor's exact size: 24-bit rows, top row first, each
// BmpRowBytes(width) long, black where the picture does not reach.
struct Pixels {
    UINT width = 0, height = 0;
    std::vector<std::uint8_t> rows;
    Screen fitted;        // where the picture itself lies
    Placement placement;

    std::size_t Stride() const { return BmpRowBytes(width); }
    // The picture's own top-left pixel within the rows.
    std::uint8_t* Picture() { return rows.data() + placement.top * Stride() + placement.left * 3; }
};

suite::Outcome Decode(const std::string& body, Screen largest, Screen canvas, Pixels& out) {
    ::win32::ComPtr<IWICImagingFactory> factory;
    HRESULT hr = ::CoCreateInstance(kWicFactory, nullptr, CLSCTX_INPROC_SERVER, kIWicFactory, factory.put_void());
    if (FAILED(hr)) return FromHr(hr);
    ::win32::ComPtr<IWICStream> stream;
    if (FAILED(hr = factory->CreateStream(stream.put()))) return FromHr(hr);
    hr = stream->InitializeFromMemory(reinterpret_cast<BYTE*>(const_cast<char*>(body.data())),
                                      static_cast<DWORD>(body.size()));
    if (FAILED(hr)) return FromHr(hr);
    ::win32::ComPtr<IWICBitmapDecoder> decoder;
    hr = factory->CreateDecoderFromStream(stream.get(), nullptr, WICDecodeMetadataCacheOnDemand, decoder.put());
    if (FAILED(hr)) return FromHr(hr);
    ::win32::ComPtr<IWICBitmapFrameDecode> frame;
    if (FAILED(hr = decoder->GetFrame(0, frame.put()))) return FromHr(hr);
    UINT width = 0, height = 0;
    if (FAILED(hr = frame->GetSize(&width, &height))) return FromHr(hr);
    // Judged by the size it declares, before any pixel is decoded.
    const auto limit = static_cast<UINT>(MaxPictureSide(largest));
    if (width == 0 || height == 0 || width > limit || height > limit) return ::win32::Failure(ERROR_FILE_TOO_LARGE);
    ::win32::ComPtr<IWICFormatConverter> converter;
    if (FAILED(hr = factory->CreateFormatConverter(converter.put()))) return FromHr(hr);
    hr = converter->Initialize(frame.get(), kBgr24, WICBitmapDitherTypeNone, nullptr, 0.0, WICBitmapPaletteTypeCustom);
    if (FAILED(hr)) return FromHr(hr);
    // Fitted to the monitor with its shape kept, with a filter that averages what it
    // drops, and centred on black: the bitmap is the monitor's size, so no wallpaper
    // style stretches or crops it.
    const Screen size = FitWithin({static_cast<int>(width), static_cast<int>(height)}, canvas);
    IWICBitmapSource* source = converter.get();
    ::win32::ComPtr<IWICBitmapScaler> scaler;
    if (size.width != static_cast<int>(width) || size.height != static_cast<int>(height)) {
        if (FAILED(hr = factory->CreateBitmapScaler(scaler.put()))) return FromHr(hr);
        hr = scaler->Initialize(converter.get(), static_cast<UINT>(size.width), static_cast<UINT>(size.height),
                                WICBitmapInterpolationModeFant);
        if (FAILED(hr)) return FromHr(hr);
        source = scaler.get();
    }
    out.width = static_cast<UINT>(canvas.width);
    out.height = static_cast<UINT>(canvas.height);
    out.fitted = size;
    out.placement = Centre(size, canvas);
    out.rows.assign(out.Stride() * out.height, 0);
    std::uint8_t* at = out.Picture();
    hr = source->CopyPixels(nullptr, static_cast<UINT>(out.Stride()),
                            static_cast<UINT>(out.rows.data() + out.rows.size() - at), at);
    if (FAILED(hr)) return FromHr(hr);
    return suite::Outcome::Success();
}

// The bitmap file written straight from the decoded rows, bottom row first.
suite::Outcome WriteBitmap(const std::wstring& path, const Pixels& pixels) {
    ::win32::UniqueFile file(
        ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return LastError();
    const auto put = [&](const void* data, std::size_t size) {
        DWORD written = 0;
        return ::WriteFile(file.get(), data, static_cast<DWORD>(size), &written, nullptr) && written == size;
    };
    const std::string header = BmpHeader(pixels.width, pixels.height);
    if (!put(header.data(), header.size())) return LastError();
    const std::size_t stride = pixels.Stride();
    const std::size_t rowsAtOnce = std::max<std::size_t>(1, (1u << 20) / stride);
    std::vector<std::uint8_t> chunk;
    chunk.reserve(rowsAtOnce * stride);
    for (UINT y = pixels.height; y-- > 0;) {
        chunk.insert(chunk.end(), pixels.rows.begin() + static_cast<std::ptrdiff_t>(y * stride),
                     pixels.rows.begin() + static_cast<std::ptrdiff_t>((y + 1) * stride));
        if (chunk.size() + stride > chunk.capacity() || y == 0) {
            if (!put(chunk.data(), chunk.size())) return LastError();
            chunk.clear();
        }
    }
    return suite::Outcome::Success();
}

std::wstring FolderOf(const std::wstring& path) {
    const auto slash = path.rfind(L'\\');
    return slash == std::wstring::npos ? L"." : path.substr(0, slash);
}

}  // namespace

std::wstring NewTemporaryFile(const std::wstring& folder) {
    wchar_t path[MAX_PATH];
    if (!::GetTempFileNameW(folder.c_str(), L"nbx", 0, path)) return L"";
    // Some platforms report a name they could not create.
    if (::GetFileAttributesW(path) == INVALID_FILE_ATTRIBUTES) {
        ::SetLastError(ERROR_ACCESS_DENIED);
        return L"";
    }
    return path;
}

std::shared_ptr<Transfer> Transfer::Start(AttemptOrder order) {
    auto transfer = std::make_shared<Transfer>(std::move(order));
    // The thread holds its own reference until it ends.
    auto* held = new std::shared_ptr<Transfer>(transfer);
    ++running;
    ::win32::UniqueHandle thread(::CreateThread(nullptr, 0, ThreadMain, held, 0, nullptr));
    if (!thread) {
        --running;
        delete held;
        return nullptr;
    }
    return transfer;
}

DWORD WINAPI Transfer::ThreadMain(void* parameter) noexcept {
    const std::unique_ptr<std::shared_ptr<Transfer>> self(static_cast<std::shared_ptr<Transfer>*>(parameter));
    (*self)->Run();
    return 0;
}

bool Transfer::AnyRunning() noexcept { return running > 0; }

void Transfer::Abandon() noexcept {
    int working = kWorking;
    phase_.compare_exchange_strong(working, kAbandoned);  // an install under way finishes
    reporting_ = false;
    CloseHandles();
}

void Transfer::Run() noexcept {
    Ending ending = Ending::Failed;
    try {
        const HRESULT com = ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        ending = Work();
        if (SUCCEEDED(com)) ::CoUninitialize();
    } catch (...) {
        ending = Ending::Failed;  // out of memory, most likely: a failed attempt like any other
    }
    CloseHandles();
    done_ = true;
    ::PostMessageW(order_.window, kAttemptDone, order_.number, static_cast<LPARAM>(ending));
    --running;
}

Ending Transfer::Work() {
    std::string body;
    if (!Fetch(body)) {
        Report(kStateError);
        reporting_ = false;  // the closing of its connection comes after, and is not news
        return slotMissing_ ? Ending::SlotMissing : Ending::Failed;
    }
    Report(kStateResponseCompleted);
    reporting_ = false;  // the status line keeps the transfer's outcome
    CloseHandles();
    if (phase_ == kAbandoned || body.empty()) return Ending::Failed;
    // A map server's error comes as XML with status 200: for a time slot, most often one
    // not yet made.
    if (LooksLikeMarkup(body)) return Ending::SlotMissing;
    return Install(body) ? Ending::Installed : Ending::Failed;
}

suite::Outcome Transfer::Fetch(std::string& body) {
    const WinInet& net = WinInet::Get();
    if (!net.Complete()) return ::win32::Failure(ERROR_MOD_NOT_FOUND);
    // The system's proxy settings, as the user set them; certificates always checked.
    if (!Keep(session_, net.open(L"Nubilux/" SUITE_RELEASE_WIDE, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0)))
        return LastError();
    HINTERNET session = session_;
    DWORD timeout = kTimeoutMs;
    for (DWORD option : {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT, INTERNET_OPTION_RECEIVE_TIMEOUT})
        net.setOption(session, option, &timeout, sizeof timeout);
    net.setCallback(session, OnStatus);
    const HINTERNET opened =
        net.openUrl(session, order_.source.url.c_str(), nullptr, 0,
                    INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_PRAGMA_NOCACHE |
                        INTERNET_FLAG_NO_UI | INTERNET_FLAG_NO_COOKIES,
                    reinterpret_cast<DWORD_PTR>(this));
    if (!opened) return LastError();
    if (!Keep(request_, opened)) return ::win32::Failure(ERROR_CANCELLED);

    DWORD code = 0, size = sizeof code;
    if (!net.query(opened, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &code, &size, nullptr)) return LastError();
    if (code < 200 || code > 299) {
        slotMissing_ = code == HTTP_STATUS_NOT_FOUND || code >= 500;  // not there (yet), or the server's trouble with it
        return suite::Outcome::Failure(code, L"HTTP " + std::to_wstring(code));
    }
    // A published file's date tells a cache's old copy from the picture asked for.
    SYSTEMTIME modified{};
    size = sizeof modified;
    std::int64_t lastModified = 0;
    if (net.query(opened, HTTP_QUERY_LAST_MODIFIED | HTTP_QUERY_FLAG_SYSTEMTIME, &modified, &size, nullptr))
        lastModified = UnixSeconds(modified);
    if (order_.source.dated && IsStale(lastModified, order_.source.slot, NowUtc()))
        return ::win32::Failure(ERROR_INVALID_DATA);
    takenAt_ = order_.source.slot ? order_.source.slot : lastModified;
    DWORD announced = 0;
    size = sizeof announced;
    const bool hasLength =
        net.query(opened, HTTP_QUERY_CONTENT_LENGTH | HTTP_QUERY_FLAG_NUMBER, &announced, &size, nullptr) != FALSE;
    if (hasLength && announced > kMaxBody) return ::win32::Failure(ERROR_FILE_TOO_LARGE);
    if (hasLength) body.reserve(announced);

    char chunk[64 * 1024];
    for (;;) {
        DWORD got = 0;
        if (!net.read(opened, chunk, sizeof chunk, &got)) return LastError();
        if (phase_ == kAbandoned) return ::win32::Failure(ERROR_CANCELLED);  // a trickle past its time
        if (got == 0) break;
        if (body.size() + got > kMaxBody) return ::win32::Failure(ERROR_FILE_TOO_LARGE);
        body.append(chunk, got);
    }
    // A connection that broke off before the announced end is a failed transfer.
    if (hasLength && body.size() != announced) return ::win32::Failure(ERROR_HANDLE_EOF);
    return suite::Outcome::Success();
}

suite::Outcome Transfer::Install(const std::string& body) {
    Pixels pixels;
    suite::Outcome outcome = Decode(body, order_.largest, order_.canvas, pixels);
    if (!outcome) return outcome;
    if (IsNearlyOneColour(pixels.Picture(), static_cast<std::uint32_t>(pixels.fitted.width),
                          static_cast<std::uint32_t>(pixels.fitted.height), pixels.Stride()))
        return ::win32::Failure(ERROR_INVALID_DATA);
    // Written beside NUBILUX.BMP and moved over it only when whole: the previous picture
    // stays until then.
    const std::wstring converted = NewTemporaryFile(FolderOf(order_.image));
    if (converted.empty()) return LastError();
    outcome = WriteBitmap(converted, pixels);
    pixels = {};
    int working = kWorking;
    if (outcome && !phase_.compare_exchange_strong(working, kInstalling)) outcome = ::win32::Failure(ERROR_CANCELLED);
    if (outcome && !::MoveFileExW(converted.c_str(), order_.image.c_str(),
                                  MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        outcome = LastError();
    if (!outcome) {
        ::DeleteFileW(converted.c_str());
        return outcome;
    }
    return ::win32::Check(SetWallpaper(order_.monitors, order_.image));
}

bool Transfer::Keep(HINTERNET& slot, HINTERNET handle) {
    if (!handle) return false;
    const Lock lock(handles_);
    if (phase_ == kAbandoned) {
        WinInet::Get().close(handle);
        ::SetLastError(ERROR_CANCELLED);
        return false;
    }
    slot = handle;
    return true;
}

void Transfer::CloseHandles() noexcept {
    const Lock lock(handles_);
    const auto close = WinInet::Get().close;
    if (!close) return;
    if (request_) close(std::exchange(request_, nullptr));
    if (session_) close(std::exchange(session_, nullptr));
}

void Transfer::Report(int state) noexcept {
    if (reporting_) ::PostMessageW(order_.window, kAttemptState, order_.number, state);
}

void CALLBACK Transfer::OnStatus(HINTERNET, DWORD_PTR context, DWORD status, LPVOID, DWORD) noexcept {
    if (!context) return;  // the session's own notifications
    if (const auto state = StateForInternetStatus(status)) reinterpret_cast<Transfer*>(context)->Report(*state);
}

}  // namespace nubilux::win32
