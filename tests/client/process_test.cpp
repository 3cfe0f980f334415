// The real program: one client per desktop, jobs handed off before and while
// it runs, a start that cannot go on, one-time start-up commands.
#include "client_process.h"

#include "shell/runonce.h"

#include <zentcore/joblistener.h>
#include <zentcore/settings.h>
#include <zplatform/registry.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

namespace {

using clienttest::ClientProcess;
using ::testing::HasSubstr;
using ::testing::Not;
namespace fs = std::filesystem;

class ClientProgram : public ::testing::Test {
protected:
    ClientProgram() : jobs(machine.dir().file("jobs")) {
        fs::create_directories(jobs);
        setMachine(std::string(zentcore::kClientKey), "FirstTempDir", jobs);
        setMachine(std::string(zentcore::kClientKey), "ClientSaveDir", machine.dir().file("save"));
    }

    static void setMachine(const std::string& key, const std::string& name, const std::string& value) {
        auto k = platform::RegKey::openOrCreate(platform::Hive::LocalMachine, key);
        ASSERT_TRUE(k && k->writeString(name, value));
    }

    std::string submit(const std::string& doc) {
        const std::string file = machine.dir().file(doc + ".ps");
        testenv::writeFile(file, "%!PS-Adobe-3.0\n(" + doc + ") show showpage\n");
        const auto r = testenv::zentctl({"submit", file, "--doc", doc});
        EXPECT_EQ(r.exitCode, 0) << r.err;
        lastSubmitNote = r.err;
        return r.out.substr(0, r.out.find('\n'));
    }

    // The client's notes (DebugBackDll on).
    std::string log() const { return testenv::readFile(machine.dir().file("state/zentrope/zentclient.log")); }
    static int count(const std::string& text, const std::string& what) {
        int n = 0;
        for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
        return n;
    }
    bool waitForLog(const std::string& what, int milliseconds) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
        while (log().find(what) == std::string::npos) {
            if (std::chrono::steady_clock::now() > deadline) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return true;
    }

    testenv::IsolatedMachine machine;
    std::string jobs;
    std::string lastSubmitNote;
};

TEST_F(ClientProgram, ASecondClientShowsTheRefusalAndEndsWhileTheFirstKeepsRunning) {
    ClientProcess first;
    ASSERT_TRUE(first.waitReady()) << first.output();

    ClientProcess second;
    EXPECT_FALSE(second.waitReady());
    EXPECT_EQ(second.waitExit(), 1);
    EXPECT_THAT(second.output(), HasSubstr("[Zentrope Client] Application already running!"));

    EXPECT_FALSE(first.waitExit(200)) << "the first one keeps running";
    EXPECT_TRUE(zentcore::clientIsRunning());
    submit("after the refusal");
    EXPECT_EQ(lastSubmitNote, "") << "the first client was told of the job";
    EXPECT_EQ(first.terminate(), 0) << first.output();
    EXPECT_FALSE(zentcore::clientIsRunning());
}

TEST_F(ClientProgram, JobsSubmittedBeforeAndWhileItRunsAreQueuedOnceEach) {
    setMachine("SOFTWARE\\ORLO Vestra", "DebugBackDll", "1");
    EXPECT_EQ(submit("before"), "ztp_1");
    EXPECT_THAT(lastSubmitNote, HasSubstr("EnumWindows() failed")) << "no client ran yet";

    ClientProcess client;
    ASSERT_TRUE(client.waitReady()) << client.output();
    EXPECT_THAT(log(), HasSubstr("queued ztp_1 by scan"));

    EXPECT_EQ(submit("while running"), "ztp_2");
    EXPECT_EQ(lastSubmitNote, "");
    EXPECT_TRUE(waitForLog("queued ztp_2 by notification", 1000)) << "in the list within a second";
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!fs::exists(jobs + "/ztp_2.gz") && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_TRUE(fs::exists(jobs + "/ztp_2.gz")) << "its compression started";
    EXPECT_EQ(client.terminate(), 0) << client.output();

    const std::string first = log();
    EXPECT_EQ(count(first, "queued "), 2) << first;
    EXPECT_EQ(count(first, "queued ztp_1 by scan"), 1);
    EXPECT_EQ(count(first, "queued ztp_2 by notification"), 1);

    // The jobs stay for the next start, which queues each once again.
    ClientProcess again;
    ASSERT_TRUE(again.waitReady()) << again.output();
    EXPECT_EQ(again.terminate(), 0);
    const std::string second = log().substr(first.size());
    EXPECT_EQ(count(second, "queued ztp_1 by scan"), 1) << second;
    EXPECT_EQ(count(second, "queued ztp_2 by scan"), 1);
    EXPECT_EQ(count(second, "queued "), 2);
}

TEST_F(ClientProgram, ItEndsWhenToldWhileTheWizardHoldsAJob) {
    setMachine("SOFTWARE\\ORLO Vestra", "DebugBackDll", "1");
    EXPECT_EQ(submit("waiting"), "ztp_1");
    ClientProcess client;
    ASSERT_TRUE(client.waitReady()) << client.output();
    ASSERT_TRUE(waitForLog("wizard shows ztp_1", 10000)) << log();
    EXPECT_EQ(client.terminate(), 0) << client.output();
    EXPECT_THAT(log(), HasSubstr("ended"));
    EXPECT_TRUE(fs::exists(jobs + "/ztp_1.ztp")) << "the job waits for the next start";
}

TEST_F(ClientProgram, AWorkingDirectoryThatCannotBeMadeEndsItQuietly) {
    testenv::writeFile(machine.dir().file("blocker"), "a file");
    setMachine(std::string(zentcore::kClientKey), "FirstTempDir", machine.dir().file("blocker/jobs"));
    ClientProcess client;
    EXPECT_FALSE(client.waitReady());
    EXPECT_EQ(client.waitExit(), 1);
    EXPECT_THAT(client.output(), Not(HasSubstr("Zentrope Client]")));
    EXPECT_FALSE(zentcore::clientIsRunning());
}

TEST_F(ClientProgram, OneTimeStartUpCommandsRunOnceBeforeTheClientStarts) {
    const std::string key(zentclient::kRunOnceKey);
    const std::string ran = machine.dir().file("ran");
    setMachine(key, "Ftp0", "/usr/bin/touch \"" + ran + " 0\"");
    setMachine(key, "Ftp1", "/nonexistent/program");
    setMachine(key, "Ftp2", "/bin/sh -c \"echo copied > '" + ran + " 2'\"");

    ClientProcess client;
    ASSERT_TRUE(client.waitReady()) << client.output();
    EXPECT_TRUE(fs::exists(ran + " 0"));
    EXPECT_EQ(testenv::readFile(ran + " 2"), "copied\n");
    const auto pending = platform::RegKey::openReadOnly(platform::Hive::LocalMachine, key);
    EXPECT_TRUE(!pending || pending->valueNames().empty()) << "every command is gone";
    EXPECT_EQ(client.terminate(), 0);

    fs::remove(ran + " 0");
    EXPECT_EQ(zentclient::RunPendingRunOnce(), 0);
    EXPECT_FALSE(fs::exists(ran + " 0")) << "never run twice";
}

}  // namespace
