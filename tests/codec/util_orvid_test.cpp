// The local service notification against real listeners on 127.0.0.1.
#include <zcodec/utilities.h>

#include <zplatform/prompter.h>
#include <zplatform/registry.h>

#include "test_env.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <thread>

namespace {

using platform::Hive;
using platform::RegKey;
using platform::ScriptedPrompter;

const std::string kProduct = "Orvid Test";
const std::string kExpected("3\0localhost\0", 12);

void setPortValue(const std::string& product, const std::string& value) {
    auto key = RegKey::openOrCreate(Hive::LocalMachine, "SOFTWARE\\ORLO Vestra\\" + product);
    ASSERT_TRUE(key);
    ASSERT_TRUE(key->writeString("SVPORT", value));
}

// A socket bound to 127.0.0.1 (port 0: any free one); listening on request.
class LocalSocket {
public:
    LocalSocket(int port, bool listening) : fd_(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0)) {
        int on = 1;
        ::setsockopt(fd_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(static_cast<std::uint16_t>(port));
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bound_ = ::bind(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 && (!listening || ::listen(fd_, 4) == 0);
        socklen_t length = sizeof a;
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&a), &length);
        port_ = ntohs(a.sin_port);
    }
    ~LocalSocket() { ::close(fd_); }
    bool bound() const { return bound_; }
    int port() const { return port_; }

    // Accepts one connection and reads until the peer closes it.
    std::string receiveOne() const {
        int peer = ::accept(fd_, nullptr, nullptr);
        if (peer < 0) return "accept failed";
        std::string data;
        char buffer[64];
        for (ssize_t n; (n = ::read(peer, buffer, sizeof buffer)) > 0;) data.append(buffer, size_t(n));
        ::close(peer);
        return data;
    }

private:
    int fd_;
    bool bound_ = false;
    int port_ = 0;
};

std::string notifyAndReceive(const LocalSocket& listener, const std::string& product) {
    std::string received;
    std::thread server([&] { received = listener.receiveOne(); });
    encdec::OrvidFunc(product);
    server.join();
    return received;
}

TEST(UtilOrvid, WritesTheTwelveBytesToTheConfiguredPort) {
    testenv::IsolatedMachine machine;
    ScriptedPrompter prompts;
    platform::ScopedPrompter guard(prompts);
    LocalSocket listener(0, true);
    ASSERT_TRUE(listener.bound());
    setPortValue(kProduct, " " + std::to_string(listener.port()) + " ");

    EXPECT_EQ(notifyAndReceive(listener, kProduct), kExpected);
    EXPECT_TRUE(prompts.calls.empty());
}

TEST(UtilOrvid, PortChoice) {
    testenv::IsolatedMachine machine;
    setPortValue("Plain", "2500");
    setPortValue("Blanks", " 2600 ");
    setPortValue("Letters", "abc");
    setPortValue("Empty", "");
    setPortValue("Zero", "0");
    setPortValue("TooLarge", "70000");
    setPortValue("Negative", "-80");
    {
        auto key = RegKey::openOrCreate(Hive::LocalMachine, "SOFTWARE\\ORLO Vestra\\Dword");
        ASSERT_TRUE(key && key->writeDword("SVPORT", 3000));
        auto bare = RegKey::openOrCreate(Hive::LocalMachine, "SOFTWARE\\ORLO Vestra\\NoValue");
        ASSERT_TRUE(bare && bare->writeString("Other", "1"));
    }
    const struct {
        std::string product;
        int port;
    } cases[] = {
        {"Plain", 2500},   {"Blanks", 2600},   {"Dword", 3000},    {"Letters", 24000},
        {"Empty", 24000},  {"Zero", 24000},    {"TooLarge", 24000}, {"Negative", 24000},
        {"NoValue", 24000}, {"Missing", 24000},
    };
    for (const auto& c : cases) EXPECT_EQ(encdec::OrvidPort(c.product), c.port) << c.product;
}

TEST(UtilOrvid, WithoutSvportTheDefaultPortIsNotified) {
    testenv::IsolatedMachine machine;
    LocalSocket listener(24000, true);
    if (!listener.bound()) GTEST_SKIP() << "port 24000 is taken on this machine";
    ScriptedPrompter prompts;
    platform::ScopedPrompter guard(prompts);
    EXPECT_EQ(notifyAndReceive(listener, kProduct), kExpected);
    EXPECT_TRUE(prompts.calls.empty());
}

TEST(UtilOrvid, RefusedConnectionIsReportedAndReturns) {
    testenv::IsolatedMachine machine;
    LocalSocket closed(0, false);   // bound but not listening: connections are refused
    ASSERT_TRUE(closed.bound());
    setPortValue(kProduct, std::to_string(closed.port()));
    ScriptedPrompter prompts;
    platform::ScopedPrompter guard(prompts);

    encdec::OrvidFunc(kProduct);
    ASSERT_EQ(prompts.calls.size(), 1u);
    EXPECT_EQ(prompts.calls[0].kind, ScriptedPrompter::Kind::Error);
    EXPECT_EQ(prompts.calls[0].caption, "Open");
    EXPECT_EQ(prompts.calls[0].text, std::string(std::strerror(ECONNREFUSED)) + "FAIL");
}

}  // namespace
