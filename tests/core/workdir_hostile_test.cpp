// Files named like a job's that are not regular files: links to files
// elsewhere, pipes and devices. None is followed, written through or taken
// in, and none can stall the client.
#include "job_test_support.h"
#include "wait.h"

#include <zcodec/clientthread.h>
#include <zcodec/handoff.h>
#include <zentcore/jobfiles.h>
#include <zentcore/jobscan.h>
#include <zentcore/transmission.h>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <functional>

namespace {

namespace fs = std::filesystem;
using testenv::readFile;
using testenv::writeFile;
using zentcore::JobQueue;
using zentcore::TQueuedJob;

const std::string kVictim = "precious, not a job\n";
const std::string kDescription = "DocName=planted\r\nPages=1\r\n";

class HostileWorkDir : public ::testing::Test {
public:
    // A file outside the working directory that a link in it names.
    std::string victim() const { return work.machine().dir().file("victim.txt"); }
    void SetUp() override { writeFile(victim(), kVictim); }
    bool isLink(const std::string& name) const { return fs::is_symlink(work.file(name)); }

    jobtest::WorkDir work;
};

// What an attacker (or a careless user) puts under job 1's names.
struct Planted {
    const char* what;
    std::function<void(const HostileWorkDir&, const jobtest::WorkDir&)> plant;
};

void link(const std::string& target, const std::string& name) { fs::create_symlink(target, name); }

void fifo(const std::string& name) { ASSERT_EQ(::mkfifo(name.c_str(), 0600), 0); }

TEST_F(HostileWorkDir, TheScanTakesInNoJobWhoseFilesAreNotRegular) {
    const Planted cases[] = {
        {"description links elsewhere",
         [](const HostileWorkDir& t, const jobtest::WorkDir& w) {
             writeFile(t.victim(), kDescription);
             link(t.victim(), w.file("ztp_1.txt"));
             writeFile(w.file("ztp_1.ztp"), "%!PS\n");
         }},
        {"data links to a system file",
         [](const HostileWorkDir&, const jobtest::WorkDir& w) {
             writeFile(w.file("ztp_1.txt"), kDescription);
             link("/etc/passwd", w.file("ztp_1.ztp"));
         }},
        {"data links to an endless device",
         [](const HostileWorkDir&, const jobtest::WorkDir& w) {
             writeFile(w.file("ztp_1.txt"), kDescription);
             link("/dev/zero", w.file("ztp_1.ztp"));
         }},
        {"packed data links elsewhere, newer than the data",
         [](const HostileWorkDir& t, const jobtest::WorkDir& w) {
             writeFile(w.file("ztp_1.txt"), kDescription);
             writeFile(w.file("ztp_1.ztp"), "%!PS\n");
             link(t.victim(), w.file("ztp_1.gz"));
         }},
        {"description is a pipe",
         [](const HostileWorkDir&, const jobtest::WorkDir& w) {
             fifo(w.file("ztp_1.txt"));
             writeFile(w.file("ztp_1.ztp"), "%!PS\n");
         }},
        {"data is a pipe",
         [](const HostileWorkDir&, const jobtest::WorkDir& w) {
             writeFile(w.file("ztp_1.txt"), kDescription);
             fifo(w.file("ztp_1.ztp"));
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        for (const auto& e : fs::directory_iterator(work.path())) fs::remove(e.path());
        writeFile(victim(), kVictim);
        c.plant(*this, work);
        const std::string planted = readFile(victim());

        JobQueue queue;
        const auto start = std::chrono::steady_clock::now();
        zentcore::RescanWorkDir(queue, work.path(), nullptr);
        EXPECT_TRUE(queue.empty());
        EXPECT_FALSE(zentcore::AcceptNotifiedJob(queue, work.path(), "ztp_1.ztp", nullptr) && !queue.empty());
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2)) << "nothing blocks";
        EXPECT_EQ(readFile(victim()), planted);
    }
}

TEST_F(HostileWorkDir, PipesUnderJobNamesLeaveThePackingOfRealJobsRunning) {
    // Before, each pipe held a packing thread in open() for ever, and two of
    // them filled every turn of the packing gate.
    for (int n = 1; n <= 4; ++n) {
        writeFile(work.file("ztp_" + std::to_string(n) + ".txt"), kDescription);
        fifo(work.file("ztp_" + std::to_string(n) + ".ztp"));
    }
    const std::string real = work.handOff(testenv::pagedPostScript(3));
    JobQueue queue;
    zentcore::RescanWorkDir(queue, work.path(), nullptr);
    ASSERT_EQ(queue.size(), 1u);
    TQueuedJob& job = queue.at(0);
    EXPECT_EQ(job.BaseName, real);
    ASSERT_TRUE(job.CompressThread);
    EXPECT_TRUE(testenv::waitUntil([&] { return job.CompressThread->IsFinished(); }));
    EXPECT_TRUE(job.CompressThread->IsSuccessful());
}

TEST_F(HostileWorkDir, WritesReplaceALinkAndNeverTheFileItNames) {
    // The hand-off takes number 1, whose description name is a planted link.
    link(victim(), work.file("ztp_1.txt"));
    const std::string base = work.handOff("%!PS\n");
    ASSERT_EQ(base, "ztp_1");
    EXPECT_EQ(readFile(victim()), kVictim);
    EXPECT_FALSE(isLink("ztp_1.txt"));
    EXPECT_NE(readFile(work.file("ztp_1.txt")).find("DocName="), std::string::npos);

    // The queue's rewrite of a description, and the packing of the data.
    fs::remove(work.file("ztp_1.txt"));
    link(victim(), work.file("ztp_1.txt"));
    TQueuedJob job;
    job.BaseName = base;
    job.DocName = "rewritten";
    zentcore::WriteJobDescription(job, work.path());
    EXPECT_EQ(readFile(victim()), kVictim);
    EXPECT_FALSE(isLink("ztp_1.txt"));
}

TEST_F(HostileWorkDir, JobFilesAreTheirOwnersOnly) {
    const std::string base = work.handOff("%!PS\n");
    TQueuedJob job;
    job.BaseName = base;
    ASSERT_TRUE(zentcore::ReadJobDescription(job, work.path(), -1, true));
    zentcore::FinishCompression(job, work.path());
    for (const char* ext : {".ztp", ".txt", ".gz"}) {
        struct stat st {};
        ASSERT_EQ(::lstat(work.file(base + ext).c_str(), &st), 0) << ext;
        EXPECT_EQ(st.st_mode & 077, 0u) << ext << " is readable by others";
    }
}

TEST_F(HostileWorkDir, TheArchiveCopiesNoLinkedFile) {
    writeFile(work.file("ztp_1.txt"), kDescription);
    link(victim(), work.file("ztp_1.ztp"));
    TQueuedJob job;
    job.BaseName = "ztp_1";
    const std::string save = work.machine().dir().file("save");
    zentcore::ArchiveJobFiles(job, work.path(), save);
    EXPECT_FALSE(fs::exists(save + "/ztp_1.ztp"));
    for (const auto& e : fs::directory_iterator(save)) EXPECT_NE(readFile(e.path().string()), kVictim) << e.path();
}

TEST_F(HostileWorkDir, ATransmissionNeverSendsALinkedPackedFile) {
    writeFile(work.file("ztp_1.ztp"), "%!PS\n");
    link(victim(), work.file("ztp_1.gz"));
    TQueuedJob job;
    job.BaseName = "ztp_1";
    job.Printer = "laser";
    // Nothing listens there: a request that was made fails to connect (no
    // answer); one refused before it is made is not prepared.
    encdec::TCommResult result;
    auto thread = encdec::Communicate("PRFILE", zentcore::TransmissionText(job, work.path(), nullptr),
                                      "127.0.0.1:" + std::to_string(testenv::freeLocalPort()), 0, result,
                                      encdec::ttEncryptDecompress, 1, 0, "");
    EXPECT_EQ(result.ReturnValue, 0);
    EXPECT_EQ(result.ErrorCode, encdec::kErrNotPrepared);
}

}  // namespace
