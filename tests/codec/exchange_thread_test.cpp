// The life of an exchange: its window message, its time-outs, termination,
// and Communicate waiting for it while the user interface keeps running.
#include <zcodec/clientthread.h>
#include <zplatform/messaging.h>

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "exchange_peer.h"
#include "resource_limits.h"
#include "test_env.h"

namespace {

using namespace std::chrono_literals;
using namespace std::string_literals;
using Clock = std::chrono::steady_clock;
using exchangetest::number;
using exchangetest::runExchange;
using exchangetest::ScriptedPeer;
using exchangetest::text;

// A registered window that keeps what it is sent.
class RecordingWindow {
public:
    RecordingWindow() : handle_(platform::registerWindow([this](const platform::Message& m) { got.push_back(m); })) {}
    ~RecordingWindow() { platform::unregisterWindow(handle_); }
    platform::WindowHandle handle() const { return handle_; }
    std::vector<platform::Message> got;

private:
    platform::WindowHandle handle_;
};

long msSince(Clock::time_point start) {
    return long(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
}

// Every wait shortened a thousandfold: 900 ms instead of a quarter of an hour.
testenv::ScopedEnv shortTimeouts() { return testenv::ScopedEnv("ZENTROPE_TEST_TIMEOUT_SCALE", "0.001"); }

TEST(ExchangeThread, FinishedExchangePostsToItsOwner) {
    ScriptedPeer peer;
    RecordingWindow window;
    peer.push(number(31));
    auto thread = runExchange("NEWSESSION", "", peer.address(), encdec::ttEncrypt, 0, "", window.handle());
    EXPECT_TRUE(thread->Finished.load());
    EXPECT_EQ(platform::pumpMessages(), 1);
    ASSERT_EQ(window.got.size(), 1u);
    EXPECT_EQ(window.got[0].msg, platform::WM_APP);
    EXPECT_EQ(window.got[0].wParam, reinterpret_cast<std::uintptr_t>(thread.get()));
    EXPECT_EQ(window.got[0].lParam, 31);
}

TEST(ExchangeThread, DeliveredJobTellsTheOwnerTwice) {
    testenv::IsolatedMachine machine;
    testenv::writeFile(machine.dir().file("job.gz"), "JOB");
    ScriptedPeer peer;
    RecordingWindow window;
    peer.push(number(12));
    peer.push(text("OK"));
    auto thread = runExchange("PRFILE", "Laser\x04" + machine.dir().file("job.gz"), peer.address(),
                              encdec::ttEncryptDecompress, 12, "", window.handle());
    platform::pumpMessages();
    ASSERT_EQ(window.got.size(), 2u);
    EXPECT_EQ(window.got[0].lParam, 1) << "the confirmation, which ended first";
    EXPECT_EQ(window.got[1].wParam, reinterpret_cast<std::uintptr_t>(thread.get()));
    EXPECT_EQ(window.got[1].lParam, 12);
}

TEST(ExchangeThread, GoneOwnerIsNotPosted) {
    ScriptedPeer peer;
    platform::WindowHandle gone;
    {
        RecordingWindow window;
        gone = window.handle();
    }
    peer.push(text("PRINTERNAM=Laser"));
    auto thread = runExchange("ASKPRN", "Laser", peer.address(), encdec::ttNone, 0, "", gone);
    EXPECT_EQ(thread->ReturnValue, 1);
    EXPECT_EQ(platform::pumpMessages(), 0);
}

TEST(ExchangeThread, RefusedConnectionIsNoAnswer) {
    const int port = testenv::freeLocalPort();
    auto start = Clock::now();
    auto thread = runExchange("ASKPRN", "Laser", "127.0.0.1:" + std::to_string(port));
    EXPECT_LT(msSince(start), 5000);
    EXPECT_EQ(thread->ReturnValue, 0);
    EXPECT_EQ(thread->ErrorCode, encdec::kErrNoAnswer);
    EXPECT_EQ(thread->GetAnswerAsPointer(), nullptr);
}

// A large request leaves through sendfile, which has no MSG_NOSIGNAL: a server
// that resets the connection mid-upload must fail the exchange, not raise
// SIGPIPE and end the whole program.
TEST(ExchangeThread, ServerResettingALargeUploadIsNoAnswer) {
    const int listener = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    socklen_t len = sizeof addr;
    getsockname(listener, reinterpret_cast<sockaddr*>(&addr), &len);
    listen(listener, 1);
    std::thread peer([listener] {
        const int fd = accept(listener, nullptr, nullptr);
        char buf[4096];
        (void)!recv(fd, buf, sizeof buf, 0);
        linger reset{1, 0};
        setsockopt(fd, SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
        close(fd);
    });
    testenv::IsolatedMachine machine;
    const std::string big(8 * 1024 * 1024, 'x');   // well past the in-memory limit: a temporary file
    auto thread = runExchange("ASKPRN", big, "127.0.0.1:" + std::to_string(ntohs(addr.sin_port)));
    peer.join();
    close(listener);
    EXPECT_EQ(thread->ReturnValue, 0);
    EXPECT_EQ(thread->ErrorCode, encdec::kErrNoAnswer);
}

TEST(ExchangeThread, SilentServerTimesOut) {
    auto knob = shortTimeouts();
    ScriptedPeer peer;
    exchangetest::Reply silent;
    silent.silent = true;
    peer.push(silent);
    auto start = Clock::now();
    auto thread = runExchange("ASKPRN", "Laser", peer.address());
    EXPECT_GE(msSince(start), 800);
    EXPECT_LT(msSince(start), 10000);
    EXPECT_EQ(thread->ReturnValue, 0);
    EXPECT_EQ(thread->ErrorCode, encdec::kErrNoAnswer);
}

TEST(ExchangeThread, DeletingARunningExchangeStopsIt) {
    // Full time-outs: only the termination request can end this quickly.
    ScriptedPeer peer;
    exchangetest::Reply silent;
    silent.silent = true;
    peer.push(silent);
    auto thread = std::make_unique<encdec::TClientThread>(false, "ASKPRN", "Laser", peer.address(), 0,
                                                          encdec::ttNone, 0, 0, "");
    ASSERT_TRUE(peer.waitForRequests(1, 10000));
    auto start = Clock::now();
    thread.reset();
    EXPECT_LT(msSince(start), 2000);
}

TEST(ExchangeThread, DelayKeepsTheConnectionAfterTheAnswer) {
    ScriptedPeer peer;
    peer.push(text("OK"));
    auto start = Clock::now();
    auto thread = std::make_unique<encdec::TClientThread>(false, "CONFIRM", "5", peer.address(), 0, encdec::ttNone,
                                                          0, 300, "");
    thread->waitFor();
    EXPECT_GE(msSince(start), 300);
    EXPECT_EQ(thread->ReturnValue, 1);
}

TEST(ExchangeCommunicate, FinishedExchangeFillsTheResult) {
    ScriptedPeer peer;
    auto reply = text("PRINTERNAM=Laser\r\nCOLOR=1\r\n");
    reply.ackError = 17;
    reply.errorText = "Warm-up";
    peer.push(reply);
    encdec::TCommResult result;
    auto thread = encdec::Communicate("ASKPRN", "Laser", peer.address(), 0, result, encdec::ttNone, 0, 0, "");
    ASSERT_NE(thread, nullptr);
    EXPECT_TRUE(thread->Finished.load());
    EXPECT_EQ(result.ReturnValue, 1);
    EXPECT_EQ(result.ErrorCode, 17);
    EXPECT_EQ(result.ErrorMsg, "Warm-up");
    encdec::StringList lines;
    thread->GetAnswerAsStrings(lines);
    EXPECT_EQ(lines, (encdec::StringList{"PRINTERNAM=Laser", "COLOR=1"}));
}

TEST(ExchangeCommunicate, ArgumentsRefusedBeforeSendingComeBackAsResult) {
    ScriptedPeer peer;
    encdec::TCommResult result;
    auto thread = encdec::Communicate("CONFIRM", "0", peer.address(), 0, result, encdec::ttNone, 0, 0, "");
    ASSERT_NE(thread, nullptr);
    EXPECT_EQ(result.ReturnValue, 0);
    EXPECT_EQ(result.ErrorCode, encdec::kErrBadArguments);
    EXPECT_EQ(result.ErrorMsg, "");
    EXPECT_EQ(peer.connections(), 0);
}

TEST(ExchangeCommunicate, UserInterfaceRunsWhileWaiting) {
    ScriptedPeer peer;
    auto reply = text("OK");
    reply.delayMs = 300;
    peer.push(reply);
    RecordingWindow window;
    platform::postMessage(window.handle(), platform::WM_APP + 20, 0, 0);
    encdec::TCommResult result;
    auto thread = encdec::Communicate("CHKPASS", "secret", peer.address(), 0, result, encdec::ttNone, 0, 0, "");
    ASSERT_EQ(window.got.size(), 1u) << "delivered while Communicate waited";
    EXPECT_EQ(window.got[0].msg, platform::WM_APP + 20);
    EXPECT_EQ(result.ReturnValue, 1);
}

TEST(ExchangeCommunicate, TimeOutStopsTheExchangeAndReturnsNothing) {
    auto knob = shortTimeouts();
    ScriptedPeer peer;
    // Keeps every single read alive far longer than Communicate waits.
    auto reply = text(std::string(200, 'a'));
    reply.trickleMs = 50;
    peer.push(reply);
    encdec::TCommResult result;
    result.ErrorMsg = "stale";
    auto start = Clock::now();
    auto thread = encdec::Communicate("ASKPRN", "Laser", peer.address(), 0, result, encdec::ttNone, 0, 0, "");
    const long elapsed = msSince(start);
    EXPECT_EQ(thread, nullptr);
    EXPECT_EQ(result.ReturnValue, 0);
    EXPECT_EQ(result.ErrorCode, encdec::kErrNoAnswer);
    EXPECT_EQ(result.ErrorMsg, "0");
    EXPECT_GE(elapsed, 800);
    EXPECT_LT(elapsed, 5000) << "the exchange must stop at once, not after the trickle's 10 s";
}

TEST(ExchangeCommunicate, UnreachableServerIsNoAnswer) {
    encdec::TCommResult result;
    auto thread = encdec::Communicate("GETPRNAMES", "", "127.0.0.1:" + std::to_string(testenv::freeLocalPort()), 0,
                                      result, encdec::ttNone, 0, 0, "");
    ASSERT_NE(thread, nullptr);
    EXPECT_EQ(result.ReturnValue, 0);
    EXPECT_EQ(result.ErrorCode, encdec::kErrNoAnswer);
    encdec::StringList lines{"stale"};
    thread->GetAnswerAsStrings(lines);
    EXPECT_TRUE(lines.empty());
}

// Where no thread can be started the exchange gives the cleared result at
// once; it runs in a child that may not start another thread.
TEST(ExchangeCommunicate, AThreadThatCannotStartGivesTheClearedResult) {
    const int status = testenv::inChildWithoutThreads([] {
        encdec::TCommResult result;
        result.ErrorCode = 5;
        const auto start = Clock::now();
        auto thread = encdec::Communicate("GETPRNAMES", "", "127.0.0.1:9", 0, result, encdec::ttNone, 0, 0, "");
        if (thread || msSince(start) > 1000) return 1;
        return result.ReturnValue == 0 && result.ErrorCode == 0 && result.ErrorMsg == "0" ? 0 : 2;
    });
    ASSERT_NE(status, testenv::kNoThreadLimit) << "cannot drop privileges or limit threads";
    EXPECT_EQ(status, 0) << "1: a thread came back or it took long, 2: the result was not cleared";
}

}  // namespace
