// The fetch against the real system: a fetch closed from another thread returns whatever
// the server does, and a whole answer comes with its states.
#include <gtest/gtest.h>

#include <winsock2.h>
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "app/status.h"
#include "app/win32/fetch.h"
#include "loopback_server.h"

namespace {

using namespace nubilux;
using namespace nubilux::win32;
using test::Head;
using test::Server;
using test::WaitFor;

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
