// The client's job listener: what it accepts, what it refuses, and the
// single listener per name.
#include "test_env.h"

#include <zcodec/handoff.h>
#include <zentcore/joblistener.h>
#include <zplatform/registry.h>

#include <gtest/gtest.h>

#include <pwd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <vector>

namespace {

using namespace std::chrono_literals;
using zentcore::JobListener;

// Collects what a listener hands on.
class Received {
public:
    JobListener::Callback callback() {
        return [this](const std::string& name) {
            std::lock_guard lock(mutex_);
            names_.push_back(name);
            changed_.notify_all();
        };
    }
    // Waits until `count` names arrived; returns all of them.
    std::vector<std::string> waitFor(std::size_t count) {
        std::unique_lock lock(mutex_);
        changed_.wait_for(lock, 5s, [&] { return names_.size() >= count; });
        return names_;
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::string> names_;
};

// Sends raw bytes on one connection, as any local program could.
void sendRaw(const std::string& bytes) {
    const int fd = encdec::ConnectClientIpc();
    ASSERT_GE(fd, 0) << strerror(errno);
    ASSERT_EQ(send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL), ssize_t(bytes.size()));
    close(fd);
}

TEST(JobListener, ReceivesTheNameOfEveryHandedOffJob) {
    testenv::IsolatedMachine machine;
    const std::string jobs = machine.dir().file("jobs");
    std::filesystem::create_directories(jobs);
    auto key = platform::RegKey::openOrCreate(platform::Hive::LocalMachine, "SOFTWARE\\ORLO Vestra\\Zentrope Client");
    ASSERT_TRUE(key && key->writeString("FirstTempDir", jobs));
    testenv::writeFile(machine.dir().file("job.ps"), "%!PS\n");

    EXPECT_FALSE(zentcore::clientIsRunning());
    Received received;
    JobListener listener(received.callback());
    ASSERT_TRUE(listener.listening());
    EXPECT_TRUE(zentcore::clientIsRunning());
    for (int i = 0; i < 3; ++i) {
        encdec::ZTP_JOBDATA job;
        std::string error = "untouched";
        ASSERT_TRUE(encdec::SubmitFileToNetClient(machine.dir().file("job.ps"), &job, error));
        EXPECT_EQ(error, "untouched");
    }
    EXPECT_EQ(received.waitFor(3), (std::vector<std::string>{"ztp_1.ztp", "ztp_2.ztp", "ztp_3.ztp"}));
}

TEST(JobListener, RefusesEverythingButADataFileName) {
    testenv::IsolatedMachine machine;
    Received received;
    JobListener listener(received.callback());
    ASSERT_TRUE(listener.listening());
    const struct {
        const char* name;
        std::string bytes;
    } refused[] = {
        {"empty", "\n"},
        {"64 bytes", "ztp_1" + std::string(55, '0') + ".ztp\n"},
        {"longer still", std::string(5000, 'a') + "\n"},
        {"a path", "../x\n"},
        {"a path to a job", "/tmp/ztp_1.ztp\n"},
        {"number too big", "ztp_1000.ztp\n"},
        {"number zero", "ztp_0.ztp\n"},
        {"leading zero", "ztp_01.ztp\n"},
        {"no number", "ztp_.ztp\n"},
        {"other name", "foo\n"},
        {"description", "ztp_1.txt\n"},
        {"carriage return", "ztp_1.ztp\r\n"},
        {"no line feed", "ztp_1.ztp"},
        {"nothing", ""},
    };
    // Each refused line is followed by a good one; only the good ones arrive.
    std::vector<std::string> expected;
    for (const auto& c : refused) {
        SCOPED_TRACE(c.name);
        sendRaw(c.bytes);
        const std::string good = "ztp_" + std::to_string(expected.size() + 1) + ".ztp";
        sendRaw(good + "\n");
        expected.push_back(good);
        EXPECT_EQ(received.waitFor(expected.size()), expected);
    }
    for (const char* name : {"ztp_1.ztp", "ztp_999.ztp", "ztp_42.ztp"}) EXPECT_TRUE(JobListener::acceptableName(name));
}

TEST(JobListener, TakesNotificationsOnlyFromRootThePrintSystemAndItsOwnUser) {
    if (geteuid() != 0) GTEST_SKIP() << "needs root to speak as other users";
    testenv::IsolatedMachine machine;
    Received received;
    JobListener listener(received.callback());
    ASSERT_TRUE(listener.listening());
    // Another user reaches root's socket but is closed unread.
    const int stranger = testenv::inChild([] {
        if (!testenv::dropRoot()) return 2;
        const int fd = encdec::ConnectClientIpc(0);
        if (fd < 0) return 3;
        const std::string line = "ztp_1.ztp\n";
        (void)!::send(fd, line.data(), line.size(), MSG_NOSIGNAL);
        char c;
        return ::recv(fd, &c, 1, 0) <= 0 ? 0 : 4;   // the listener hung up (a reset: data unread)
    });
    EXPECT_EQ(stranger, 0);
    // The print system's user may.
    const passwd* lp = getpwnam("lp");
    if (!lp) GTEST_SKIP() << "no user lp on this machine";
    const uid_t lpUid = lp->pw_uid;
    const gid_t lpGid = lp->pw_gid;
    const int printSystem = testenv::inChild([&] {
        if (setgid(lpGid) != 0 || setuid(lpUid) != 0) return 2;
        const int fd = encdec::ConnectClientIpc(0);
        const std::string line = "ztp_2.ztp\n";
        return fd >= 0 && ::send(fd, line.data(), line.size(), MSG_NOSIGNAL) == ssize_t(line.size()) ? 0 : 3;
    });
    EXPECT_EQ(printSystem, 0);
    sendRaw("ztp_3.ztp\n");
    EXPECT_EQ(received.waitFor(2), (std::vector<std::string>{"ztp_2.ztp", "ztp_3.ztp"}));
}

TEST(JobListener, EachUserHasASocketOfItsOwn) {
    testenv::IsolatedMachine machine;
    EXPECT_NE(encdec::ClientIpcName(0), encdec::ClientIpcName(1000));
    EXPECT_EQ(encdec::ClientIpcName(), encdec::ClientIpcName(geteuid()));
    JobListener listener(Received().callback());
    ASSERT_TRUE(listener.listening());
    EXPECT_LT(encdec::ConnectClientIpc(geteuid() + 1), 0);
}

TEST(JobListener, ASilentSenderDoesNotStopTheNextJob) {
    testenv::IsolatedMachine machine;
    Received received;
    JobListener listener(received.callback());
    const int silent = encdec::ConnectClientIpc();
    ASSERT_GE(silent, 0);
    sendRaw("ztp_5.ztp\n");
    EXPECT_EQ(received.waitFor(1), std::vector<std::string>{"ztp_5.ztp"});
    close(silent);
}

// Before, connections were served one after another, each silent one for
// half a second: 200 of them held a real job back for 40 seconds.
TEST(JobListener, ManySilentOrTricklingPeersDelayARealNotificationByLessThanASecond) {
    testenv::IsolatedMachine machine;
    Received received;
    JobListener listener(received.callback());
    std::vector<int> idle;
    for (int i = 0; i < 200; ++i) {
        const int fd = encdec::ConnectClientIpc();
        ASSERT_GE(fd, 0) << i << ": " << strerror(errno);
        // Every fourth sends the start of a name and then nothing more.
        if (i % 4 == 0) {
            ASSERT_EQ(send(fd, "ztp_", 4, MSG_NOSIGNAL), 4);
        }
        idle.push_back(fd);
    }
    const auto start = std::chrono::steady_clock::now();
    sendRaw("ztp_7.ztp\n");
    EXPECT_EQ(received.waitFor(1), std::vector<std::string>{"ztp_7.ztp"});
    EXPECT_LT(std::chrono::steady_clock::now() - start, 1s);
    for (int fd : idle) close(fd);
}

TEST(JobListener, OnlyOneListenerPerNameAndTheNameIsFreeAgainAfterwards) {
    testenv::IsolatedMachine machine;
    {
        JobListener first(nullptr);
        ASSERT_TRUE(first.listening());
        JobListener second(nullptr);
        EXPECT_FALSE(second.listening());
        EXPECT_EQ(second.bindError(), EADDRINUSE);
        EXPECT_TRUE(zentcore::clientIsRunning());
    }
    EXPECT_FALSE(zentcore::clientIsRunning());
    JobListener again(nullptr);
    EXPECT_TRUE(again.listening());
    // Another machine (another name) does not see this one.
    testenv::ScopedEnv other("ZENTROPE_IPC", "another-machine-" + std::to_string(getpid()));
    EXPECT_FALSE(zentcore::clientIsRunning());
}

}  // namespace
