// PRFILE requests are made while they are sent: byte for byte what packing
// the whole job package would give, a job that changes meanwhile never
// arrives whole, a peer failing mid-upload fails the exchange, and memory
// does not grow with the job.
#include <zcodec/cipher.h>
#include <zcodec/clientthread.h>

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <future>
#include <string>
#include <thread>

#include "exchange_peer.h"
#include "test_env.h"

namespace {

using namespace std::string_literals;
using exchangetest::bigEndian32;
using exchangetest::number;
using exchangetest::runExchange;
using exchangetest::ScriptedPeer;

constexpr std::size_t kPiece = 256 * 1024;   // the size the job is read and enciphered in

std::string jobBytes(std::size_t n, unsigned seed) {
    std::string s(n, '\0');
    std::uint32_t x = seed * 2654435761u + 1;
    for (auto& c : s) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        c = char(x);
    }
    return s;
}

// The block carries key B around the body; key A, which the body was
// scrambled with, is found byte by byte from what gen_keyB makes of keys of
// one repeated value.
bool keysOfBlock(const std::string& block, encdec::Key& keyA, encdec::Key& keyB) {
    if (block.size() < 2) return false;
    const std::size_t d = std::size_t(std::uint8_t(block.front())) * 256 + std::uint8_t(block.back());
    if (d == 0 || block.size() < d + 2) return false;
    const std::size_t h = d / 2;
    keyB.assign(block.begin() + 1, block.begin() + 1 + std::ptrdiff_t(h));
    keyB.insert(keyB.end(), block.end() - 1 - std::ptrdiff_t(d - h), block.end() - 1);
    std::vector<encdec::Key> derived(256);
    for (int v = 0; v < 256; ++v) encdec::gen_keyB(encdec::Key(d, std::uint8_t(v)), derived[std::size_t(v)]);
    keyA.assign(d, 0);
    for (std::size_t i = 0; i < d; ++i) {
        int found = -1;
        for (int v = 0; v < 256 && found < 0; ++v)
            if (derived[std::size_t(v)][i] == keyB[i]) found = v;
        if (found < 0) return false;
        keyA[d - 1 - i] = std::uint8_t(found);
    }
    return true;
}

// The whole package enciphered at once with the keys the request carries.
std::string encipheredWhole(const std::string& package, const std::string& request) {
    encdec::Key keyA, keyB;
    if (!keysOfBlock(request, keyA, keyB)) return "(no keys in the request)";
    const auto block = encdec::encrypt_buffer(package.size(), reinterpret_cast<const std::uint8_t*>(package.data()),
                                              int(keyA.size()), keyA, keyB);
    if (!block) return "(keys refused)";
    return std::string(block->begin(), block->end());
}

TEST(ExchangeJobStream, StreamedRequestIsTheWholePackagePacked) {
    testenv::IsolatedMachine machine;
    const std::string job = machine.dir().file("ztp_5.gz");
    const std::string head = "Laser\0"s + job + '\0' + '\0';   // and the 24-byte block
    const std::size_t fields = head.size() + 24;
    // Job lengths that put the end of the package around the key length,
    // the piece size and the in-memory limit the package used to obey.
    const std::size_t lengths[] = {0,
                                   1,
                                   256 - fields,
                                   257 - fields,
                                   kPiece - fields,
                                   kPiece + 1 - fields,
                                   300000,
                                   300001,
                                   3 * kPiece + 77};
    const encdec::TransportType types[] = {encdec::ttNone, encdec::ttEncrypt, encdec::ttDecompressOnly,
                                           encdec::ttEncryptDecompress};
    ScriptedPeer peer;
    unsigned seed = 1;
    for (const std::size_t length : lengths) {
        const std::string bytes = jobBytes(length, seed++);
        testenv::writeFile(job, bytes);
        const std::string package = head + bigEndian32(std::uint32_t(length)) + std::string(12, '\0') +
                                    "\x00\x03\x00\x01\x00\x00\x00\x00"s + bytes;
        for (const auto type : types) {
            SCOPED_TRACE(std::to_string(length) + " job bytes, transport type " + std::to_string(int(type)));
            const auto before = peer.requests().size();
            peer.push(number(0));
            auto thread = runExchange("PRFILE", "Laser\x04" + job + "\x04" "3", peer.address(), type, 8);
            EXPECT_EQ(thread->ErrorCode, 0);
            const auto requests = peer.requests();
            ASSERT_EQ(requests.size(), before + 1);
            const auto& request = requests.back();
            EXPECT_EQ(request.header.Enccmp, type);
            EXPECT_EQ(request.header.UncSize, 0);
            EXPECT_EQ(std::size_t(request.header.Size), request.payload.size());
            const bool enciphered = type == encdec::ttEncrypt || type == encdec::ttEncryptDecompress;
            const std::string expected = enciphered ? encipheredWhole(package, request.payload) : package;
            // Compared as a whole: a mismatch prints its first differing byte.
            EXPECT_TRUE(request.payload == expected)
                << "differs at byte "
                << std::mismatch(request.payload.begin(), request.payload.end(), expected.begin(), expected.end())
                           .first -
                       request.payload.begin()
                << " of " << request.payload.size() << " (expected " << expected.size() << ")";
        }
    }
    EXPECT_TRUE(std::filesystem::is_empty(machine.dir().file("tmp")));
}

// A listening socket on 127.0.0.1 whose one connection is handled by the
// given function on a thread of its own.
class OneConnectionPeer {
public:
    explicit OneConnectionPeer(std::function<void(int)> handle) {
        listener_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof a;
        if (bind(listener_, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || listen(listener_, 1) != 0 ||
            getsockname(listener_, reinterpret_cast<sockaddr*>(&a), &len) != 0)
            throw std::runtime_error("peer cannot listen");
        port_ = ntohs(a.sin_port);
        thread_ = std::thread([this, handle = std::move(handle)] {
            pollfd p{listener_, POLLIN, 0};
            if (poll(&p, 1, 20000) <= 0) return;
            const int fd = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd < 0) return;
            handle(fd);
            close(fd);
        });
    }
    ~OneConnectionPeer() {
        join();
        close(listener_);
    }
    void join() {
        if (thread_.joinable()) thread_.join();
    }
    std::string address() const { return "127.0.0.1:" + std::to_string(port_); }

private:
    int listener_ = -1;
    int port_ = 0;
    std::thread thread_;
};

// Reads until the client closes (or 20 s pass); the byte count.
std::size_t readToEnd(int fd) {
    std::vector<char> buffer(1 << 20);
    std::size_t total = 0;
    for (;;) {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, 20000) <= 0) return total;
        const ssize_t got = recv(fd, buffer.data(), buffer.size(), 0);
        if (got <= 0) return total;
        total += std::size_t(got);
    }
}

TEST(ExchangeJobStream, JobChangedWhileSendingNeverArrivesWhole) {
    struct Case {
        const char* what;
        std::function<void(const std::string&)> change;
    } cases[] = {
        {"the job grew", [](const std::string& path) { std::ofstream(path, std::ios::app) << 'x'; }},
        {"the job shrank", [](const std::string& path) { std::filesystem::resize_file(path, 30u << 20); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        testenv::IsolatedMachine machine;
        const std::string job = machine.dir().file("ztp_6.gz");
        // Far more than the connection holds in its buffers: most of the job
        // is still to be read when it changes.
        testenv::writeFile(job, jobBytes(40u << 20, 6));
        std::promise<void> accepted, changed;
        std::size_t received = 0;
        OneConnectionPeer peer([&](int fd) {
            accepted.set_value();
            changed.get_future().wait();
            received = readToEnd(fd);
        });
        encdec::TClientThread thread(false, "PRFILE", "Laser\x04" + job, peer.address(), 0,
                                     encdec::ttEncryptDecompress, 4, 0, "");
        ASSERT_EQ(accepted.get_future().wait_for(std::chrono::seconds(20)), std::future_status::ready);
        c.change(job);
        changed.set_value();
        thread.waitFor();
        peer.join();
        EXPECT_EQ(thread.ReturnValue, 0);
        EXPECT_EQ(thread.ErrorCode, encdec::kErrNotPrepared);
        // Header, key length byte, half a key, the package fields, 40 MiB and
        // the rest of the key would be the whole request.
        EXPECT_LT(received, std::size_t(encdec::kCommHeaderSize) + 259 + (40u << 20));
    }
}

TEST(ExchangeJobStream, PeerFailingMidUploadFailsTheExchange) {
    testenv::ScopedEnv shortTimeouts("ZENTROPE_TEST_TIMEOUT_SCALE", "0.001");
    struct Case {
        const char* what;
        std::function<void(int, std::future<void>&)> peer;
    } cases[] = {
        {"resets the connection",
         [](int fd, std::future<void>&) {
             char buffer[4096];
             (void)!recv(fd, buffer, sizeof buffer, 0);
             linger reset{1, 0};
             setsockopt(fd, SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
         }},
        {"closes without reading", [](int, std::future<void>&) {}},
        {"stops reading", [](int, std::future<void>& done) { done.wait(); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        testenv::IsolatedMachine machine;
        const std::string job = machine.dir().file("ztp_7.gz");
        testenv::writeFile(job, jobBytes(16u << 20, 7));
        std::promise<void> finished;
        std::future<void> done = finished.get_future();
        OneConnectionPeer peer([&](int fd) { c.peer(fd, done); });
        // A SIGPIPE here would end the test program.
        auto thread = runExchange("PRFILE", "Laser\x04" + job, peer.address(), encdec::ttEncryptDecompress, 4);
        finished.set_value();
        EXPECT_EQ(thread->ReturnValue, 0);
        EXPECT_EQ(thread->ErrorCode, encdec::kErrNoAnswer);
    }
}

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kUnderAddressSanitizer = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kUnderAddressSanitizer = true;
#else
constexpr bool kUnderAddressSanitizer = false;
#endif
#else
constexpr bool kUnderAddressSanitizer = false;
#endif

long statusKiB(const char* field) {
    std::ifstream in("/proc/self/status");
    for (std::string line; std::getline(in, line);)
        if (line.rfind(field, 0) == 0) return std::stol(line.substr(std::strlen(field)));
    return -1;
}

// Takes one request, discarding its payload, and answers with an empty
// answer; the payload's length as the header announced it and as it came.
std::pair<std::size_t, std::size_t> discardRequest(int fd) {
    std::vector<char> buffer(1 << 20);
    std::size_t got = 0;
    auto take = [&](std::size_t n, char* into) {
        for (std::size_t done = 0; done < n;) {
            pollfd p{fd, POLLIN, 0};
            if (poll(&p, 1, 20000) <= 0) return false;
            const std::size_t want = into ? n - done : std::min(n - done, buffer.size());
            const ssize_t r = recv(fd, into ? into + done : buffer.data(), want, 0);
            if (r <= 0) return false;
            done += std::size_t(r);
            if (!into) got += std::size_t(r);
        }
        return true;
    };
    char raw[encdec::kCommHeaderSize];
    if (!take(sizeof raw, raw)) return {0, 0};
    const encdec::TCommHeader request(raw, sizeof raw);
    if (!take(std::size_t(request.Size), nullptr)) return {std::size_t(request.Size), got};
    encdec::TCommHeader answer;
    answer.SetCommand(request.Command);
    answer.SetSize(0);
    (void)!send(fd, answer.GetData(), encdec::kCommHeaderSize, MSG_NOSIGNAL);
    return {std::size_t(request.Size), got};
}

TEST(ExchangeJobStream, LargeJobIsSentInBoundedMemory) {
    if (kUnderAddressSanitizer) GTEST_SKIP() << "the sanitizer keeps freed memory aside, so the peak says nothing here";
    testenv::IsolatedMachine machine;
    const std::string job = machine.dir().file("ztp_8.gz");
    const std::size_t length = std::size_t(256) << 20;
    testenv::writeFile(job, "");
    std::filesystem::resize_file(job, length);   // sparse: no disk space needed
    std::pair<std::size_t, std::size_t> sizes;
    OneConnectionPeer peer([&](int fd) { sizes = discardRequest(fd); });

    // Writing 5 resets the peak to what is resident now.
    {
        std::ofstream reset("/proc/self/clear_refs");
        reset << "5";
        reset.flush();
        if (!reset) GTEST_SKIP() << "the peak memory use cannot be reset here";
    }
    const long before = statusKiB("VmRSS:");
    auto thread = runExchange("PRFILE", "Laser\x04" + job, peer.address(), encdec::ttEncryptDecompress, 4);
    const long peak = statusKiB("VmHWM:");
    peer.join();
    EXPECT_EQ(thread->ErrorCode, 0);
    EXPECT_EQ(sizes.first, length + ("Laser\0"s + job + '\0' + '\0').size() + 24 + 258);
    EXPECT_EQ(sizes.second, sizes.first);
    ASSERT_GT(before, 0);
    RecordProperty("peak_growth_kib", int(peak - before));
    EXPECT_LT(peak - before, 16 * 1024) << "KiB more at the peak, for a job of " << (length >> 20) << " MiB";
}

}  // namespace
