// The archive of delivered jobs against real files: reading, the order of
// every kind of column, resubmitting into the working directory and deleting.
#include <zentcore/archive.h>

#include "sample_jobs.h"
#include "test_env.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using namespace zentcore;

class Archive : public ::testing::Test {
protected:
    Archive() : archive(machine.dir().file("save")), work(machine.dir().file("work")) {
        fs::create_directories(archive);
        fs::create_directories(work);
    }
    void archived(const std::string& base, const testenv::JobText& text, const std::string* data = nullptr) {
        testenv::writeFile(archive + "/" + base + ".txt", text.text());
        if (data) testenv::writeFile(archive + "/" + base + ".ztp", *data);
    }
    static testenv::JobText delivered(const std::string& doc, const std::string& submitted) {
        testenv::JobText t;
        t.DocName = doc;
        t.Submited = submitted;
        t.SessionId = 17;
        t.Printer = "laser";
        t.Server = "print.example.com";
        t.OkDate = "2003/03/10 12:00:00";
        return t;
    }
    std::vector<std::string> bases(const ArchiveRecords& records) const {
        std::vector<std::string> names;
        for (const auto& r : records) names.push_back(r->BaseName);
        return names;
    }

    testenv::IsolatedMachine machine;
    std::string archive, work;
    const std::string ps = testenv::pagedPostScript(2);
};

TEST_F(Archive, ListsEveryDescriptionWithItsDataSizeAndNothingElse) {
    EXPECT_TRUE(ReadArchive(machine.dir().file("missing")).empty());
    EXPECT_TRUE(ReadArchive(archive).empty());
    archived("ztp_1", delivered("letter", "2003/3/9 8:0:0.0"), &ps);
    archived("ztp_2", delivered("no data", "2003/3/9 9:0:0.0"));
    testenv::writeFile(machine.dir().file("elsewhere.txt"), delivered("not mine", "").text());
    fs::create_symlink(machine.dir().file("elsewhere.txt"), archive + "/ztp_3.txt");
    testenv::writeFile(archive + "/ztp_1.gz", "packed, not listed");

    const auto records = ReadArchive(archive);
    ASSERT_THAT(bases(records), ElementsAre("ztp_1", "ztp_2")) << "a link is no archived job";
    EXPECT_EQ(records[0]->DocName, "letter");
    EXPECT_EQ(records[0]->DataSize, ps.size());
    EXPECT_EQ(records[1]->DataSize, 0u);
    EXPECT_THAT(ArchiveRowTexts(*records[0]),
                ElementsAre("ztp_1", "letter", "2003/3/9 8:0:0.0", ::testing::_, "1", "1", "A4, 210x297mm", "", "17",
                            "laser", "print.example.com", "2003/03/10 12:00:00"));
}

TEST_F(Archive, DatesSortByTheirNumbersWhicheverWayTheyAreWritten) {
    EXPECT_EQ(ArchiveDateKey("2003/3/4 9:5:3.7"), "20030304090503");
    EXPECT_EQ(ArchiveDateKey("2003/03/04 09:05:03"), "20030304090503");
    EXPECT_EQ(ArchiveDateKey(""), "00000000000000");
    EXPECT_EQ(ArchiveDateKey("soon"), "00000000000000");

    archived("ztp_1", delivered("tenth", "2003/3/10 8:0:0.0"), &ps);
    archived("ztp_2", delivered("ninth", "2003/3/9 23:59:59.9"));
    const std::string big(5000, 'x');
    archived("ztp_10", delivered("big", "2003/03/09 10:00:00"), &big);
    auto records = ReadArchive(archive);
    SortArchive(records, kArchiveDefaultSortColumn);
    EXPECT_THAT(bases(records), ElementsAre("ztp_10", "ztp_2", "ztp_1"));
    SortArchive(records, 3);   // Size, as a number
    EXPECT_THAT(bases(records), ElementsAre("ztp_2", "ztp_1", "ztp_10"));
    SortArchive(records, 3);
    EXPECT_THAT(bases(records), ElementsAre("ztp_2", "ztp_1", "ztp_10")) << "always ascending";
    SortArchive(records, 0);   // Filename, byte-wise
    EXPECT_THAT(bases(records), ElementsAre("ztp_1", "ztp_10", "ztp_2"));
}

TEST_F(Archive, ResubmittedJobsAreNewJobsAwaitingTheUsersDecision) {
    archived("ztp_4", delivered("letter", "2003/3/9 8:0:0.0"), &ps);
    archived("ztp_4_1", delivered("again", "2003/3/9 9:0:0.0"), &ps);
    archived("ztp_5", delivered("gone", "2003/3/9 9:0:0.0"));
    testenv::writeFile(work + "/ztp_1.ztp", "a job handed off meanwhile");

    const auto first = ResubmitArchivedJob("ztp_4", archive, work);
    const auto second = ResubmitArchivedJob("ztp_4_1", archive, work);
    ASSERT_EQ(first.outcome, ResubmitResult::Outcome::Queued);
    ASSERT_EQ(second.outcome, ResubmitResult::Outcome::Queued);
    EXPECT_EQ(first.text, "ztp_2");
    EXPECT_EQ(second.text, "ztp_3");
    for (const char* base : {"ztp_2", "ztp_3"}) {
        EXPECT_EQ(testenv::readFile(work + "/" + base + ".ztp"), ps);
        const std::string description = testenv::readFile(work + "/" + base + ".txt");
        EXPECT_THAT(description, HasSubstr("SessionId=0\r\n"));
        EXPECT_THAT(description, HasSubstr("OkDate=\r\n"));
        EXPECT_THAT(description, HasSubstr("Printer=laser\r\n"));
    }
    EXPECT_TRUE(fs::exists(archive + "/ztp_4.ztp")) << "the archived pair stays";

    const auto missing = ResubmitArchivedJob("ztp_5", archive, work);
    EXPECT_EQ(missing.outcome, ResubmitResult::Outcome::NoData);
    EXPECT_EQ(missing.text, archive + "/ztp_5.ztp");
    EXPECT_FALSE(fs::exists(work + "/ztp_4.ztp")) << "nothing made for it";
}

TEST_F(Archive, DeletingRemovesExactlyTheJobsTwoFiles) {
    archived("ztp_1", delivered("letter", ""), &ps);
    testenv::writeFile(archive + "/ztp_1.gz", "kept");
    testenv::writeFile(archive + "/ztp_10.txt", "kept");
    DeleteArchivedJob("ztp_1", archive);
    EXPECT_FALSE(fs::exists(archive + "/ztp_1.txt"));
    EXPECT_FALSE(fs::exists(archive + "/ztp_1.ztp"));
    EXPECT_TRUE(fs::exists(archive + "/ztp_1.gz"));
    EXPECT_TRUE(fs::exists(archive + "/ztp_10.txt"));
}

}  // namespace
