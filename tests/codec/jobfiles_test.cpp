#include <zcodec/jobfiles.h>

#include "test_env.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cerrno>
#include <filesystem>

namespace {

using encdec::JobFiles;

TEST(JobFiles, NamesTheThreeFilesOfAJob) {
    const JobFiles job("/work/jobs/", 12);
    EXPECT_EQ(job.baseName(), "ztp_12");
    EXPECT_EQ(job.number(), 12);
    EXPECT_EQ(job.ztp(), "/work/jobs/ztp_12.ztp");
    EXPECT_EQ(job.txt(), "/work/jobs/ztp_12.txt");
    EXPECT_EQ(job.gz(), "/work/jobs/ztp_12.gz");
    EXPECT_EQ(job.path(".zt1"), "/work/jobs/ztp_12.zt1");
    EXPECT_EQ(job.name(".ztp"), "ztp_12.ztp");
    EXPECT_EQ(job.in("/save/anna").txt(), "/save/anna/ztp_12.txt");
    // Archived copies carry suffixes: a base name, but no job number.
    EXPECT_EQ(JobFiles("/save", "ztp_12_1").number(), 0);
}

TEST(JobFiles, ReadsNumbersOnlyFromTheNamesTheHandOffMakes) {
    struct Row {
        const char* name;
        int number;
    } rows[] = {
        {"ztp_1.ztp", 1},      {"ztp_999.ztp", 999},   {"ztp_42.ztp", 42},      {"ztp_1000.ztp", 0},
        {"ztp_0.ztp", 0},      {"ztp_01.ztp", 0},      {"ztp_.ztp", 0},         {"ztp_1.txt", 0},
        {"ztp_1.ztp.ztp", 0},  {"ZTP_1.ztp", 0},       {"../ztp_1.ztp", 0},     {"dir/ztp_1.ztp", 0},
        {"ztp_-1.ztp", 0},     {"ztp_1a.ztp", 0},      {"", 0},                 {"ztp_1 .ztp", 0},
    };
    for (const auto& r : rows) EXPECT_EQ(JobFiles::numberOfDataFile(r.name), r.number) << r.name;
}

TEST(JobFiles, KnowsADescriptionByItsPrefixAndExtension) {
    EXPECT_EQ(JobFiles::baseNameOfDescription("ztp_7.txt"), "ztp_7");
    EXPECT_EQ(JobFiles::baseNameOfDescription("ztp_.txt"), "ztp_");
    for (const char* other : {"ztp_7.ztp", "ztp_7.txt.bak", ".ztp_7.txt.tmp-abc", "notes.txt", "ztp.txt", ""})
        EXPECT_FALSE(JobFiles::baseNameOfDescription(other)) << other;
}

TEST(JobFiles, CreatesTheSmallestFreeNumberExclusively) {
    testenv::TempDir dir;
    testenv::writeFile(dir.file("ztp_1.ztp"), "taken");
    testenv::writeFile(dir.file("ztp_3.ztp"), "taken");
    auto first = JobFiles::createNew(dir.path());
    ASSERT_TRUE(first);
    EXPECT_EQ(first->files.baseName(), "ztp_2");
    EXPECT_TRUE(first->data.ok());
    auto second = JobFiles::createNew(dir.path());
    ASSERT_TRUE(second);
    EXPECT_EQ(second->files.baseName(), "ztp_4");
    EXPECT_EQ(testenv::readFile(dir.file("ztp_1.ztp")), "taken");

    errno = 0;
    EXPECT_FALSE(JobFiles::createNew(dir.file("missing")));
    EXPECT_EQ(errno, ENOENT);
}

}  // namespace
