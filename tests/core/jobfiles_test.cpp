// A job's files: reading and rewriting the description, archiving, deleting,
// and the display texts of sizes and paper codes.
#include "job_test_support.h"
#include "resource_limits.h"

#include <zentcore/jobfiles.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <limits>

namespace {

using testenv::readFile;
using testenv::writeFile;
using zentcore::TQueuedJob;

// One field of the record as text, by its name.
std::string field(const TQueuedJob& job, const std::string& name) {
    if (name == "SessionId") return std::to_string(job.SessionId);
    if (name == "Printer") return job.Printer;
    if (name == "Server") return job.Server;
    if (name == "DocName") return job.DocName;
    if (name == "Submited") return job.Submited;
    if (name == "OkDate") return job.OkDate;
    if (name == "UserName") return job.UserName;
    if (name == "Orientation") return job.Orientation;
    if (name == "Pages") return std::to_string(job.Pages);
    if (name == "Copies") return std::to_string(job.Copies);
    if (name == "Papersize") return std::to_string(job.Papersize);
    if (name == "Color") return std::to_string(job.Color);
    if (name == "Scale") return std::to_string(job.Scale);
    if (name == "MediaType") return std::to_string(job.MediaType);
    ADD_FAILURE() << "no field " << name;
    return {};
}

struct LineCase {
    const char* text;   // the whole description file
    const char* field;
    const char* expected;
};

const LineCase kLineCases[] = {
    // Keys: the line begins with the key, in any case; nothing else matches.
    {"PAGES=3\r\n", "Pages", "3"},
    {"pages = 3\r\n", "Pages", "0"},
    {" Pages=3\r\n", "Pages", "0"},
    {"docname=Report\r\n", "DocName", "Report"},
    // Nothing after the key keeps the field; anything that is no number gives 0.
    {"Copies=\r\n", "Copies", "1"},
    {"Scale=\n", "Scale", "100"},
    {"Copies=x\r\n", "Copies", "0"},
    {"Copies= \r\n", "Copies", "0"},
    {"Color=0x10\r\n", "Color", "0"},
    {"Pages=3 pages\r\n", "Pages", "0"},
    {"SessionId=99999999999\r\n", "SessionId", "0"},
    {"SessionId=-12\r\n", "SessionId", "-12"},
    {"MediaType=  7 \t\r\n", "MediaType", "7"},
    {"Printer=lp1\r\nPrinter=\r\n", "Printer", "lp1"},
    // The last value of a key wins; a text keeps inner blanks and '='.
    {"Pages=1\r\nPages=2\r\n", "Pages", "2"},
    {"DocName=  a = b  \r\n", "DocName", "a = b"},
    {"Submited=2003/3/4 9:5:3.7\r\n", "Submited", "2003/3/4 9:5:3.7"},
    {"OkDate=2024/1/2 3:4:5\r\nServer=print.example\r\n", "OkDate", "2024/1/2 3:4:5"},
    // Paper names when the value is no number.
    {"Papersize=a4\r\n", "Papersize", "9"},
    {"Papersize= A4 \r\n", "Papersize", "9"},
    {"Papersize=11 X 17\r\n", "Papersize", "17"},
    {"Papersize=Letter\r\n", "Papersize", "1"},
    {"Papersize=tabloid\r\n", "Papersize", "3"},
    {"Papersize=5\r\nPapersize=Letter Small\r\n", "Papersize", "5"},
    {"Papersize=42\r\n", "Papersize", "42"},
    // Line ends: LF alone, none at the end of the file, a bare key at the end.
    {"Pages=4\nCopies=2\n", "Copies", "2"},
    {"Copies=2\r\nPages=7", "Pages", "7"},
    {"Pages=7\r\nPages=", "Pages", "7"},
    // The hand-off's keys the queue does not keep are ignored.
    {"PaperWidth=2100\r\nPaperLength=2970\r\nPrintQuality=600\r\n", "Pages", "0"},
    {"", "Scale", "100"},
};

void PrintTo(const LineCase& c, std::ostream* os) { *os << ::testing::PrintToString(std::string(c.text)); }

class DescriptionLine : public ::testing::TestWithParam<LineCase> {};

TEST_P(DescriptionLine, SetsTheFieldAsTheKeyRulesSay) {
    const LineCase& c = GetParam();
    testenv::TempDir dir;
    writeFile(dir.file("ztp_1.txt"), c.text);
    TQueuedJob job;
    job.BaseName = "ztp_1";
    ASSERT_TRUE(zentcore::ReadJobDescription(job, dir.path(), -1, false));
    EXPECT_EQ(field(job, c.field), c.expected) << "description: " << ::testing::PrintToString(std::string(c.text));
}

INSTANTIATE_TEST_SUITE_P(Rules, DescriptionLine, ::testing::ValuesIn(kLineCases));

TEST(ReadJobDescription, ReadsWhatTheHandOffWroteAndTheDataSize) {
    jobtest::WorkDir work;
    encdec::ZTP_JOBDATA data;
    data.DocName = "Quarterly report";
    data.UserName = "anna";
    data.Orientation = "Landscape";
    data.Papersize = 8;
    data.Pages = 12;
    data.Copies = 0;
    data.Color = 2;
    data.Scale = 90;
    data.MediaType = 3;
    data.PaperWidth = 2970;
    data.Submited = {2003, 3, 2, 4, 9, 5, 3, 7};
    const std::string ps = testenv::pagedPostScript(12);
    const std::string base = work.handOff(ps, data);

    TQueuedJob job;
    job.BaseName = base;
    ASSERT_TRUE(zentcore::ReadJobDescription(job, work.path(), -1, false));
    EXPECT_EQ(job.DocName, "Quarterly report");
    EXPECT_EQ(job.UserName, "anna");
    EXPECT_EQ(job.Orientation, "Landscape");
    EXPECT_EQ(job.Submited, "2003/3/4 9:5:3.7");
    EXPECT_EQ(job.Papersize, 8);
    EXPECT_EQ(job.Pages, 12);
    EXPECT_EQ(job.Copies, 1);
    EXPECT_EQ(job.Color, 2);
    EXPECT_EQ(job.Scale, 90);
    EXPECT_EQ(job.MediaType, 3);
    EXPECT_EQ(job.SessionId, 0);
    EXPECT_EQ(job.DataSize, ps.size());
    EXPECT_EQ(job.PackedSize, 0u);
    EXPECT_FALSE(job.CompressThread);
    // Reading only never packs.
    EXPECT_FALSE(std::filesystem::exists(work.file(base + ".gz")));
}

TEST(ReadJobDescription, FailsOnlyWhenTheDescriptionCannotBeRead) {
    testenv::TempDir dir;
    TQueuedJob job;
    job.BaseName = "ztp_1";
    EXPECT_FALSE(zentcore::ReadJobDescription(job, dir.path(), -1, false));
    std::filesystem::create_directory(dir.file("ztp_1.txt"));
    EXPECT_FALSE(zentcore::ReadJobDescription(job, dir.path(), -1, false));

    // Without a data file the size stays as it was.
    writeFile(dir.file("ztp_2.txt"), "Pages=2\r\n");
    job.BaseName = "ztp_2";
    job.DataSize = 77;
    EXPECT_TRUE(zentcore::ReadJobDescription(job, dir.path(), -1, false));
    EXPECT_EQ(job.DataSize, 77u);
    EXPECT_EQ(job.Pages, 2);
}

TEST(WriteJobDescription, RewritesTheHandOffFileWithTheQueuesFourteenLines) {
    jobtest::WorkDir work;
    encdec::ZTP_JOBDATA data;
    data.DocName = "Letter";
    data.UserName = "bob";
    data.Orientation = "Portrait";
    data.Papersize = 9;
    data.Pages = 2;
    data.Copies = 3;
    data.PaperWidth = 2100;
    data.PaperLength = 2970;
    data.PrintQuality = 600;
    data.Scale = 100;
    data.Submited = {2024, 5, 0, 6, 23, 59, 1, 250};
    const std::string base = work.handOff("%!PS\nshowpage\n", data);

    TQueuedJob job;
    job.BaseName = base;
    ASSERT_TRUE(zentcore::ReadJobDescription(job, work.path(), -1, false));
    job.Printer = "laser";
    job.Server = "print.example:20202";
    job.SessionId = 4711;
    job.OkDate = "2024/5/6 23:59:30";
    zentcore::WriteJobDescription(job, work.path());

    EXPECT_EQ(readFile(work.file(base + ".txt")),
              "Printer=laser\r\nServer=print.example:20202\r\nDocName=Letter\r\nSubmited=2024/5/6 23:59:1.250\r\n"
              "UserName=bob\r\nOrientation=Portrait\r\nSessionId=4711\r\nPages=2\r\nCopies=3\r\nPapersize=9\r\n"
              "Color=0\r\nMediaType=0\r\nScale=100\r\nOkDate=2024/5/6 23:59:30\r\n");

    // What is written reads back the same.
    TQueuedJob back;
    back.BaseName = base;
    ASSERT_TRUE(zentcore::ReadJobDescription(back, work.path(), -1, false));
    for (const char* name : {"Printer", "Server", "DocName", "Submited", "UserName", "Orientation", "SessionId", "Pages",
                             "Copies", "Papersize", "Color", "MediaType", "Scale", "OkDate"})
        EXPECT_EQ(field(back, name), field(job, name)) << name;
    // Only the description is written.
    EXPECT_EQ(work.names(), (std::vector<std::string>{base + ".txt", base + ".ztp"}));
}

TEST(WriteJobDescription, ALineBreakInAValueCannotAddALine) {
    testenv::TempDir dir;
    TQueuedJob job;
    job.BaseName = "ztp_1";
    job.Printer = "laser\r\nSessionId=666";
    zentcore::WriteJobDescription(job, dir.path());
    TQueuedJob back;
    back.BaseName = "ztp_1";
    ASSERT_TRUE(zentcore::ReadJobDescription(back, dir.path(), -1, false));
    EXPECT_EQ(back.SessionId, 0);
    EXPECT_EQ(back.Printer, "laser  SessionId=666");
}

TEST(WriteJobDescription, AFailedWriteLeavesTheOldDescriptionWhole) {
    testenv::TempDir dir;
    const std::string old = "DocName=Letter\r\nPages=2\r\n";
    writeFile(dir.file("ztp_1.txt"), old);
    TQueuedJob job;
    job.BaseName = "ztp_1";
    job.SessionId = 99;
    {
        // The new text cannot be written whole (the disk is "full").
        testenv::FileSizeLimit limit(16);
        zentcore::WriteJobDescription(job, dir.path());
    }
    EXPECT_EQ(readFile(dir.file("ztp_1.txt")), old);
    EXPECT_EQ(jobtest::WorkDir::namesIn(dir.path()), (std::vector<std::string>{"ztp_1.txt"}));

    // A directory that is gone: nothing is written, nothing is thrown.
    zentcore::WriteJobDescription(job, dir.file("missing"));
    EXPECT_FALSE(std::filesystem::exists(dir.file("missing")));
}

TEST(UpdatePackedSize, TakesTheSizeOfThePackedFileOrKeepsTheOldOne) {
    testenv::TempDir dir;
    TQueuedJob job;
    job.BaseName = "ztp_3";
    job.PackedSize = 5;
    zentcore::UpdatePackedSize(job, dir.path());
    EXPECT_EQ(job.PackedSize, 5u);
    writeFile(dir.file("ztp_3.gz"), std::string(1234, 'z'));
    zentcore::UpdatePackedSize(job, dir.path());
    EXPECT_EQ(job.PackedSize, 1234u);
}

class ArchiveJobFiles : public ::testing::Test {
protected:
    ArchiveJobFiles() : save(work.machine().dir().file("save/anna")) {}

    // Hands off a job whose data and description name it, with a packed file.
    std::string jobNamed(const std::string& text) {
        encdec::ZTP_JOBDATA data;
        data.DocName = text;
        const std::string base = work.handOff("%!PS " + text + "\n", data);
        writeFile(work.file(base + ".gz"), "packed");
        return base;
    }

    jobtest::WorkDir work;
    std::string save;
};

TEST_F(ArchiveJobFiles, CopiesDataAndDescriptionIntoANewSaveDirectory) {
    TQueuedJob job;
    job.BaseName = jobNamed("first");
    zentcore::ArchiveJobFiles(job, work.path(), save);

    EXPECT_EQ(jobtest::WorkDir::namesIn(save), (std::vector<std::string>{"ztp_1.txt", "ztp_1.ztp"}));
    EXPECT_EQ(readFile(save + "/ztp_1.ztp"), "%!PS first\n");
    EXPECT_EQ(readFile(save + "/ztp_1.txt"), readFile(work.file("ztp_1.txt")));
    // The originals stay where they are.
    EXPECT_EQ(work.names(), (std::vector<std::string>{"ztp_1.gz", "ztp_1.txt", "ztp_1.ztp"}));
}

TEST_F(ArchiveJobFiles, AReusedJobNumberNeverOverwritesAnEarlierArchivedJob) {
    // Three jobs delivered one after the other all get number 1.
    for (const char* text : {"first", "second", "third"}) {
        TQueuedJob job;
        job.BaseName = jobNamed(text);
        ASSERT_EQ(job.BaseName, "ztp_1");
        zentcore::ArchiveJobFiles(job, work.path(), save);
        zentcore::DeleteJobFiles(job, work.path());
    }
    EXPECT_EQ(jobtest::WorkDir::namesIn(save), (std::vector<std::string>{"ztp_1.txt", "ztp_1.ztp", "ztp_1_1.txt",
                                                                          "ztp_1_1.ztp", "ztp_1_2.txt", "ztp_1_2.ztp"}));
    EXPECT_EQ(readFile(save + "/ztp_1.ztp"), "%!PS first\n");
    EXPECT_EQ(readFile(save + "/ztp_1_1.ztp"), "%!PS second\n");
    EXPECT_EQ(readFile(save + "/ztp_1_2.ztp"), "%!PS third\n");
    EXPECT_THAT(readFile(save + "/ztp_1_2.txt"), ::testing::HasSubstr("DocName=third\r\n"));
}

TEST_F(ArchiveJobFiles, TakesTheFirstBaseNameWhoseDataAndDescriptionAreBothFree) {
    std::filesystem::create_directories(save);
    // Either half of a pair blocks the name.
    writeFile(save + "/ztp_1.txt", "old description");
    writeFile(save + "/ztp_1_1.ztp", "old data");
    TQueuedJob job;
    job.BaseName = jobNamed("new");
    zentcore::ArchiveJobFiles(job, work.path(), save);
    EXPECT_EQ(jobtest::WorkDir::namesIn(save),
              (std::vector<std::string>{"ztp_1.txt", "ztp_1_1.ztp", "ztp_1_2.txt", "ztp_1_2.ztp"}));
    EXPECT_EQ(readFile(save + "/ztp_1.txt"), "old description");
    EXPECT_EQ(readFile(save + "/ztp_1_1.ztp"), "old data");
    EXPECT_EQ(readFile(save + "/ztp_1_2.ztp"), "%!PS new\n");
}

TEST_F(ArchiveJobFiles, AMissingDataFileStillArchivesTheDescription) {
    TQueuedJob job;
    job.BaseName = jobNamed("lost");
    std::filesystem::remove(work.file("ztp_1.ztp"));
    zentcore::ArchiveJobFiles(job, work.path(), save);
    EXPECT_EQ(jobtest::WorkDir::namesIn(save), (std::vector<std::string>{"ztp_1.txt"}));
}

TEST(DeleteJobFiles, DeletesTheThreeFilesOfTheJobAndNothingElse) {
    testenv::TempDir dir;
    for (const char* name : {"ztp_1.txt", "ztp_1.ztp", "ztp_1.gz", "ztp_10.txt", "ztp_10.ztp", "ztp_1.txt.bak"})
        writeFile(dir.file(name), name);
    TQueuedJob job;
    job.BaseName = "ztp_1";
    zentcore::DeleteJobFiles(job, dir.path());
    EXPECT_EQ(jobtest::WorkDir::namesIn(dir.path()),
              (std::vector<std::string>{"ztp_1.txt.bak", "ztp_10.txt", "ztp_10.ztp"}));
    // Again, with every file already gone.
    zentcore::DeleteJobFiles(job, dir.path());
    EXPECT_EQ(jobtest::WorkDir::namesIn(dir.path()).size(), 3u);
}

TEST(FormatByteSize, ShowsBytesUpToAThousandThenRoundedKiloAndMega) {
    const struct {
        std::uint64_t bytes;
        const char* text;
    } cases[] = {
        {0, "0"},
        {1, "1"},
        {1000, "1000"},
        {1001, "1 K"},
        {1499, "1 K"},
        {1500, "2 K"},
        {1501, "2 K"},
        {999499, "999 K"},
        {999500, "1000 K"},
        {1000000, "1000 K"},
        {1000001, "1 M"},
        {1499999, "1 M"},
        {1500000, "2 M"},
        {5368709120ull, "5369 M"},   // past 4 GiB
        {std::numeric_limits<std::uint64_t>::max(), "18446744073710 M"},
    };
    for (const auto& c : cases) EXPECT_EQ(zentcore::FormatByteSize(c.bytes), c.text) << c.bytes;
}

TEST(PaperSizeName, NamesTheKnownCodesAndShowsOthersAsNumbers) {
    const struct {
        std::int32_t code;
        const char* text;
    } cases[] = {
        {1, "Letter, 8 1/2 x 11'"},
        {2, "Letter Small, 8 1/2 x11'"},
        {9, "A4, 210x297mm"},
        {17, "11x17'"},
        {19, "#9 Envelope, 3 7/8 x8 7/8'"},
        {29, "C3 Envelope,  324x458mm"},
        {31, "C6 Envelope,  114x162-millimeters"},
        {37, "Monarch Envelope, 3 7/8 x 7 1/2'"},
        {41, "German Legal Fanfold, 8 1/2 x13'"},
        {0, "#0"},
        {42, "#42"},
        {-1, "#-1"},
        {256, "#256"},
    };
    for (const auto& c : cases) EXPECT_EQ(zentcore::PaperSizeName(c.code), c.text) << c.code;
}

}  // namespace
