// The progress of an upload to a peer that takes the bytes slowly: the
// status bar and the tray's tooltip show the share sent, growing to 100 %,
// and a peer that never answers leaves the job waiting with its reason.
#include "client_env.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QLabel>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <random>
#include <regex>
#include <thread>

namespace {

using clienttest::Client;
using clienttest::ClientMachine;

// Takes one connection and reads it at about 4 MB/s, then holds it a second
// and hangs up without an answer.
class SlowSink {
public:
    SlowSink() {
        listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(listener_, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
        ::listen(listener_, 1);
        socklen_t length = sizeof addr;
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&addr), &length);
        port = ntohs(addr.sin_port);
        thread_ = std::thread([this] { serve(); });
    }
    ~SlowSink() {
        stop_ = true;
        ::shutdown(listener_, SHUT_RDWR);
        thread_.join();
        ::close(listener_);
    }
    int port = 0;

private:
    void serve() {
        const int peer = ::accept(listener_, nullptr, nullptr);
        if (peer < 0) return;
        int small = 64 * 1024;
        ::setsockopt(peer, SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
        char buffer[40 * 1024];
        while (!stop_) {
            const ssize_t n = ::recv(peer, buffer, sizeof buffer, MSG_DONTWAIT);
            if (n == 0) break;
            if (n < 0 && errno != EAGAIN) break;
            if (n < 0 && idle_++ > 100) break;   // all taken: the second of silence is over
            if (n > 0) idle_ = 0;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        ::close(peer);
    }
    int listener_ = -1;
    int idle_ = 0;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

TEST(UploadProgress, GrowsToAllOfTheJobWhileThePeerTakesIt) {
    ClientMachine machine;
    SlowSink sink;
    // Data that packs badly, so the upload is as large as the job.
    std::string data(6 * 1000 * 1000, '\0');
    std::mt19937 random(7);
    for (char& c : data) c = char(random());
    machine.writeJob("ztp_1",
                     "DocName=Big slow\r\nPages=1\r\nSessionId=5\r\nPrinter=laser\r\nServer=127.0.0.1:" +
                         std::to_string(sink.port) + "\r\n",
                     data);
    Client client;
    client.useRealClock = true;
    client.start();
    auto& form = client.form();
    form.Timer1->stop();
    form.TrayIcon1->show();
    form.Timer1Timer();
    ASSERT_EQ(form.JobQueue.size(), 1u);
    auto& job = form.JobQueue.at(0);
    ASSERT_TRUE(job.Busy);

    std::vector<int> shares;
    const std::regex figure("Sending \"Big slow\": ([0-9]+) % of 6\\.[0-9] MB.*");
    while (job.SendThread && !job.SendThread->Finished.load()) {
        clienttest::waitUntil([] { return false; }, 150);
        form.Timer1Timer();
        const std::string status = client.status();
        std::smatch m;
        if (std::regex_match(status, m, figure)) {
            shares.push_back(std::stoi(m[1]));
            EXPECT_EQ(form.TrayIcon1->toolTip().toStdString(), status);
        }
    }
    ASSERT_GE(shares.size(), 3u);
    EXPECT_TRUE(std::is_sorted(shares.begin(), shares.end()));
    EXPECT_LT(shares.front(), 100);
    EXPECT_EQ(shares.back(), 100);

    form.Timer1Timer();   // the outcome: no answer, the job waits
    EXPECT_EQ(form.TrayIcon1->toolTip().toStdString(), "Zentrope Control Center");
    ASSERT_EQ(form.JobQueue.size(), 1u);
    EXPECT_EQ(form.JobQueue.at(0).WaitReason, "the server did not answer");
}

}  // namespace
