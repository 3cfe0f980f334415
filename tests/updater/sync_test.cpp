// Runs against a real FTP server on 127.0.0.1 serving a fixture tree with
// set modification times.
#include <zsync/sync.h>

#include "ftp_server.h"
#include "recording_observer.h"
#include "test_env.h"

#include <zplatform/registry.h>
#include <zplatform/runonce.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/file.h>
#include <sys/mman.h>
#include <fcntl.h>
#include <unistd.h>

#include <filesystem>

namespace {

namespace fs = std::filesystem;
using testing::Contains;
using testing::ElementsAre;
using testing::HasSubstr;
using testenv::fileTime;
using testenv::writeFileWithTime;

constexpr std::int64_t kOld = 1600000000, kNew = 1700000000;

class Sync : public testing::Test {
protected:
    Sync() {
        fs::create_directories(remote + "/pub/bin/sub");
        fs::create_directories(remote + "/pub/bin/taken");
        fs::create_directories(local);
        writeFileWithTime(remote + "/pub/bin/same.txt", "same", kNew);
        writeFileWithTime(remote + "/pub/bin/newer.txt", "newer on the server", kNew);
        writeFileWithTime(remote + "/pub/bin/sub/fresh.txt", "only on the server", kNew);
        writeFileWithTime(remote + "/pub/bin/taken/inside.txt", "never fetched", kNew);
        writeFileWithTime(local + "/same.txt.1", "same", kNew);
        fs::create_symlink("same.txt.1", local + "/same.txt");   // how libraries are installed
        writeFileWithTime(local + "/newer.txt", "old", kOld);
        testenv::writeFile(local + "/taken", "a local file where the server has a directory");
    }

    zsync::FtpConfig config(const std::string& address) const {
        return {address, testenv::FtpServer::kUser, testenv::FtpServer::kPassword, {{local, "/pub/bin"}}};
    }

    const RecordingObserver::Row* row(const std::string& remote) const {
        for (const auto& r : observer.rows)
            if (r.columns[0] == remote) return &r;
        return nullptr;
    }

    testenv::IsolatedMachine machine;
    testenv::TempDir files;
    std::string remote = files.file("remote"), local = files.file("local");
    RecordingObserver observer;
};

TEST_F(Sync, ComparesTimesAndReplacesTheNewerFiles) {
    testenv::FtpServer server(remote);
    zsync::Synchronizer sync(config(server.address()), observer);
    const auto outcome = sync.run();

    EXPECT_TRUE(outcome.connected);
    EXPECT_TRUE(observer.errors.empty()) << observer.errors[0];
    EXPECT_TRUE(observer.messages.empty());
    ASSERT_NE(row("/pub/bin/same.txt"), nullptr);
    EXPECT_EQ(row("/pub/bin/same.txt")->columns,
              (std::vector<std::string>{"/pub/bin/same.txt", "2023-11-14 22:13:20", local + "/same.txt",
                                        "2023-11-14 22:13:20", "Up to date"}));
    EXPECT_EQ(row("/pub/bin/same.txt")->icon, 0);
    EXPECT_EQ(row("/pub/bin/newer.txt")->columns,
              (std::vector<std::string>{"/pub/bin/newer.txt", "2023-11-14 22:13:20", local + "/newer.txt",
                                        "2020-09-13 12:26:40", "Updated", "19"}));
    EXPECT_EQ(row("/pub/bin/newer.txt")->icon, 3);
    ASSERT_NE(row("/pub/bin/sub/fresh.txt"), nullptr);
    EXPECT_EQ(row("/pub/bin/sub/fresh.txt")->columns[3], "Not existing");
    EXPECT_EQ(row("/pub/bin/taken/inside.txt"), nullptr) << "a local file blocks the directory";

    EXPECT_EQ(testenv::readFile(local + "/newer.txt"), "newer on the server");
    EXPECT_EQ(fileTime(local + "/newer.txt"), kNew);
    EXPECT_EQ(testenv::readFile(local + "/sub/fresh.txt"), "only on the server");
    EXPECT_EQ(testenv::readFile(local + "/taken"), "a local file where the server has a directory");
    const auto log = server.log();
    EXPECT_EQ(log.find("FTP session opened"), log.rfind("FTP session opened")) << "one connection for the run";
    EXPECT_EQ(outcome.toBeUpdated, 2);
    EXPECT_EQ(outcome.replaced, 2);
    EXPECT_FALSE(outcome.restartNeeded);
    EXPECT_THAT(observer.labels, ElementsAre("Connecting...", "Retrieving list of files...",
                                             "Synchronizing 2 files, 37 bytes", "Done. Synchronizing 2 files, 37 bytes"));
    EXPECT_THAT(observer.texts, Contains("Server: " + server.address()));
    EXPECT_THAT(observer.texts, Contains("Current dir.=/pub/bin"));
    EXPECT_THAT(observer.texts, Contains("Got 1 files, 37 bytes."));
    EXPECT_EQ(observer.texts.back(), "");
    for (const auto& entry : fs::directory_iterator(machine.dir().file("tmp")))
        EXPECT_NE(entry.path().filename().string().rfind("ima", 0), 0u) << "no temporary file stays: " << entry.path();

    // A second run finds everything up to date.
    RecordingObserver again;
    const auto second = zsync::Synchronizer(config(server.address()), again).run();
    EXPECT_EQ(second.toBeUpdated, 0);
    for (const auto& r : second.rows) EXPECT_EQ(r.status, "Up to date") << r.remotePath;
}

TEST_F(Sync, ListsWithoutMlsdThroughListAndFileTimes) {
    testenv::FtpServer server(remote, {.noMlsd = true});
    const auto outcome = zsync::Synchronizer(config(server.address()), observer).run();
    EXPECT_TRUE(observer.errors.empty()) << observer.errors[0];
    EXPECT_EQ(row("/pub/bin/same.txt")->columns[4], "Up to date");
    EXPECT_EQ(testenv::readFile(local + "/newer.txt"), "newer on the server");
    EXPECT_EQ(outcome.replaced, 2);
}

TEST_F(Sync, RefusalsAndLostServersAreReported) {
    {
        testenv::FtpServer server(remote);
        auto wrong = config(server.address());
        wrong.password = "wrong";
        const auto outcome = zsync::Synchronizer(wrong, observer).run();
        EXPECT_FALSE(outcome.connected);
        ASSERT_EQ(observer.errors.size(), 1u);
        EXPECT_THAT(observer.errors[0], HasSubstr("InternetConnect: System error 12003\r\n530 "));
        EXPECT_EQ(observer.labels.back(), "Connection failed");
    }
    RecordingObserver gone;
    const int port = testenv::freeLocalPort();
    const auto outcome = zsync::Synchronizer(config("127.0.0.1:" + std::to_string(port)), gone).run();
    EXPECT_FALSE(outcome.connected);
    ASSERT_EQ(gone.errors.size(), 1u);
    EXPECT_EQ(gone.errors[0],
              "InternetConnect: System error 12029\r\nThe attempt to connect to the server failed.");

    testenv::FtpServer server(remote);
    RecordingObserver missing;
    auto cfg = config(server.address());
    cfg.roots.insert(cfg.roots.begin(), {files.file("elsewhere"), "/no/such/dir"});
    zsync::Synchronizer(cfg, missing).run();
    ASSERT_FALSE(missing.errors.empty());
    EXPECT_THAT(missing.errors[0], HasSubstr("FtpSetCurrentDirectory: System error 12003\r\n550 "));
    EXPECT_EQ(testenv::readFile(local + "/newer.txt"), "newer on the server") << "the next root still runs";
}

TEST_F(Sync, ConfigurationWithoutServerOrFilesStartsNothing) {
    struct Case {
        std::string ini, message, server;
    } cases[] = {
        {"[Ftp]\nServer =127.0.0.1\n[Files]\n/a=/b\n", "Server not specified.", ""},
        {"[Ftp]\nServer=127.0.0.1:1\n[Files]\n", "No data to match.", "127.0.0.1:1"},
    };
    for (const auto& c : cases) {
        RecordingObserver o;
        testenv::writeFile(files.file("ftp.ini"), c.ini);
        zsync::FtpConfig config;
        EXPECT_FALSE(zsync::loadForSync(files.file("ftp.ini"), o, config));
        EXPECT_THAT(o.messages, ElementsAre(c.message));
        EXPECT_EQ(o.server, c.server);
    }
}

TEST_F(Sync, HostileNamesNeverLeaveTheLocalRoot) {
    testenv::FtpServer server(remote, {.hostile = true});
    zsync::Synchronizer(config(server.address()), observer).run();
    ASSERT_NE(row("/pub/bin/../x"), nullptr);
    EXPECT_EQ(row("/pub/bin/../x")->columns[4], "Skipped: unsafe name");
    ASSERT_NE(row("/pub/bin/..\\x"), nullptr);
    EXPECT_EQ(row("/pub/bin/..\\x")->columns[4], "Skipped: unsafe name");
    EXPECT_FALSE(fs::exists(files.file("x")));
    EXPECT_FALSE(fs::exists(local + "/..\\x"));
    EXPECT_EQ(testenv::readFile(local + "/newer.txt"), "newer on the server");
}

TEST_F(Sync, ACutDownloadLeavesTheLocalFileUnchanged) {
    writeFileWithTime(remote + "/pub/bin/newer.txt", std::string(1 << 20, 'n'), kNew);
    testenv::FtpServer server(remote, {.slow = true});
    observer.onStatus = [&](const std::string& status) {
        if (status.rfind("Got ", 0) == 0) server.kill();
    };
    auto cfg = config(server.address());
    const auto outcome = zsync::Synchronizer(cfg, observer).run();
    EXPECT_EQ(testenv::readFile(local + "/newer.txt"), "old");
    EXPECT_EQ(fileTime(local + "/newer.txt"), kOld);
    EXPECT_THAT(row("/pub/bin/newer.txt")->columns[4], HasSubstr("Got "));
    ASSERT_FALSE(observer.errors.empty());
    EXPECT_THAT(observer.errors[0], HasSubstr("InternetReadFile: System error 12030"));
    EXPECT_GE(outcome.failures, 1);
}

TEST_F(Sync, AStopEndsTheRunAtTheNextChunk) {
    writeFileWithTime(remote + "/pub/bin/newer.txt", std::string(1 << 20, 'n'), kNew);
    testenv::FtpServer server(remote, {.slow = true});
    zsync::Synchronizer sync(config(server.address()), observer);
    observer.onStatus = [&](const std::string& status) {
        if (status.rfind("Got ", 0) == 0) sync.requestStop();
    };
    const auto outcome = sync.run();
    EXPECT_TRUE(outcome.stopped);
    EXPECT_TRUE(observer.errors.empty());
    EXPECT_EQ(testenv::readFile(local + "/newer.txt"), "old");
    EXPECT_EQ(observer.labels.back(), "Synchronizing 2 files, 1048594 bytes") << "no Done. after a stop";
}

TEST_F(Sync, ALockedFileIsScheduledForTheNextStart) {
    const std::string key(platform::kRunOnceKey);
    {
        auto runOnce = platform::RegKey::openOrCreate(platform::Hive::LocalMachine, key);
        ASSERT_TRUE(runOnce);
        runOnce->writeString("Ftp0", "/bin/true");
        runOnce->writeString("ftp1", "/bin/true");
    }
    const int holder = ::open((local + "/newer.txt").c_str(), O_RDONLY);
    ASSERT_EQ(::flock(holder, LOCK_EX), 0);

    testenv::FtpServer server(remote);
    const auto outcome = zsync::Synchronizer(config(server.address()), observer).run();
    ::close(holder);
    EXPECT_TRUE(outcome.restartNeeded);
    EXPECT_THAT(observer.messages, ElementsAre(std::string(zsync::kRestartMessage)));
    EXPECT_EQ(testenv::readFile(local + "/newer.txt"), "old");

    const auto runOnce = platform::RegKey::openReadOnly(platform::Hive::LocalMachine, key);
    ASSERT_TRUE(runOnce);
    const auto copy = platform::parseCopyCommand(runOnce->readString("Ftp2"));
    ASSERT_TRUE(copy) << runOnce->readString("Ftp2");
    EXPECT_EQ(copy->to, local + "/newer.txt");
    EXPECT_EQ(fs::path(copy->from).parent_path(), fs::path(local)) << "it waits beside the file, not in the temporary directory";
    EXPECT_EQ(testenv::readFile(copy->from), "newer on the server");
    EXPECT_EQ(fileTime(copy->from), kNew);
}

TEST_F(Sync, AFileARunningProgramMapsIsReplacedAndARestartAsked) {
    const int fd = ::open((local + "/newer.txt").c_str(), O_RDONLY);
    void* mapped = ::mmap(nullptr, 3, PROT_READ, MAP_PRIVATE, fd, 0);
    ASSERT_NE(mapped, MAP_FAILED);
    testenv::FtpServer server(remote);
    const auto outcome = zsync::Synchronizer(config(server.address()), observer).run();
    EXPECT_TRUE(outcome.restartNeeded);
    EXPECT_THAT(observer.messages, ElementsAre(std::string(zsync::kRestartMessage)));
    EXPECT_EQ(testenv::readFile(local + "/newer.txt"), "newer on the server");
    EXPECT_EQ(std::string(static_cast<const char*>(mapped), 3), "old") << "the running copy keeps the old file";
    ::munmap(mapped, 3);
    ::close(fd);
}

TEST_F(Sync, AFileThatCannotBeReplacedIsReportedAndTheRestGoesOn) {
    fs::remove(local + "/newer.txt");
    fs::create_directory(local + "/newer.txt");
    testenv::FtpServer server(remote);
    const auto outcome = zsync::Synchronizer(config(server.address()), observer).run();
    EXPECT_THAT(observer.messages, ElementsAre("Copy for " + local + "/newer.txt failed. Error " + std::to_string(EISDIR)));
    EXPECT_EQ(outcome.failures, 1);
    EXPECT_EQ(testenv::readFile(local + "/sub/fresh.txt"), "only on the server");
}

TEST_F(Sync, TheLoginIsProtectedWhereTheServerOffersTls) {
    const std::string cert = files.file("server.pem");
    const auto made = testenv::run({"openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2", "-subj",
                                    "/CN=127.0.0.1", "-addext", "subjectAltName=IP:127.0.0.1", "-keyout", cert,
                                    "-out", files.file("cert.pem")});
    ASSERT_EQ(made.exitCode, 0) << made.err;
    testenv::writeFile(cert, testenv::readFile(cert) + testenv::readFile(files.file("cert.pem")));
    testenv::ScopedEnv ca("ZENTROPE_FTP_CA_FILE", files.file("cert.pem"));
    testenv::FtpServer server(remote, {.tlsCertificate = cert});
    const auto outcome = zsync::Synchronizer(config(server.address()), observer).run();
    EXPECT_TRUE(observer.errors.empty()) << observer.errors[0];
    EXPECT_EQ(outcome.replaced, 2);
    EXPECT_EQ(testenv::readFile(local + "/newer.txt"), "newer on the server");
    const auto log = server.log();
    const auto auth = log.find("AUTH TLS"), pass = log.find("PASS");
    ASSERT_NE(auth, std::string::npos) << log;
    ASSERT_NE(pass, std::string::npos) << log;
    EXPECT_LT(auth, pass) << "the password only after the upgrade";
    EXPECT_NE(log.find("PROT P"), std::string::npos) << "the data is protected too";
}

}  // namespace
