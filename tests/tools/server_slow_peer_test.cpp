// The reference server against peers that hold connections without finishing
// their requests, run as its real binary over TCP on 127.0.0.1: they must not
// keep real requests from being answered, and each is cut off at its deadline.
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <future>
#include <regex>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "server_process.h"

namespace {

using namespace servertest;
using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// Whether the server has closed the connection, without waiting.
bool closedNow(int fd) {
    pollfd p{fd, POLLIN, 0};
    char c;
    return poll(&p, 1, 0) == 1 && recv(fd, &c, 1, MSG_PEEK | MSG_DONTWAIT) <= 0;
}

// Connections that send the start of a request and then, every interval
// (never, for an interval of zero), one byte more.
class SlowPeers {
public:
    SlowPeers(int port, int count, const Bytes& start, milliseconds interval) {
        for (int i = 0; i < count; ++i) {
            const int fd = connectLocal(port);
            if (fd < 0) {
                ADD_FAILURE() << "connection " << i << " could not be made";
                break;
            }
            sendAll(fd, start);
            fds_.push_back(fd);
        }
        if (interval.count() > 0) thread_ = std::thread([this, interval] {
            while (!stop_.load()) {
                for (int fd : fds_) send(fd, "A", 1, MSG_NOSIGNAL | MSG_DONTWAIT);
                std::this_thread::sleep_for(interval);
            }
        });
    }
    ~SlowPeers() {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
        for (int fd : fds_) close(fd);
    }
    int closedByServer() const {
        int closed = 0;
        for (int fd : fds_) closed += closedNow(fd);
        return closed;
    }
    const std::vector<int>& fds() const { return fds_; }

private:
    std::vector<int> fds_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

// With the production limits and time-outs, 200 connections that sent a few
// header bytes (half of them one more every 200 ms) leave the server
// answering at once; it keeps them open, as their deadlines have not passed.
TEST(ServerSlowPeerTest, RealRequestsAreAnsweredWhileTwoHundredSlowPeersHoldConnections) {
    testenv::ReferenceServer server(R"({"printers": [{"name": "laser"}]})");
    SlowPeers idle(server.port(), 100, bytes("ASK"), milliseconds(0));
    SlowPeers trickling(server.port(), 100, bytes("A"), milliseconds(200));
    for (int i = 0; i < 5; ++i) {
        const int fd = connectLocal(server.port());
        ASSERT_GE(fd, 0);
        const auto start = Clock::now();
        const Bytes name = bytes(std::string("laser", 6));
        Bytes wire = requestHeader(Request{"ASKPRN", name}, std::int32_t(name.size()));
        wire.insert(wire.end(), name.begin(), name.end());
        sendAll(fd, wire);
        const WireAnswer a = readAnswer(fd, 2000);
        close(fd);
        ASSERT_TRUE(a.received) << "request " << i << "\n" << server.log();
        EXPECT_EQ(a.header.AckError, 0) << "request " << i;
        EXPECT_LT(Clock::now() - start, std::chrono::seconds(2)) << "request " << i;
        std::this_thread::sleep_for(milliseconds(100));
    }
    EXPECT_EQ(idle.closedByServer() + trickling.closedByServer(), 0) << server.log();
}

struct Cutoff {
    bool closed = false;
    milliseconds after{0};
};

// Sends the start, then one byte every 100 ms, until the server closes the
// connection (or 8 s pass).
Cutoff trickleUntilClosed(int port, const Bytes& start) {
    Cutoff result;
    const int fd = connectLocal(port);
    if (fd < 0) return result;
    const auto begin = Clock::now();
    sendAll(fd, start);
    while (Clock::now() - begin < std::chrono::seconds(8)) {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, 100) == 1 && closedNow(fd)) {
            result.closed = true;
            break;
        }
        send(fd, "x", 1, MSG_NOSIGNAL | MSG_DONTWAIT);
    }
    result.after = std::chrono::duration_cast<milliseconds>(Clock::now() - begin);
    close(fd);
    return result;
}

// Sends the request at about bytesPerSecond and reads the answer.
WireAnswer sendAtRate(int port, const Request& r, std::size_t bytesPerSecond) {
    const int fd = connectLocal(port);
    if (fd < 0) return WireAnswer();
    Bytes wire = requestHeader(r, std::int32_t(r.payload.size()));
    wire.insert(wire.end(), r.payload.begin(), r.payload.end());
    const std::size_t piece = bytesPerSecond / 10;
    for (std::size_t at = 0; at < wire.size(); at += piece) {
        sendAll(fd, Bytes(wire.begin() + long(at), wire.begin() + long(std::min(wire.size(), at + piece))));
        std::this_thread::sleep_for(milliseconds(100));
    }
    WireAnswer a = readAnswer(fd, 3000);
    close(fd);
    return a;
}

// The header has 1 s, a payload 1 s plus one per 64 KiB it announces. Bytes
// now and then (well within the 600 ms idle time-out) do not stretch either;
// a large upload arriving steadily above the minimum rate gets the time it needs.
TEST(ServerSlowPeerTest, TricklingPeersAreCutOffAtTheirDeadlinesAndSteadyUploadsComplete) {
    testenv::ReferenceServer server(R"({"io_timeout_ms": 600, "header_deadline_ms": 1000, "payload_deadline_ms": 1000,
                             "min_bytes_per_second": 65536, "printers": [{"name": "laser"}]})");
    const int port = server.port();
    const Bytes header = requestHeader(Request{"GETPRNAMES", {}}, 65536);   // deadline 1 s + 1 s

    auto inHeader = std::async(std::launch::async, [&] { return trickleUntilClosed(port, bytes("G")); });
    auto inPayload = std::async(std::launch::async, [&] { return trickleUntilClosed(port, header); });
    // 256 KiB at 128 KiB/s: 2 s, past the 1 s minimum, within its 1 s + 4 s.
    auto steady = std::async(std::launch::async, [&] {
        return sendAtRate(port, Request{"GETPRNAMES", Bytes(256 << 10, '1')}, 128 << 10);
    });

    const Cutoff headerCut = inHeader.get();
    EXPECT_TRUE(headerCut.closed);
    EXPECT_GE(headerCut.after, milliseconds(900));
    EXPECT_LT(headerCut.after, milliseconds(2500));
    const Cutoff payloadCut = inPayload.get();
    EXPECT_TRUE(payloadCut.closed);
    EXPECT_GE(payloadCut.after, milliseconds(1900));
    EXPECT_LT(payloadCut.after, milliseconds(3500));
    const WireAnswer a = steady.get();
    ASSERT_TRUE(a.received) << server.log();
    EXPECT_EQ(a.header.AckError, 0);
    EXPECT_EQ(text(a.payload), "laser\r\n");

    ASSERT_TRUE(server.logShows(" of 65536 payload bytes")) << server.log();
    const std::string log = server.log();
    EXPECT_TRUE(std::regex_search(log, std::regex("dropped: deadline passed after [0-9]+ of 256 header bytes")))
        << log;
    EXPECT_TRUE(std::regex_search(log, std::regex("dropped: deadline passed after [0-9]+ of 65536 payload bytes")))
        << log;
}

// A full server makes room for a newcomer by dropping the connection that
// has waited longest for its header; one whose request is complete stays.
TEST(ServerSlowPeerTest, AFullServerDropsTheLongestWaitingPeerForANewConnection) {
    testenv::ReferenceServer server(R"({"max_open_connections": 4, "printers": [{"name": "laser"}],
                             "commands": {"OJOBS": {"delay_ms": 1500}}})");
    // The oldest connection: its request is complete, its answer held back.
    const int held = connectLocal(server.port());
    ASSERT_GE(held, 0);
    const Bytes query = bytes(std::string("laser\x04" "1", 8));
    Bytes wire = requestHeader(Request{"OJOBS", query}, std::int32_t(query.size()));
    wire.insert(wire.end(), query.begin(), query.end());
    sendAll(held, wire);
    SlowPeers idle(server.port(), 3, bytes("ASK"), milliseconds(0));

    const WireAnswer a = exchange(server.port(), Request{"GETPRNAMES", bytes(std::string("1", 2))});
    ASSERT_TRUE(a.received) << server.log();
    EXPECT_EQ(text(a.payload), "laser\r\n");
    pollfd p{idle.fds()[0], POLLIN, 0};
    poll(&p, 1, 2000);
    EXPECT_TRUE(closedNow(idle.fds()[0])) << "the idle peer that came first";
    EXPECT_FALSE(closedNow(idle.fds()[1]));
    EXPECT_FALSE(closedNow(idle.fds()[2]));
    const WireAnswer late = readAnswer(held, 5000);
    close(held);
    EXPECT_TRUE(late.received) << server.log();
    EXPECT_TRUE(server.logShows("dropped for a newer connection (4 open) after 3 of 256 header bytes"))
        << server.log();
}

}  // namespace
