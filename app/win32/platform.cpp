#include "app/win32/platform.h"

#include <utility>

#include <ras.h>
#include <shlobj.h>
#include <wincodec.h>
#include <wininet.h>

#include "app/addresses.h"
#include "app/bitmap.h"
#include "app/status.h"
#include "common/text.h"
#include "common/win32/error.h"
#include "common/win32/startup.h"

namespace nubilux::win32 {

using ::win32::LastError;
using ::win32::ProcAddress;

namespace {

constexpr std::size_t kMaxBody = 64u << 20;  // no unbounded memory for a picture
constexpr DWORD kTimeoutMs = 60 * 1000;
constexpr wchar_t kImageName[] = L"NUBILUX.BMP";

// WIC's identifiers, spelled out: taking them from its import library would tie the
// program to windowscodecs.dll at load time; COM loads it from system32 by full path.
constexpr CLSID kWicFactory = {0xcacaf262, 0x9370, 0x4615, {0xa1, 0x3b, 0x9f, 0x55, 0x39, 0xda, 0x4c, 0x0a}};
constexpr IID kIWicFactory = {0xec5ec8a9, 0xc395, 0x4314, {0x9c, 0x77, 0x54, 0xd7, 0xa9, 0x35, 0xff, 0x70}};
constexpr GUID kBgr24 = {0x6fddc324, 0x4e03, 0x4bfe, {0xb1, 0x85, 0x3d, 0x77, 0x76, 0x8d, 0xc9, 0x0c}};

suite::Outcome FromHr(HRESULT hr) { return ::win32::Failure(static_cast<DWORD>(hr)); }

suite::Outcome WriteWholeFile(const std::wstring& path, const void* data, std::size_t size) {
    ::win32::UniqueFile file(
        ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return LastError();
    DWORD written = 0;
    if (!::WriteFile(file.get(), data, static_cast<DWORD>(size), &written, nullptr) || written != size)
        return LastError();
    return suite::Outcome::Success();
}

// A new, empty file in folder, for writing before a move; empty when the folder takes no
// new file (some platforms report a name they could not create).
std::wstring TemporaryFile(const std::wstring& folder) {
    wchar_t path[MAX_PATH];
    if (!::GetTempFileNameW(folder.c_str(), L"nbx", 0, path)) return L"";
    if (::GetFileAttributesW(path) == INVALID_FILE_ATTRIBUTES) {
        ::SetLastError(ERROR_ACCESS_DENIED);
        return L"";
    }
    return path;
}

std::wstring FolderOf(const std::wstring& path) {
    const auto slash = path.rfind(L'\\');
    return slash == std::wstring::npos ? L"." : path.substr(0, slash);
}

// Decodes the picture file by its content into 24-bit BGR rows.
suite::Outcome Decode(const std::wstring& file, std::string& bmp) {
    ::win32::ComPtr<IWICImagingFactory> factory;
    HRESULT hr = ::CoCreateInstance(kWicFactory, nullptr, CLSCTX_INPROC_SERVER, kIWicFactory,
                                    factory.put_void());
    if (FAILED(hr)) return FromHr(hr);
    ::win32::ComPtr<IWICBitmapDecoder> decoder;
    hr = factory->CreateDecoderFromFilename(file.c_str(), nullptr, GENERIC_READ, WICDecodeMetadataCacheOnDemand,
                                            decoder.put());
    if (FAILED(hr)) return FromHr(hr);
    ::win32::ComPtr<IWICBitmapFrameDecode> frame;
    if (FAILED(hr = decoder->GetFrame(0, frame.put()))) return FromHr(hr);
    ::win32::ComPtr<IWICFormatConverter> converter;
    if (FAILED(hr = factory->CreateFormatConverter(converter.put()))) return FromHr(hr);
    hr = converter->Initialize(frame.get(), kBgr24, WICBitmapDitherTypeNone, nullptr, 0.0, WICBitmapPaletteTypeCustom);
    if (FAILED(hr)) return FromHr(hr);
    UINT width = 0, height = 0;
    if (FAILED(hr = converter->GetSize(&width, &height))) return FromHr(hr);
    const std::size_t stride = (static_cast<std::size_t>(width) * 3 + 3) & ~std::size_t{3};
    if (width == 0 || height == 0 || width > 32768 || height > 32768 || stride * height > (256u << 20))
        return ::win32::Failure(ERROR_INVALID_DATA);
    std::string rows(stride * height, '\0');
    hr = converter->CopyPixels(nullptr, static_cast<UINT>(stride), static_cast<UINT>(rows.size()),
                               reinterpret_cast<BYTE*>(rows.data()));
    if (FAILED(hr)) return FromHr(hr);
    bmp = EncodeBmp24(width, height, reinterpret_cast<const std::uint8_t*>(rows.data()), stride);
    return suite::Outcome::Success();
}

bool IsWritableFolder(const std::wstring& folder) {
    const std::wstring probe = TemporaryFile(folder);
    if (probe.empty()) return false;
    ::DeleteFileW(probe.c_str());
    return true;
}

}  // namespace

Platform::Platform(std::function<void(int)> onState, std::function<void(bool)> onWorking)
    : onState_(std::move(onState)), onWorking_(std::move(onWorking)),
      wininet_(::win32::LoadSystemLibrary(L"wininet.dll")), rasapi_(::win32::LoadSystemLibrary(L"rasapi32.dll")) {}

Platform::~Platform() { CancelFetch(); }

std::vector<Connection> Platform::EnumConnections() {
    std::vector<Connection> open;
    // Without the remote-access library there is no dial-up, so nothing is open.
    const auto enumerate = ProcAddress<decltype(&::RasEnumConnectionsW)>(rasapi_.get(), "RasEnumConnectionsW");
    if (!enumerate) return open;
    std::vector<RASCONNW> records(256);
    records[0].dwSize = sizeof(RASCONNW);
    DWORD bytes = static_cast<DWORD>(records.size() * sizeof(RASCONNW)), count = 0;
    if (enumerate(records.data(), &bytes, &count) != ERROR_SUCCESS) return open;
    for (DWORD i = 0; i < count && i < records.size(); ++i)
        open.push_back({records[i].szEntryName, reinterpret_cast<std::uintptr_t>(records[i].hrasconn)});
    return open;
}

void Platform::HangUp(std::uintptr_t handle) {
    if (const auto hangUp = ProcAddress<decltype(&::RasHangUpW)>(rasapi_.get(), "RasHangUpW"))
        hangUp(reinterpret_cast<HRASCONN>(handle));
}

void CALLBACK Platform::OnInternetStatus(HINTERNET, DWORD_PTR context, DWORD status, LPVOID, DWORD) noexcept {
    auto* self = reinterpret_cast<Platform*>(context);
    if (!self || !self->reporting_) return;
    if (const auto state = StateForInternetStatus(status)) {
        try {
            self->onState_(*state);
        } catch (...) {
        }
    }
}

suite::Outcome Platform::FetchFailed(suite::Outcome failure) {
    onState_(kStateError);
    return failure;
}

suite::Outcome Platform::Fetch(std::string& body) {
    HMODULE net = wininet_.get();
    const auto open = ProcAddress<decltype(&::InternetOpenW)>(net, "InternetOpenW");
    const auto openUrl = ProcAddress<decltype(&::InternetOpenUrlW)>(net, "InternetOpenUrlW");
    const auto read = ProcAddress<decltype(&::InternetReadFile)>(net, "InternetReadFile");
    const auto query = ProcAddress<decltype(&::HttpQueryInfoW)>(net, "HttpQueryInfoW");
    const auto setOption = ProcAddress<decltype(&::InternetSetOptionW)>(net, "InternetSetOptionW");
    const auto setCallback =
        ProcAddress<decltype(&::InternetSetStatusCallbackW)>(net, "InternetSetStatusCallbackW");
    if (!open || !openUrl || !read || !query || !setOption || !setCallback)
        return FetchFailed(::win32::Failure(ERROR_MOD_NOT_FOUND));

    CancelFetch();
    reporting_ = true;
    // The system's proxy settings, as the user set them.
    session_ = open(L"Nubilux/1.5", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
    if (!session_) return FetchFailed(LastError());
    DWORD timeout = kTimeoutMs;
    for (DWORD option : {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT, INTERNET_OPTION_RECEIVE_TIMEOUT})
        setOption(session_, option, &timeout, sizeof timeout);
    setCallback(session_, OnInternetStatus);
    request_ = openUrl(session_, kImageUrl, nullptr, 0,
                       INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_PRAGMA_NOCACHE |
                           INTERNET_FLAG_NO_UI | INTERNET_FLAG_NO_COOKIES,
                       reinterpret_cast<DWORD_PTR>(this));
    if (!request_) return FetchFailed(LastError());

    DWORD code = 0, size = sizeof code;
    if (!query(request_, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &code, &size, nullptr))
        return FetchFailed(LastError());
    if (code < 200 || code > 299) return FetchFailed(suite::Outcome::Failure(code, L"HTTP " + std::to_wstring(code)));
    DWORD announced = 0;
    size = sizeof announced;
    const bool hasLength =
        query(request_, HTTP_QUERY_CONTENT_LENGTH | HTTP_QUERY_FLAG_NUMBER, &announced, &size, nullptr) != FALSE;
    if (hasLength && announced > kMaxBody) return FetchFailed(::win32::Failure(ERROR_FILE_TOO_LARGE));

    std::string received;
    char chunk[64 * 1024];
    for (;;) {
        DWORD got = 0;
        if (!read(request_, chunk, sizeof chunk, &got)) return FetchFailed(LastError());
        if (got == 0) break;
        if (received.size() + got > kMaxBody) return FetchFailed(::win32::Failure(ERROR_FILE_TOO_LARGE));
        received.append(chunk, got);
    }
    // A connection that broke off before the announced end is a failed transfer.
    if (hasLength && received.size() != announced) return FetchFailed(::win32::Failure(ERROR_HANDLE_EOF));
    onState_(kStateResponseCompleted);
    body = std::move(received);
    return suite::Outcome::Success();
}

void Platform::CancelFetch() {
    const auto close = ProcAddress<decltype(&::InternetCloseHandle)>(wininet_.get(), "InternetCloseHandle");
    if (!close) return;
    // The status line keeps the outcome of the transfer, not the closing of its handles.
    reporting_ = false;
    if (request_) close(std::exchange(request_, nullptr));
    if (session_) close(std::exchange(session_, nullptr));
}

std::wstring Platform::ImageFile() {
    // Beside the program, as ever; but a standard user may not write Program Files, and
    // then the picture lives in the user's own application data.
    const std::wstring program = ::win32::ProgramFolder();
    if (IsWritableFolder(program)) return suite::JoinPath(program, kImageName);
    wchar_t local[MAX_PATH] = {};
    if (FAILED(::SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA | CSIDL_FLAG_CREATE, nullptr, 0, local)))
        return suite::JoinPath(program, kImageName);
    const std::wstring own = std::wstring(local) + L"\\Nubilux";
    ::CreateDirectoryW(own.c_str(), nullptr);
    return suite::JoinPath(own, kImageName);
}

bool Platform::HasContent(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    return ::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data) &&
           !(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && (data.nFileSizeLow || data.nFileSizeHigh);
}

suite::Outcome Platform::SaveAsBitmap(const std::string& picture, const std::wstring& target) {
    // The body is decoded from a file of its own; the bitmap is written beside the target
    // and moved over it only when whole, so a body that is no picture changes nothing.
    const std::wstring folder = FolderOf(target);
    const std::wstring downloaded = TemporaryFile(folder);
    if (downloaded.empty()) return LastError();
    std::string bmp;
    suite::Outcome outcome = WriteWholeFile(downloaded, picture.data(), picture.size());
    if (outcome) outcome = Decode(downloaded, bmp);
    ::DeleteFileW(downloaded.c_str());
    if (!outcome) return outcome;

    const std::wstring converted = TemporaryFile(folder);
    if (converted.empty()) return LastError();
    outcome = WriteWholeFile(converted, bmp.data(), bmp.size());
    if (outcome && !::MoveFileExW(converted.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        outcome = LastError();
    if (!outcome) ::DeleteFileW(converted.c_str());
    return outcome;
}

suite::Outcome Platform::SetWallpaper(const std::wstring& path) {
    std::wstring value = path;
    return ::win32::Check(::SystemParametersInfoW(SPI_SETDESKWALLPAPER, 0, value.data(),
                                                  SPIF_UPDATEINIFILE | SPIF_SENDWININICHANGE));
}

}  // namespace nubilux::win32
