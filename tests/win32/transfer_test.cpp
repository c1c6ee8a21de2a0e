// The attempt's thread and the fetch against the real system: given up at every moment of
// its life, the count of given-up threads stays true, and a fetch closed from the window's
// thread returns whatever the server does.
#include <gtest/gtest.h>

#include <winsock2.h>
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "app/status.h"
#include "app/win32/fetch.h"
#include "app/win32/messages.h"
#include "app/win32/transfer.h"

namespace {

using namespace nubilux;
using namespace nubilux::win32;

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

// A window that collects the attempts' reports, as Nubilux's window receives them.
class Reports {
public:
    Reports() : window_(::CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr)) {}
    ~Reports() {
        Pump();
        ::DestroyWindow(window_);
    }
    HWND Window() const { return window_; }
    // The reports that have come, in order.
    const std::vector<AttemptReport>& Pump() {
        MSG msg;
        while (::PeekMessageW(&msg, window_, kAttemptDone, kAttemptDone, PM_REMOVE))
            if (const auto report = TakeReport(msg.lParam)) got_.push_back(*report);
        return got_;
    }
    bool WaitForCount(std::size_t count) {
        return WaitFor([&] { return Pump().size() >= count; });
    }

private:
    HWND window_;
    std::vector<AttemptReport> got_;
};

// Work that the test holds at a point of its choosing.
class HeldWork final : public AttemptWork {
public:
    enum class Hold { None, BeforeClaim, AfterClaim };
    HeldWork(Hold hold, std::shared_ptr<std::atomic<bool>> release) : hold_(hold), release_(std::move(release)) {}

    AttemptEnd Run(const std::function<bool()>& claim) noexcept override {
        if (hold_ == Hold::BeforeClaim) Wait();
        if (!claim()) return {Ending::SourceFailed, Reason::NoAnswer, {}};
        if (hold_ == Hold::AfterClaim) Wait();  // the shell's call that does not come back
        return {Ending::Installed, Reason::None, L"C:\\N\\NUBILUX.BMP", 42};
    }
    void Close() noexcept override { closed_ = true; }

private:
    void Wait() {
        while (!*release_ && !closed_) ::Sleep(1);
    }
    Hold hold_;
    std::shared_ptr<std::atomic<bool>> release_;
    std::atomic<bool> closed_{false};
};

std::shared_ptr<Transfer> StartHeld(Reports& reports, unsigned number, HeldWork::Hold hold,
                                    std::shared_ptr<std::atomic<bool>> release) {
    return Transfer::Start(reports.Window(), number, std::make_unique<HeldWork>(hold, std::move(release)));
}

TEST(Transfer, AnAttemptThatHasEndedCannotBeGivenUpAndItsOneReportTellsAll) {
    Reports reports;
    const auto release = std::make_shared<std::atomic<bool>>(true);
    const auto transfer = StartHeld(reports, 7, HeldWork::Hold::None, release);
    ASSERT_TRUE(transfer);
    ASSERT_TRUE(WaitFor([&] { return transfer->Current() == Transfer::State::Done; }));
    // Ended, its report not yet handled: it is not counted as given up, nor as failed.
    EXPECT_FALSE(transfer->Abandon());
    EXPECT_EQ(Transfer::AbandonedRunning(), 0);
    ASSERT_TRUE(reports.WaitForCount(1));
    const AttemptReport& report = reports.Pump().front();
    EXPECT_EQ(report.number, 7u);
    EXPECT_EQ(report.end.ending, Ending::Installed);
    EXPECT_EQ(report.end.placed, L"C:\\N\\NUBILUX.BMP");
    EXPECT_EQ(report.end.takenAt, 42);
}

TEST(Transfer, AGivenUpAttemptCountsUntilItsThreadEndsAndStillReports) {
    Reports reports;
    const auto release = std::make_shared<std::atomic<bool>>(false);
    const auto transfer = StartHeld(reports, 8, HeldWork::Hold::BeforeClaim, release);
    ASSERT_TRUE(transfer);
    EXPECT_TRUE(transfer->Abandon());  // closes what holds it
    EXPECT_EQ(transfer->Current(), Transfer::State::GivenUp);
    ASSERT_TRUE(reports.WaitForCount(1));  // a waiting update learns that a thread has ended
    EXPECT_EQ(reports.Pump().front().end.ending, Ending::SourceFailed);
    EXPECT_EQ(Transfer::AbandonedRunning(), 0);
    EXPECT_TRUE(WaitFor([] { return !Transfer::AnyRunning(); }));
}

TEST(Transfer, AnInstallThatHangsIsPastGivingUpButCanBeForsaken) {
    Reports reports;
    const auto release = std::make_shared<std::atomic<bool>>(false);
    const auto transfer = StartHeld(reports, 9, HeldWork::Hold::AfterClaim, release);
    ASSERT_TRUE(WaitFor([&] { return transfer->Current() == Transfer::State::Installing; }));
    EXPECT_FALSE(transfer->Abandon());
    EXPECT_EQ(Transfer::AbandonedRunning(), 0);
    transfer->Forsake();
    EXPECT_EQ(Transfer::AbandonedRunning(), 1);  // a thread that may never end, counted
    *release = true;
    ASSERT_TRUE(reports.WaitForCount(1));
    EXPECT_EQ(Transfer::AbandonedRunning(), 0);
}

TEST(Transfer, GivingUpRacingTheEndNeverLeavesACountBehind) {
    Reports reports;
    const auto release = std::make_shared<std::atomic<bool>>(true);
    int givenUp = 0;
    constexpr unsigned kAttempts = 300;
    for (unsigned i = 1; i <= kAttempts; ++i) {
        const auto transfer = StartHeld(reports, i, HeldWork::Hold::None, release);
        ASSERT_TRUE(transfer);
        // Spun a little, so that the give-up lands anywhere around the thread's end.
        std::atomic<unsigned> spun{0};
        for (unsigned spin = 0; spin < (i * 37) % 5000; ++spin) spun.fetch_add(1, std::memory_order_relaxed);
        givenUp += transfer->Abandon();
    }
    ASSERT_TRUE(reports.WaitForCount(kAttempts));
    EXPECT_TRUE(WaitFor([] { return !Transfer::AnyRunning(); }));
    EXPECT_EQ(Transfer::AbandonedRunning(), 0) << givenUp << " of " << kAttempts << " given up";
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

std::string Head(std::size_t length) {
    return "HTTP/1.1 200 OK\r\nContent-Type: image/jpeg\r\nContent-Length: " + std::to_string(length) + "\r\n\r\n";
}

// Fetches on a thread of its own; the test closes the fetch from its thread.
struct Fetching {
    explicit Fetching(const std::wstring& url, std::function<void(int)> report = [](int) {})
        : fetch(std::move(report)) {
        source.url = url;
        thread = std::thread([this] {
            result = fetch.Get(source);
            done = true;
        });
    }
    ~Fetching() {
        if (thread.joinable()) thread.join();
    }
    Source source;
    HttpFetch fetch;
    Fetched result;
    std::atomic<bool> done{false};
    std::thread thread;
};

TEST(HttpFetch, GivenUpMidBodyTheRestIsNeverTaken) {
    // Windows aborts a read blocked on a closed handle; Wine lets it wait for the server,
    // so the server here lets go after three seconds.
    const std::string body(200'000, 'x');
    Server server({Head(body.size()), body, 1000, 3000});
    Fetching fetching(server.Url());
    ::Sleep(500);  // headers and the first bytes are in
    fetching.fetch.Close();
    ASSERT_TRUE(WaitFor([&] { return fetching.done.load(); }, 30'000)) << "the read did not return";
    EXPECT_FALSE(fetching.result.whole);
    EXPECT_TRUE(fetching.result.body.empty());
    EXPECT_EQ(fetching.result.reason, Reason::NoAnswer);
}

TEST(HttpFetch, AWholeAnswerJustAfterItsDeadlineIsNotTaken) {
    const std::string body(5000, 'y');
    Server server({Head(body.size()), body, 0, 700});  // headers at once, the whole body 0.7 s later
    Fetching fetching(server.Url());
    ::Sleep(400);
    fetching.fetch.Close();
    ASSERT_TRUE(WaitFor([&] { return fetching.done.load(); }, 15'000));
    EXPECT_FALSE(fetching.result.whole);
    EXPECT_TRUE(fetching.result.body.empty());
}

TEST(HttpFetch, ClosingWhileAReportIsBeingMadeEndsBoth) {
    const std::string body(5000, 'z');
    Server server({Head(body.size()), body, 10, 60'000});
    std::atomic<bool> inReport{false};
    std::atomic<int> reportsAfterClose{0};
    std::atomic<bool> closed{false};
    Fetching fetching(server.Url(), [&](int) {
        if (closed) ++reportsAfterClose;
        inReport = true;
        ::Sleep(200);  // the window's thread is slow to take the news
        inReport = false;
    });
    ASSERT_TRUE(WaitFor([&] { return inReport.load(); }));
    closed = true;
    fetching.fetch.Close();  // while a report is under way
    ASSERT_TRUE(WaitFor([&] { return fetching.done.load(); }, 15'000));
    EXPECT_FALSE(fetching.result.whole);
    ::Sleep(300);
    EXPECT_LE(reportsAfterClose.load(), 1);  // at most the one already under way when it closed
}

TEST(HttpFetch, AWholeAnswerIsTakenWithItsStatesReported) {
    const std::string body(3000, 'w');
    Server server({Head(body.size()), body, body.size(), 0});
    std::vector<int> states;
    std::mutex lock;
    Fetching fetching(server.Url(), [&](int state) {
        const std::lock_guard<std::mutex> held(lock);
        states.push_back(state);
    });
    fetching.thread.join();
    EXPECT_TRUE(fetching.result.whole);
    EXPECT_EQ(fetching.result.body, body);
    const std::lock_guard<std::mutex> held(lock);
    ASSERT_FALSE(states.empty());
    EXPECT_NE(std::find(states.begin(), states.end(), kStateRequestSent), states.end());
    EXPECT_EQ(states.back(), kStateResponseCompleted);
}

}  // namespace
