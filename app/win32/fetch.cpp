#include "app/win32/fetch.h"

#include <algorithm>
#include <string>
#include <utility>

#include "app/status.h"
#include "app/win32/clock.h"
#include "common/win32/startup.h"
#include "common/win32/unique.h"
#include "suite_version.h"

namespace nubilux::win32 {

using ::win32::ProcAddress;

namespace {

// Not in every SDK's headers: the body's content encoding could not be decoded.
constexpr DWORD kDecodingFailed = 12175;

constexpr DWORD kTimeoutMs = 60 * 1000;
// Room made at once for an announced body: more comes as it arrives, so that a body
// announced larger than it is commits only what came.
constexpr std::size_t kReservedBody = 8u << 20;

// WinINet, loaded from system32 once for the worker's one attempt; it goes with the worker.
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

Fetched Failed(DWORD error) { return Fetched::Failure(ReasonForNetError(error)); }

}  // namespace

Reason ReasonForNetError(DWORD code) {
    switch (code) {
    case ERROR_INTERNET_TIMEOUT:
    case ERROR_CANCELLED:  // given up at its deadline
        return Reason::NoAnswer;
    case ERROR_INTERNET_SEC_CERT_DATE_INVALID:
    case ERROR_INTERNET_SEC_CERT_CN_INVALID:
    case ERROR_INTERNET_CLIENT_AUTH_CERT_NEEDED:
    case ERROR_INTERNET_INVALID_CA:
    case ERROR_INTERNET_SEC_CERT_ERRORS:
    case ERROR_INTERNET_SEC_CERT_REV_FAILED:
    case ERROR_INTERNET_SEC_INVALID_CERT:
    case ERROR_INTERNET_SEC_CERT_REVOKED:
    case ERROR_INTERNET_SECURITY_CHANNEL_ERROR:  // no secure channel could be agreed with the server
        return Reason::Certificate;
    case kDecodingFailed:
    case ERROR_FILE_TOO_LARGE:           // larger than any picture may be
    case ERROR_HANDLE_EOF:               // cut off before its announced end
        return Reason::BadPicture;
    default:
        return Reason::NoConnection;
    }
}

std::optional<int> StateForInternetStatus(DWORD status) {
    switch (status) {
    case INTERNET_STATUS_RESOLVING_NAME: return 1;
    case INTERNET_STATUS_NAME_RESOLVED: return 2;
    case INTERNET_STATUS_CONNECTING_TO_SERVER: return 3;
    case INTERNET_STATUS_CONNECTED_TO_SERVER: return 4;
    case INTERNET_STATUS_SENDING_REQUEST: return 5;
    case INTERNET_STATUS_REQUEST_SENT: return kStateRequestSent;
    case INTERNET_STATUS_RECEIVING_RESPONSE: return 7;
    case INTERNET_STATUS_RESPONSE_RECEIVED: return 8;
    case INTERNET_STATUS_CLOSING_CONNECTION: return 9;
    case INTERNET_STATUS_CONNECTION_CLOSED: return 10;
    case INTERNET_STATUS_REQUEST_COMPLETE: return kStateResponseCompleted;
    default: return std::nullopt;
    }
}

Fetched HttpFetch::Get(const Source& source) {
    bool completed = false;  // the answer came whole, whatever it holds
    Fetched fetched = [&] {
        const WinInet& net = WinInet::Get();
        if (!net.Complete()) return Failed(ERROR_MOD_NOT_FOUND);
        if (!Keep(session_, net.open(L"Nubilux/" SUITE_RELEASE_WIDE, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0)))
            return Failed(::GetLastError());
        HINTERNET session = session_;
        DWORD timeout = kTimeoutMs;
        for (DWORD option : {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT, INTERNET_OPTION_RECEIVE_TIMEOUT})
            net.setOption(session, option, &timeout, sizeof timeout);
        net.setCallback(session, OnStatus);
        const HINTERNET opened =
            net.openUrl(session, source.url.c_str(), nullptr, 0,
                        INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_PRAGMA_NOCACHE |
                            INTERNET_FLAG_NO_UI | INTERNET_FLAG_NO_COOKIES,
                        reinterpret_cast<DWORD_PTR>(this));
        if (!opened) return Failed(closed_ ? ERROR_CANCELLED : ::GetLastError());
        if (!Keep(request_, opened)) return Failed(ERROR_CANCELLED);

        DWORD code = 0, size = sizeof code;
        if (!net.query(opened, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &code, &size, nullptr))
            return Failed(::GetLastError());
        if (code < 200 || code > 299) return Fetched::WithStatus(static_cast<int>(code));
        // A published file's date tells a cache's old copy from the picture asked for.
        SYSTEMTIME modified{};
        size = sizeof modified;
        std::int64_t lastModified = 0;
        if (net.query(opened, HTTP_QUERY_LAST_MODIFIED | HTTP_QUERY_FLAG_SYSTEMTIME, &modified, &size, nullptr))
            lastModified = UnixSeconds(modified);
        if (source.dated && IsStale(lastModified, source.slot, NowUtc())) return Fetched::StaleCopy(source.slot);
        DWORD announced = 0;
        size = sizeof announced;
        const bool hasLength =
            net.query(opened, HTTP_QUERY_CONTENT_LENGTH | HTTP_QUERY_FLAG_NUMBER, &announced, &size, nullptr) != FALSE;
        if (hasLength && announced > kMaxBodyBytes) return Failed(ERROR_FILE_TOO_LARGE);
        Fetched whole;
        if (hasLength) whole.body.reserve(std::min<std::size_t>(announced, kReservedBody));
        char chunk[64 * 1024];
        for (;;) {
            DWORD got = 0;
            if (!net.read(opened, chunk, sizeof chunk, &got)) return Failed(closed_ ? ERROR_CANCELLED : ::GetLastError());
            if (closed_) return Failed(ERROR_CANCELLED);  // a trickle past its time
            if (got == 0) break;
            if (whole.body.size() + got > kMaxBodyBytes) return Failed(ERROR_FILE_TOO_LARGE);
            whole.body.append(chunk, got);
        }
        // A connection that broke off before the announced end is a failed transfer.
        if (hasLength && whole.body.size() != announced) return Failed(ERROR_HANDLE_EOF);
        completed = true;
        whole.takenAt = source.slot ? source.slot : lastModified;
        whole.whole = !whole.body.empty();
        if (!whole.whole) whole.reason = Reason::BadPicture;
        return whole;
    }();
    if (!closed_) report_(completed ? kStateResponseCompleted : kStateError);
    Close();  // the closing of its connection comes after, and is not news
    return fetched;
}

bool HttpFetch::Keep(HINTERNET& slot, HINTERNET handle) {
    if (!handle) return false;
    const ::win32::Locked lock(handles_);
    if (closed_) {
        WinInet::Get().close(handle);
        ::SetLastError(ERROR_CANCELLED);
        return false;
    }
    slot = handle;
    return true;
}

void HttpFetch::Close() noexcept {
    closed_ = true;  // from here on nothing is reported, and Keep closes what it is given
    const ::win32::Locked lock(handles_);
    const auto close = WinInet::Get().close;
    if (!close) return;
    if (request_) close(std::exchange(request_, nullptr));
    if (session_) close(std::exchange(session_, nullptr));
}

void CALLBACK HttpFetch::OnStatus(HINTERNET, DWORD_PTR context, DWORD status, LPVOID, DWORD) noexcept {
    if (!context) return;  // the session's own notifications
    auto* self = reinterpret_cast<HttpFetch*>(context);
    if (self->closed_) return;
    if (const auto state = StateForInternetStatus(status)) self->report_(*state);
}

}  // namespace nubilux::win32
