// "Add new job": export files made the way a local export makes them, taken
// back in through the File menu; damaged and hostile files are refused
// without leaving anything behind.
#include "client_env.h"
#include "sample_jobs.h"

#include "shell/importjob.h"

#include <zcodec/pipeline.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>

namespace {

using clienttest::Client;
using clienttest::ClientMachine;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using Kind = platform::ScriptedPrompter::Kind;

const std::string kDescription = testenv::JobText{.DocName = "Quarterly report",
                                                  .Submited = "2024/05/01 10:00:00",
                                                  .Orientation = "Landscape",
                                                  .Pages = 3,
                                                  .Copies = 2,
                                                  .Papersize = 8,
                                                  .Color = 1,
                                                  .SessionId = 4711,
                                                  .Printer = "laser",
                                                  .Server = "print.example:20202",
                                                  .OkDate = "2024/05/01 10:05:00",
                                                  .extra = "MediaType=0\r\nScale=100\r\n"}
                                      .text();

std::string jobData() { return testenv::postScriptOfSize(75000); }

// Runs one step of the pipeline on files, as the export does.
std::string packed(encdec::TransportType type, const std::string& bytes, const testenv::TempDir& dir) {
    const std::string in = dir.file("pack.in"), out = dir.file("pack.out");
    testenv::writeFile(in, bytes);
    encdec::EncCmpThread thread(false, type, in, out);
    thread.WaitFor();
    EXPECT_TRUE(thread.IsSuccessful());
    return testenv::readFile(out);
}

std::string le32(std::int32_t n) {
    const auto u = std::uint32_t(n);
    return {char(u & 0xff), char(u >> 8 & 0xff), char(u >> 16 & 0xff), char(u >> 24 & 0xff)};
}

// An export file: the enciphered package of length, description and packed data.
class Exports {
public:
    std::string file(const std::string& name, const std::string& contents) {
        const std::string path = dir_.file(name);
        testenv::writeFile(path, contents);
        return path;
    }
    std::string enciphered(const std::string& name, const std::string& package) {
        return file(name, packed(encdec::ttEncrypt, package, dir_));
    }
    std::string exportFile(const std::string& name, const std::string& description, const std::string& data) {
        return enciphered(name, le32(std::int32_t(description.size())) + description +
                                    packed(encdec::ttCompress, data, dir_));
    }
    std::string gz(const std::string& data) { return packed(encdec::ttCompress, data, dir_); }

private:
    testenv::TempDir dir_;
};

TEST(AddNewJob, AnExportedJobComesBackWithoutItsDestinationAndTwiceMeansTwoJobs) {
    ClientMachine machine;
    Exports exports;
    const std::string data = jobData();
    const std::string file = exports.exportFile("report.zte", kDescription, data);
    Client client;
    client.start();
    auto& form = client.form();
    form.Timer1->stop();

    client.services.chosenFiles = {file, file};
    form.Addnewjob1->trigger();
    form.Addnewjob1->trigger();
    EXPECT_TRUE(client.prompter.calls.empty()) << client.prompter.calls[0].text;
    EXPECT_THAT(machine.workFiles(), ElementsAre("ztp_1.gz", "ztp_1.txt", "ztp_1.ztp", "ztp_2.gz", "ztp_2.txt",
                                                 "ztp_2.ztp"));
    for (const char* name : {"ztp_1", "ztp_2"}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(testenv::readFile(machine.workDir + "/" + name + ".ztp"), data);
        const std::string text = testenv::readFile(machine.workDir + "/" + name + ".txt");
        EXPECT_THAT(text, HasSubstr("Printer=\r\nServer=\r\nDocName=Quarterly report\r\n"));
        EXPECT_THAT(text, HasSubstr("\r\nSessionId=0\r\nPages=3\r\nCopies=2\r\nPapersize=8\r\nColor=1\r\n"));
        EXPECT_THAT(text, ::testing::EndsWith("\r\nOkDate=\r\n"));
    }
    ASSERT_EQ(form.JobQueue.size(), 2u) << "the queue took both in at once";
    const auto& job = form.JobQueue.at(0);
    EXPECT_EQ(job.SessionId, 0);
    EXPECT_EQ(job.DataSize, data.size());
    EXPECT_EQ(job.CompressThread, nullptr) << "the packed data came with the export";
    EXPECT_GT(job.PackedSize, 0u);
    ASSERT_EQ(client.rows(), 2);
    EXPECT_EQ(client.row(0)[0], "ASAP");
    EXPECT_EQ(client.row(0)[1], "Quarterly report");
    EXPECT_EQ(client.row(0)[8], "0");
    EXPECT_EQ(client.row(0)[9], "");
}

TEST(AddNewJob, CancellingTheDialogChangesNothing) {
    ClientMachine machine;
    Client client;
    client.start();
    client.services.chosenFiles = {std::nullopt};
    client.form().Addnewjob1->trigger();
    EXPECT_TRUE(client.prompter.calls.empty());
    EXPECT_TRUE(machine.workFiles().empty());
    EXPECT_TRUE(client.form().JobQueue.empty());
}

TEST(AddNewJob, DamagedOrHostileFilesAreRefusedAndLeaveNothingBehind) {
    ClientMachine machine;
    Exports exports;
    const std::string gz = exports.gz(jobData());
    const std::string whole = exports.exportFile("whole.zte", kDescription, jobData());
    const std::string wholeBytes = testenv::readFile(whole);
    const std::string size = std::to_string(kDescription.size() + gz.size());
    const struct {
        const char* what;
        std::string file;
        const char* message;
    } cases[] = {
        {"missing", exports.file("missing.zte", "") + ".gone", "Dencryption failed!"},
        {"empty", exports.file("empty.zte", ""), "Dencryption failed!"},
        {"not enciphered", exports.file("plain.zte", le32(10) + kDescription + gz), "Dencryption failed!"},
        {"cut short", exports.file("short.zte", wholeBytes.substr(0, wholeBytes.size() / 2)), "Dencryption failed!"},
        {"shorter than a length", exports.enciphered("tiny.zte", "ab"), "Dencryption failed!"},
        {"negative length", exports.enciphered("negative.zte", le32(-5) + kDescription + gz), "Dencryption failed!"},
        {"length past the end",
         exports.enciphered("past.zte", le32(std::int32_t(kDescription.size() + gz.size() + 1)) + kDescription + gz),
         "Dencryption failed!"},
        {"huge length", exports.enciphered("huge.zte", le32(0x7fffffff) + kDescription + gz), "Dencryption failed!"},
        {"no description", exports.enciphered("nodesc.zte", le32(0) + gz), "Failed to update TXT file!"},
        {"no data", exports.enciphered("nodata.zte", le32(std::int32_t(kDescription.size())) + kDescription),
         "Failed to update GZ file!"},
        {"data not packed",
         exports.enciphered("unpacked.zte", le32(std::int32_t(kDescription.size())) + kDescription + "\x1f\x8b junk"),
         "Decompression failed!"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        platform::ScriptedPrompter prompter;
        platform::ScopedPrompter scoped(prompter);
        const auto result = zentclient::ImportExportFile(c.file, machine.workDir);
        EXPECT_TRUE(result.failed);
        ASSERT_EQ(prompter.calls.size(), 1u);
        EXPECT_EQ(prompter.calls[0].kind, Kind::Warn);
        EXPECT_EQ(prompter.calls[0].caption, "Zentrope Client");
        EXPECT_EQ(prompter.calls[0].text, c.message);
        EXPECT_THAT(machine.workFiles(), ElementsAre()) << "no job files, no temporary file";
    }

    // The refusals took nothing away from a good import afterwards.
    platform::ScriptedPrompter prompter;
    platform::ScopedPrompter scoped(prompter);
    EXPECT_EQ(zentclient::ImportExportFile(whole, machine.workDir).baseName, "ztp_1");
    EXPECT_TRUE(prompter.calls.empty());
}

TEST(AddNewJob, TakesTheSmallestFreeNumberAndNeverOneAHandOffHolds) {
    ClientMachine machine;
    Exports exports;
    const std::string file = exports.exportFile("a.zte", kDescription, "%!PS\n");
    machine.writeJob("ztp_1", "DocName=printed\r\n");
    testenv::writeFile(machine.workDir + "/ztp_2.ztp", "being written by the hand-off");
    machine.writeJob("ztp_4", "DocName=printed\r\n");
    platform::ScriptedPrompter prompter;
    platform::ScopedPrompter scoped(prompter);
    EXPECT_EQ(zentclient::ImportExportFile(file, machine.workDir).baseName, "ztp_3");
    EXPECT_EQ(zentclient::ImportExportFile(file, machine.workDir).baseName, "ztp_5");
    EXPECT_EQ(testenv::readFile(machine.workDir + "/ztp_2.ztp"), "being written by the hand-off");
    EXPECT_TRUE(prompter.calls.empty());
}

}  // namespace

namespace {

// Links planted under the names of the job an import takes (a description
// or packed file left without its data) are replaced, never written through.
TEST(AddNewJob, NamesPlantedAsLinksAreReplacedNotWrittenThrough) {
    ClientMachine machine;
    Exports exports;
    const std::string file = exports.exportFile("a.zte", kDescription, "%!PS\n");
    const std::string victim = machine.machine.dir().file("victim");
    testenv::writeFile(victim, "precious");
    std::filesystem::create_symlink(victim, machine.workDir + "/ztp_1.txt");
    std::filesystem::create_symlink(victim, machine.workDir + "/ztp_1.gz");
    platform::ScriptedPrompter prompter;
    platform::ScopedPrompter scoped(prompter);
    EXPECT_EQ(zentclient::ImportExportFile(file, machine.workDir).baseName, "ztp_1");
    EXPECT_TRUE(prompter.calls.empty());
    EXPECT_EQ(testenv::readFile(victim), "precious");
    for (const char* name : {"/ztp_1.txt", "/ztp_1.gz", "/ztp_1.ztp"})
        EXPECT_FALSE(std::filesystem::is_symlink(machine.workDir + name)) << name;
    EXPECT_EQ(testenv::readFile(machine.workDir + "/ztp_1.ztp"), "%!PS\n");
}

}  // namespace
