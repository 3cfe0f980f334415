// The reference server killed with SIGKILL while it stores a job, then
// started again on the same spool: what the dead run left is swept, nothing
// else.
#include <poll.h>
#include <unistd.h>

#include <filesystem>

#include <gtest/gtest.h>
#include <zcodec/cipher.h>
#include <zplatform/owneddir.h>

#include "server_process.h"

namespace {

using namespace servertest;
namespace fs = std::filesystem;

// A hidden job directory whose job file is still less than half written.
fs::path halfWrittenJob(const std::string& spool, std::uintmax_t jobBytes) {
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(spool, ec)) {
        if (e.path().filename().string().rfind(".incoming-", 0) != 0) continue;
        const auto size = fs::file_size(e.path() / "job.bin", ec);
        if (!ec && size < jobBytes / 2) return e.path();
    }
    return {};
}

TEST(ServerCrashTest, AJobCutOffByAKillIsSweptAtTheNextStartAndNothingElse) {
    testenv::ReferenceServer server(R"({"max_request_bytes": 33554432, "max_unpacked_bytes": 33554432,
                             "printers": [{"name": "big"}]})");
    auto session = [&] {
        const WireAnswer a = exchange(server.port(), Request{"NEWSESSION", bytes(std::string("eve", 4)),
                                                             encdec::ttEncrypt});
        return be32(a.payload);
    };
    // Enciphered, so the server deciphers it piece by piece into job.bin: the
    // hidden directory lives long enough to be caught.
    const Bytes job = randomBytes(std::size_t(24) << 20, 5);
    const Bytes package = jobPackage("big", "/tmp/big.ps", "Big", job, 0, 0, 0, 1, 1, 9, 0);
    encdec::Key keyA, keyB;
    const auto block = encdec::encrypt_buffer(package.size(), package.data(), 256, keyA, keyB);
    ASSERT_TRUE(block);

    fs::path leftover;
    for (int attempt = 0; attempt < 10 && leftover.empty(); ++attempt) {
        Bytes wire = requestHeader(Request{"PRFILE", package, encdec::ttEncryptDecompress, session()},
                                   std::int32_t(block->size()));
        wire.insert(wire.end(), block->begin(), block->end());
        const int fd = connectLocal(server.port());
        ASSERT_GE(fd, 0);
        sendAll(fd, wire);
        for (;;) {
            leftover = halfWrittenJob(server.spoolDir(), job.size());
            if (!leftover.empty()) {
                server.kill();
                break;
            }
            pollfd p{fd, POLLIN, 0};
            if (poll(&p, 1, 0) == 1) break;   // stored and answered before it was caught
        }
        close(fd);
    }
    ASSERT_FALSE(leftover.empty()) << "no kill caught the server storing a job";
    ASSERT_TRUE(fs::exists(leftover / "job.bin"));
    const auto stored = spooledJobs(server.spoolDir());

    // What must stay: a job directory a live server is building, a file of
    // such a name, and the jobs stored before.
    const platform::OwnedDirectory building(server.spoolDir(), ".incoming-");
    ASSERT_FALSE(building.path().empty());
    testenv::writeFile(server.spoolDir() + "/.incoming-notes", "not a job");

    server.restart();
    EXPECT_FALSE(fs::exists(leftover));
    EXPECT_TRUE(fs::is_directory(building.path()));
    EXPECT_TRUE(fs::exists(server.spoolDir() + "/.incoming-notes"));
    EXPECT_EQ(spooledJobs(server.spoolDir()), stored);
    EXPECT_TRUE(server.logShows("removed " + leftover.string() + ", a job an earlier run did not finish"))
        << server.log();

    const std::int32_t again = session();
    const WireAnswer a = exchange(server.port(), Request{"PRFILE", jobPackage("big", "p", "d", bytes("%!PS"), 0, 0,
                                                                              0, 1, 1, 9, 0),
                                                         encdec::ttNone, again});
    EXPECT_EQ(be32(a.payload), again) << server.log();
    EXPECT_EQ(spooledJobs(server.spoolDir()).size(), stored.size() + 1);
}

}  // namespace
