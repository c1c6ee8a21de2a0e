// Test helpers for what crosses the network and threads: a one-connection HTTP server on
// the loopback, and a wait that polls.
#pragma once

#include <winsock2.h>
#include <windows.h>

#include <atomic>
#include <string>
#include <thread>

namespace test {

// Waits, up to `ms`, for the condition, pumping the thread's messages meanwhile.
template <typename Condition>
bool WaitFor(Condition done, int ms = 10'000) {
    const ULONGLONG until = ::GetTickCount64() + static_cast<ULONGLONG>(ms);
    while (!done()) {
        if (::GetTickCount64() > until) return false;
        ::Sleep(1);
    }
    return true;
}

// A one-connection HTTP server on the loopback: it answers the first request with the
// given headers and body, pausing where the test says.
class Server {
public:
    struct Answer {
        std::string head;           // status line and headers, with the blank line
        std::string body;
        std::size_t sendFirst = 0;  // bytes of the body sent before the pause
        int pauseMs = 0;            // then held this long (or until the test ends)
    };

    explicit Server(Answer answer) : answer_(std::move(answer)) {
        WSADATA data;
        ::WSAStartup(MAKEWORD(2, 2), &data);
        listener_ = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = ::htonl(INADDR_LOOPBACK);
        ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
        ::listen(listener_, 4);
        int size = sizeof address;
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &size);
        port_ = ::ntohs(address.sin_port);
        thread_ = std::thread([this] { Serve(); });
    }
    ~Server() {
        stop_ = true;
        ::closesocket(listener_);
        thread_.join();
        ::WSACleanup();
    }
    std::wstring Url() const { return L"http://127.0.0.1:" + std::to_wstring(port_) + L"/picture.jpg"; }

private:
    void Serve() {
        const SOCKET client = ::accept(listener_, nullptr, nullptr);
        if (client == INVALID_SOCKET) return;
        char request[4096];
        ::recv(client, request, sizeof request, 0);
        const std::string first = answer_.head + answer_.body.substr(0, answer_.sendFirst);
        ::send(client, first.data(), static_cast<int>(first.size()), 0);
        for (int waited = 0; waited < answer_.pauseMs && !stop_; waited += 10) ::Sleep(10);
        if (!stop_ && answer_.sendFirst < answer_.body.size()) {
            const std::string rest = answer_.body.substr(answer_.sendFirst);
            ::send(client, rest.data(), static_cast<int>(rest.size()), 0);
        }
        while (!stop_) ::Sleep(10);  // the connection stays open until the test ends
        ::closesocket(client);
    }

    Answer answer_;
    SOCKET listener_ = INVALID_SOCKET;
    unsigned short port_ = 0;
    std::thread thread_;
    std::atomic<bool> stop_{false};
};

inline std::string Head(std::size_t length) {
    return "HTTP/1.1 200 OK\r\nContent-Type: image/jpeg\r\nContent-Length: " + std::to_string(length) + "\r\n\r\n";
}

}  // namespace test
