// How jobs enter the queue: the scan of the working directory, the
// hand-off's notification, and the packing started for every new job.
#include "job_test_support.h"

#include <zentcore/jobfiles.h>
#include <zentcore/jobscan.h>
#include <zplatform/prompter.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <memory>
#include <thread>

namespace {

namespace fs = std::filesystem;
using testenv::readFile;
using testenv::writeFile;
using zentcore::JobQueue;
using zentcore::TQueuedJob;

std::vector<std::string> keys(const JobQueue& queue) {
    std::vector<std::string> k;
    for (std::size_t i = 0; i < queue.size(); ++i) k.push_back(queue.at(i).BaseName);
    return k;
}

encdec::ZTP_JOBDATA named(const std::string& doc) {
    encdec::ZTP_JOBDATA data;
    data.DocName = doc;
    return data;
}

// What gunzip makes of a file.
std::string gunzip(const std::string& path) {
    const auto r = testenv::run({"/usr/bin/gzip", "-dc", path});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    return r.out;
}

// Files a conversion or a rewrite leaves behind when it goes wrong.
std::vector<std::string> hiddenFiles(const std::string& dir) {
    auto names = jobtest::WorkDir::namesIn(dir);
    std::erase_if(names, [](const std::string& n) { return n.empty() || n[0] != '.'; });
    return names;
}

class JobScan : public ::testing::Test {
protected:
    JobScan() : prompts(prompter) {}

    jobtest::WorkDir work;
    platform::ScriptedPrompter prompter;
    platform::ScopedPrompter prompts;
    JobQueue queue;
};

TEST_F(JobScan, TakesInEveryJobInTheOrderOfItsNumber) {
    for (int i = 1; i <= 12; ++i) work.handOff(testenv::pagedPostScript(i), named("doc " + std::to_string(i)));
    zentcore::RescanWorkDir(queue, work.path(), nullptr, false);

    EXPECT_EQ(keys(queue), (std::vector<std::string>{"ztp_1", "ztp_2", "ztp_3", "ztp_4", "ztp_5", "ztp_6", "ztp_7",
                                                     "ztp_8", "ztp_9", "ztp_10", "ztp_11", "ztp_12"}));
    EXPECT_TRUE(queue.ListChanged);
    EXPECT_EQ(queue.at(9).DocName, "doc 10");
    EXPECT_EQ(queue.at(9).DataSize, testenv::pagedPostScript(10).size());
    // Only read: nothing packs, nothing is written.
    for (std::size_t i = 0; i < queue.size(); ++i) EXPECT_FALSE(queue.at(i).CompressThread);
    EXPECT_EQ(work.names().size(), 24u);

    // A second scan finds nothing new.
    queue.ListChanged = false;
    zentcore::RescanWorkDir(queue, work.path(), nullptr, false);
    EXPECT_EQ(queue.size(), 12u);
    EXPECT_TRUE(queue.ListChanged);
}

TEST_F(JobScan, SkipsQueuedAndWizardJobsAndWhatCannotBeRead) {
    for (int i = 1; i <= 4; ++i) work.handOff("%!PS\n", named("doc " + std::to_string(i)));
    auto queued = std::make_unique<TQueuedJob>();
    queued->BaseName = "ZTP_3";   // keys compare without regard to case
    queue.append(std::move(queued));
    TQueuedJob wizards;
    wizards.BaseName = "ztp_2";
    // Files that are no readable job description.
    fs::create_symlink(work.file("nowhere.txt"), work.file("ztp_8.txt"));
    fs::create_directory(work.file("ztp_9.txt"));
    ASSERT_EQ(mkfifo(work.file("ztp_10.txt").c_str(), 0600), 0);   // would block a plain open
    writeFile(work.file("other.txt"), "DocName=other\r\n");
    writeFile(work.file(".ztp_5.txt.tmp-abcdef"), "DocName=half\r\n");
    writeFile(work.file("ztp_6.ztp"), "%!PS\n");
    writeFile(work.file("ztp_7.txt.bak"), "DocName=backup\r\n");

    zentcore::RescanWorkDir(queue, work.path(), &wizards, false);

    EXPECT_EQ(keys(queue), (std::vector<std::string>{"ZTP_3", "ztp_1", "ztp_4"}));
    EXPECT_EQ(queue.at(0).DocName, "");   // not read again
    EXPECT_EQ(queue.at(2).DocName, "doc 4");
    EXPECT_TRUE(prompter.calls.empty());   // skipped without a message
}

TEST_F(JobScan, LeavesTheJobsOfOtherUsersInASharedDirectoryAlone) {
    if (geteuid() != 0) GTEST_SKIP() << "needs root to make files of another user";
    work.handOff("%!PS\n", named("mine"));
    work.handOff("%!PS\n", named("theirs"));
    // Readable to us, but not ours to send.
    ASSERT_EQ(chown(work.file("ztp_2.txt").c_str(), 65534, 65534), 0);
    ASSERT_EQ(chown(work.file("ztp_2.ztp").c_str(), 65534, 65534), 0);

    zentcore::RescanWorkDir(queue, work.path(), nullptr, false);
    EXPECT_TRUE(zentcore::AcceptNotifiedJob(queue, work.path(), "ztp_2.ztp", nullptr));

    EXPECT_EQ(keys(queue), (std::vector<std::string>{"ztp_1"}));
    EXPECT_TRUE(fs::exists(work.file("ztp_2.ztp")));
}

TEST_F(JobScan, PacksEveryNewJobIntoAGzipFile) {
    std::vector<std::string> data;
    for (int i = 1; i <= 3; ++i) {
        data.push_back(testenv::pagedPostScript(50 * i));
        work.handOff(data.back());
    }
    zentcore::RescanWorkDir(queue, work.path(), nullptr);

    ASSERT_EQ(queue.size(), 3u);
    for (std::size_t i = 0; i < queue.size(); ++i) {
        TQueuedJob& job = queue.at(i);
        ASSERT_TRUE(job.CompressThread) << job.BaseName;
        job.CompressThread->WaitFor();
        EXPECT_TRUE(job.CompressThread->IsSuccessful()) << job.CompressThread->GetErrorText();
        const std::string packed = work.file(job.BaseName + ".gz");
        EXPECT_EQ(gunzip(packed), data[i]);
        zentcore::UpdatePackedSize(job, work.path());
        EXPECT_EQ(job.PackedSize, fs::file_size(packed));
        EXPECT_LT(job.PackedSize, job.DataSize);
    }
    EXPECT_TRUE(hiddenFiles(work.path()).empty());
}

TEST_F(JobScan, AJobAlreadyPackedShowsItsPackedSizeAtOnce) {
    const std::string base = work.handOff(testenv::pagedPostScript(3));
    writeFile(work.file(base + ".gz"), "already packed");
    zentcore::RescanWorkDir(queue, work.path(), nullptr);
    ASSERT_EQ(queue.size(), 1u);
    EXPECT_FALSE(queue.at(0).CompressThread);
    EXPECT_EQ(queue.at(0).PackedSize, 14u);
    EXPECT_EQ(readFile(work.file(base + ".gz")), "already packed");
}

TEST_F(JobScan, APackedFileOlderThanTheDataIsPackedAgain) {
    // Left behind by an earlier job of the same number.
    writeFile(work.file("ztp_1.gz"), "someone else's job");
    const timespec lastYear[2] = {{std::time(nullptr) - 365 * 86400, 0}, {std::time(nullptr) - 365 * 86400, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, work.file("ztp_1.gz").c_str(), lastYear, 0), 0);
    const std::string data = testenv::pagedPostScript(4);
    ASSERT_EQ(work.handOff(data), "ztp_1");

    zentcore::RescanWorkDir(queue, work.path(), nullptr);
    ASSERT_EQ(queue.size(), 1u);
    ASSERT_TRUE(queue.at(0).CompressThread);
    queue.at(0).CompressThread->WaitFor();
    EXPECT_EQ(gunzip(work.file("ztp_1.gz")), data);
}

TEST_F(JobScan, TheNotificationOfAJobTheScanQueuedKeepsOneRecord) {
    const std::string base = work.handOff("%!PS\n", named("letter"));
    zentcore::RescanWorkDir(queue, work.path(), nullptr, false);
    ASSERT_EQ(queue.size(), 1u);
    const TQueuedJob* record = &queue.at(0);
    queue.ListChanged = false;

    EXPECT_TRUE(zentcore::AcceptNotifiedJob(queue, work.path(), base + ".ztp", nullptr));
    ASSERT_EQ(queue.size(), 1u);
    EXPECT_EQ(&queue.at(0), record);
    EXPECT_FALSE(queue.ListChanged);   // nothing happened
    EXPECT_TRUE(prompter.calls.empty());
}

TEST_F(JobScan, ANotifiedJobIsQueuedAndPackedOnce) {
    const std::string data = testenv::pagedPostScript(8);
    const std::string base = work.handOff(data, named("notified"));
    EXPECT_TRUE(zentcore::AcceptNotifiedJob(queue, work.path(), base + ".ztp", nullptr));
    ASSERT_EQ(queue.size(), 1u);
    EXPECT_TRUE(queue.ListChanged);
    TQueuedJob& job = queue.at(0);
    EXPECT_EQ(job.BaseName, base);
    EXPECT_EQ(job.DocName, "notified");
    EXPECT_EQ(job.DataSize, data.size());
    ASSERT_TRUE(job.CompressThread);
    job.CompressThread->WaitFor();
    EXPECT_EQ(gunzip(work.file(base + ".gz")), data);

    // The scan that follows adds nothing.
    zentcore::RescanWorkDir(queue, work.path(), nullptr);
    EXPECT_EQ(queue.size(), 1u);
}

TEST_F(JobScan, ANotificationForTheWizardsJobOrAMissingDescriptionAddsNothing) {
    const std::string base = work.handOff("%!PS\n");
    TQueuedJob wizards;
    wizards.BaseName = base;
    EXPECT_TRUE(zentcore::AcceptNotifiedJob(queue, work.path(), base + ".ztp", &wizards));
    EXPECT_TRUE(queue.empty());

    fs::remove(work.file(base + ".txt"));
    EXPECT_TRUE(zentcore::AcceptNotifiedJob(queue, work.path(), base + ".ztp", nullptr));
    EXPECT_TRUE(queue.empty());
    EXPECT_TRUE(queue.ListChanged);
    EXPECT_TRUE(prompter.calls.empty());
}

TEST_F(JobScan, ANameTheHandOffCannotHaveSentIsRefusedWithTheErrorReport) {
    // Descriptions these names could reach if they were taken.
    writeFile(work.machine().dir().file("x.txt"), "DocName=outside\r\n");
    fs::create_directories(work.file("sub"));
    writeFile(work.file("sub/ztp_1.txt"), "DocName=inside a directory\r\n");
    writeFile(work.file("ztp_01.txt"), "DocName=padded\r\n");
    writeFile(work.file("notes.txt"), "DocName=notes\r\n");

    const std::string refused[] = {
        "",
        "../x.ztp",
        "sub/ztp_1.ztp",
        "/etc/passwd",
        "ztp_01.ztp",
        "ztp_0.ztp",
        "ztp_1000.ztp",
        "ztp_1.txt",
        "notes.ztp",
        "ztp_1.ztp\n",
        "ztp_" + std::string(70, '1') + ".ztp",
    };
    for (const std::string& name : refused) {
        prompter.calls.clear();
        queue.ListChanged = false;
        EXPECT_FALSE(zentcore::AcceptNotifiedJob(queue, work.path(), name, nullptr)) << name;
        EXPECT_TRUE(queue.empty()) << name;
        EXPECT_FALSE(queue.ListChanged) << name;
        ASSERT_EQ(prompter.calls.size(), 1u) << name;
        EXPECT_EQ(prompter.calls[0].kind, platform::ScriptedPrompter::Kind::Error);
        EXPECT_EQ(prompter.calls[0].caption, "GlobalGetAtomName FAILED");
        EXPECT_EQ(prompter.calls[0].text, "Invalid argument");
    }
}

// Many jobs at once: only a few pack at the same time, a job's thread can be
// waited for while others wait their turn, and jobs dropped while waiting end
// at once.
TEST_F(JobScan, ManyNewJobsTakeTurnsPacking) {
    const std::string data = testenv::pagedPostScript(12000);   // ~2 MB
    for (int i = 0; i < 12; ++i) work.handOff(data);
    zentcore::RescanWorkDir(queue, work.path(), nullptr);
    ASSERT_EQ(queue.size(), 12u);

    // Every running packing writes one partial file beside its target.
    const std::size_t slots = std::max(2u, std::thread::hardware_concurrency());
    std::size_t most = 0;
    auto allDone = [&] {
        for (std::size_t i = 0; i < queue.size(); ++i)
            if (!queue.at(i).CompressThread->IsFinished()) return false;
        return true;
    };
    while (!allDone()) {
        std::size_t partial = 0;
        for (const auto& name : jobtest::WorkDir::namesIn(work.path())) partial += name.ends_with(".part");
        most = std::max(most, partial);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    EXPECT_LE(most, slots);
    EXPECT_GE(most, 1u);
    // The last in line is waited for first: no deadlock, and it is whole.
    queue.at(11).CompressThread->WaitFor();
    EXPECT_EQ(gunzip(work.file("ztp_12.gz")), data);
    for (std::size_t i = 0; i < queue.size(); ++i) EXPECT_TRUE(queue.at(i).CompressThread->IsSuccessful());
}

TEST_F(JobScan, DroppingJobsThatWaitToPackEndsThemAtOnce) {
    const std::string data = testenv::pagedPostScript(12000);
    for (int i = 0; i < 30; ++i) work.handOff(data);
    {
        JobQueue many;
        zentcore::RescanWorkDir(many, work.path(), nullptr);
        ASSERT_EQ(many.size(), 30u);
        // Time for every thread to line up. The last in line then surely
        // waits; one that only noticed its stop at its next look (once a
        // second) would take most of a second to go.
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        ASSERT_FALSE(many.at(many.size() - 1).CompressThread->IsFinished());
        const auto start = std::chrono::steady_clock::now();
        many.remove(&many.at(many.size() - 1));
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500));
        while (!many.empty()) many.remove(&many.at(many.size() - 1));
    }
    // Nothing half-written is left; what was packed is whole.
    EXPECT_TRUE(hiddenFiles(work.path()).empty());
    for (const auto& name : work.names()) {
        if (name.ends_with(".gz")) {
            EXPECT_EQ(gunzip(work.file(name)), data) << name;
        }
    }
}

}  // namespace
