#include <zplatform/messaging.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <set>
#include <string>
#include <thread>
#include <vector>

using namespace std::chrono_literals;
using platform::Message;
using platform::WindowHandle;
using platform::WM_APP;

namespace {

// A registered window for the test's lifetime.
class TestWindow {
public:
    explicit TestWindow(platform::MessageHandler handler)
        : handle_(platform::registerWindow(std::move(handler))) {}
    ~TestWindow() { platform::unregisterWindow(handle_); }
    TestWindow(const TestWindow&) = delete;
    TestWindow& operator=(const TestWindow&) = delete;
    WindowHandle handle() const { return handle_; }

private:
    WindowHandle handle_;
};

// Removes the waker and UI pump a test installed.
struct CallbackReset {
    ~CallbackReset() {
        platform::setPostWaker({});
        platform::setUiPump({});
    }
};

bool post(WindowHandle window, unsigned msg, std::intptr_t lParam = 0) {
    return platform::postMessage(window, msg, 0, lParam);
}

// Records (message, lParam) of everything a window receives.
struct Recorder {
    std::vector<std::pair<unsigned, std::intptr_t>> got;
    platform::MessageHandler handler() {
        return [this](const Message& m) { got.emplace_back(m.msg, m.lParam); };
    }
};

using Got = std::vector<std::pair<unsigned, std::intptr_t>>;

}  // namespace

TEST(Messaging, HandlesAreNonZeroNeverReusedAndDeadOnesAreRefused) {
    std::set<WindowHandle> seen;
    for (int i = 0; i < 100; ++i) {
        const WindowHandle h = platform::registerWindow([](const Message&) {});
        EXPECT_NE(h, 0u);
        EXPECT_TRUE(seen.insert(h).second) << "handle " << h << " issued twice";
        EXPECT_TRUE(platform::isWindow(h));
        platform::unregisterWindow(h);
        EXPECT_FALSE(platform::isWindow(h));
        EXPECT_FALSE(post(h, WM_APP));
        platform::unregisterWindow(h);   // twice is harmless
    }
    EXPECT_FALSE(platform::isWindow(0));
    EXPECT_FALSE(post(0, WM_APP));
    EXPECT_FALSE(post(~WindowHandle{0}, WM_APP));   // never issued
    EXPECT_EQ(platform::pumpMessages(), 0);
}

TEST(Messaging, PostsFromManyThreadsArriveOnceInPerThreadOrderOnThePumpingThread) {
    constexpr int kThreads = 8;
    constexpr int kEach = 2000;
    CallbackReset reset;
    std::atomic<int> wakes{0};
    platform::setPostWaker([&] { ++wakes; });

    const auto pumpingThread = std::this_thread::get_id();
    std::vector<std::intptr_t> next(kThreads, 0);
    int received = 0, outOfOrder = 0, offThread = 0;
    TestWindow window([&](const Message& m) {
        if (std::this_thread::get_id() != pumpingThread) ++offThread;
        if (m.lParam != next[m.wParam]) ++outOfOrder;
        next[m.wParam] = m.lParam + 1;
        ++received;
    });

    std::vector<std::thread> posters;
    for (int t = 0; t < kThreads; ++t) {
        posters.emplace_back([&, t] {
            for (int i = 0; i < kEach; ++i)
                EXPECT_TRUE(platform::postMessage(window.handle(), WM_APP + 1, t, i));
        });
    }
    int delivered = 0;
    const auto deadline = std::chrono::steady_clock::now() + 20s;
    while (received < kThreads * kEach && std::chrono::steady_clock::now() < deadline) {
        delivered += platform::pumpMessages();
        std::this_thread::yield();
    }
    for (auto& p : posters) p.join();
    delivered += platform::pumpMessages();

    EXPECT_EQ(received, kThreads * kEach);
    EXPECT_EQ(delivered, kThreads * kEach);
    EXPECT_EQ(outOfOrder, 0);
    EXPECT_EQ(offThread, 0);
    for (int t = 0; t < kThreads; ++t) EXPECT_EQ(next[t], kEach) << "thread " << t;
    EXPECT_EQ(wakes, kThreads * kEach);
}

TEST(Messaging, WakerRunsAfterTheMessageIsQueuedAndOnlyForAcceptedPosts) {
    CallbackReset reset;
    Recorder recorder;
    TestWindow window(recorder.handler());
    int wakes = 0;
    // The waker may pump at once: the message is already queued and no lock is held.
    platform::setPostWaker([&] {
        ++wakes;
        platform::pumpMessages();
    });
    EXPECT_TRUE(post(window.handle(), WM_APP, 7));
    EXPECT_EQ(recorder.got, (Got{{WM_APP, 7}}));
    EXPECT_FALSE(post(0, WM_APP));
    EXPECT_EQ(wakes, 1);
}

TEST(Messaging, UnregisteringDropsTheWindowsQueuedMessagesOnly) {
    Recorder a, b;
    TestWindow windowB(b.handler());
    const WindowHandle windowA = platform::registerWindow(a.handler());
    post(windowA, WM_APP, 1);
    post(windowB.handle(), WM_APP, 2);
    post(windowA, WM_APP, 3);
    post(windowB.handle(), WM_APP + 2, 4);
    platform::unregisterWindow(windowA);
    EXPECT_EQ(platform::pumpMessages(), 2);
    EXPECT_TRUE(a.got.empty());
    EXPECT_EQ(b.got, (Got{{WM_APP, 2}, {WM_APP + 2, 4}}));
}

TEST(Messaging, HandlerMayUnregisterAWindowWhoseMessagesAreStillQueued) {
    Recorder b;
    std::vector<std::string> order;
    const WindowHandle windowB = platform::registerWindow(b.handler());
    WindowHandle windowA = 0;
    windowA = platform::registerWindow([&](const Message& m) {
        order.push_back("a" + std::to_string(m.lParam));
        platform::unregisterWindow(windowB);
        platform::unregisterWindow(windowA);   // its own: the running handler stays alive
    });
    post(windowA, WM_APP, 1);
    post(windowB, WM_APP, 2);
    post(windowA, WM_APP, 3);
    EXPECT_EQ(platform::pumpMessages(), 1);
    EXPECT_EQ(order, (std::vector<std::string>{"a1"}));
    EXPECT_TRUE(b.got.empty());
    EXPECT_FALSE(platform::isWindow(windowA));
}

TEST(Messaging, MessagePostedByAHandlerWaitsForTheNextPump) {
    int calls = 0;
    WindowHandle self = 0;
    TestWindow window([&](const Message&) {
        ++calls;
        EXPECT_TRUE(post(self, WM_APP));   // would never end if delivered in the same pump
    });
    self = window.handle();
    post(self, WM_APP);
    EXPECT_EQ(platform::pumpMessages(), 1);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(platform::pumpMessages(), 1);
    EXPECT_EQ(calls, 2);
}

TEST(Messaging, HandlerThatPumpsKeepsTheOrderOfDelivery) {
    std::vector<std::intptr_t> order;
    TestWindow window([&](const Message& m) {
        order.push_back(m.lParam);
        if (m.lParam == 1) platform::processPendingMessages();   // e.g. waiting for a worker
    });
    for (int i = 1; i <= 4; ++i) post(window.handle(), WM_APP, i);
    platform::pumpMessages();
    EXPECT_EQ(order, (std::vector<std::intptr_t>{1, 2, 3, 4}));
}

TEST(Messaging, ProcessPendingMessagesUsesTheInstalledUiPump) {
    CallbackReset reset;
    Recorder recorder;
    TestWindow window(recorder.handler());
    int pumps = 0;
    platform::setUiPump([&] { ++pumps; });
    post(window.handle(), WM_APP, 5);
    platform::processPendingMessages();
    EXPECT_EQ(pumps, 1);
    EXPECT_TRUE(recorder.got.empty());   // delivering is the UI pump's business now

    platform::setUiPump({});
    platform::processPendingMessages();
    EXPECT_EQ(pumps, 1);
    EXPECT_EQ(recorder.got, (Got{{WM_APP, 5}}));
}
