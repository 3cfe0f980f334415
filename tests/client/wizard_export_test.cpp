// "[Local Export]" on the print page: the export file, the job completed as
// if delivered, and the file taken back in by "Add new job".
#include "sample_jobs.h"
#include "wizard_env.h"

#include "shell/importjob.h"

#include <zcodec/pipeline.h>

#include <QComboBox>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

namespace {

using clienttest::ClientMachine;
using clienttest::JobDescription;
using clienttest::WizardClient;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
namespace fs = std::filesystem;

std::string data() { return testenv::postScriptOfSize(18000); }

// A description of exactly 300 bytes.
std::string description300() {
    std::string text = JobDescription("Report", 2, 1);
    text += "Orientation=" + std::string(300 - text.size() - 14, 'P') + "\r\n";
    return text;
}

std::string deciphered(const std::string& file, const std::string& out) {
    encdec::DecUncmpThread thread(false, encdec::ttEncrypt, file, out);
    thread.WaitFor();
    EXPECT_TRUE(thread.IsSuccessful());
    return testenv::readFile(out);
}

class WizardExport : public ::testing::Test {
protected:
    explicit WizardExport(bool allowed = true) {
        if (allowed) machine.setMachineDword("LocalExport", 1);
        machine.writeJob("ztp_1", description300(), data());
        client = std::make_unique<WizardClient>(machine);
        job = client->pass();
    }
    void exportTo(const std::optional<std::string>& target) {
        client->services.exportFiles.push_back(target);
        client->type("[Local Export]");
        client->wizard().BitBtnNextClick();
    }
    std::string target() const { return machine.machine.dir().file("report.zte"); }

    ClientMachine machine;
    std::unique_ptr<WizardClient> client;
    zentcore::TQueuedJob* job = nullptr;
};

TEST_F(WizardExport, WritesAPackageThatAddNewJobTakesBack) {
    ASSERT_NE(job, nullptr);
    ASSERT_EQ(description300().size(), 300u);
    exportTo(target());
    EXPECT_THAT(client->messages(), ElementsAre());
    EXPECT_FALSE(client->wizard().isVisible());
    EXPECT_TRUE(job->Finished);
    EXPECT_EQ(job->SessionId, 1);
    EXPECT_EQ(job->Result.ReturnValue, 1);

    const std::string package = deciphered(target(), machine.machine.dir().file("package"));
    const std::string gz = testenv::readFile(machine.workDir + "/ztp_1.gz");
    EXPECT_EQ(package.substr(0, 4), std::string("\x2c\x01\x00\x00", 4));
    EXPECT_EQ(package.substr(4, 300), description300());
    EXPECT_EQ(package.substr(304), gz);
    EXPECT_FALSE(fs::exists(machine.workDir + "/ztp_1.zt1"));

    // The queue completes it as a delivered job.
    client->form().Timer1Timer();
    EXPECT_TRUE(client->form().JobQueue.empty());
    EXPECT_THAT(machine.workFiles(), ElementsAre());

    const auto imported = zentclient::ImportExportFile(target(), machine.workDir);
    ASSERT_FALSE(imported.failed);
    EXPECT_EQ(imported.baseName, "ztp_1");
    EXPECT_EQ(testenv::readFile(machine.workDir + "/ztp_1.ztp"), data());
    EXPECT_THAT(testenv::readFile(machine.workDir + "/ztp_1.txt"), HasSubstr("DocName=Report\r\n"));
}

TEST_F(WizardExport, ACancelledDialogChangesNothing) {
    ASSERT_NE(job, nullptr);
    exportTo(std::nullopt);
    EXPECT_TRUE(client->wizard().isVisible());
    EXPECT_EQ(job->SessionId, 0);
    EXPECT_FALSE(job->Finished);
    EXPECT_TRUE(client->prompter.calls.empty());
}

TEST_F(WizardExport, AFailedExportLeavesTheChosenFileAsItWas) {
    ASSERT_NE(job, nullptr);
    testenv::writeFile(target(), "an older export");
    if (job->CompressThread) job->CompressThread->WaitFor();
    fs::remove(machine.workDir + "/ztp_1.gz");
    exportTo(target());
    EXPECT_THAT(client->messages(), ElementsAre("W:Could not open DATA file for reading!"));
    EXPECT_EQ(testenv::readFile(target()), "an older export");
    EXPECT_FALSE(fs::exists(machine.workDir + "/ztp_1.zt1"));
    EXPECT_TRUE(client->wizard().isVisible());
    EXPECT_EQ(job->SessionId, 0);
}

TEST_F(WizardExport, LinkedJobFilesAreNeitherReadNorWrittenThrough) {
    ASSERT_NE(job, nullptr);
    if (job->CompressThread) job->CompressThread->WaitFor();
    const std::string victim = machine.machine.dir().file("victim");
    testenv::writeFile(victim, "precious");
    // A package name planted as a link is replaced, not written through.
    fs::create_symlink(victim, machine.workDir + "/ztp_1.zt1");
    exportTo(target());
    EXPECT_TRUE(client->messages().empty());
    EXPECT_EQ(testenv::readFile(victim), "precious");
    EXPECT_FALSE(fs::exists(machine.workDir + "/ztp_1.zt1"));
    EXPECT_TRUE(fs::exists(target()));
}

TEST_F(WizardExport, APackedFileThatIsALinkIsNotExported) {
    ASSERT_NE(job, nullptr);
    if (job->CompressThread) job->CompressThread->WaitFor();
    const std::string victim = machine.machine.dir().file("victim");
    testenv::writeFile(victim, "another user's file");
    fs::remove(machine.workDir + "/ztp_1.gz");
    fs::create_symlink(victim, machine.workDir + "/ztp_1.gz");
    exportTo(target());
    EXPECT_THAT(client->messages(), ElementsAre("W:Could not open DATA file for reading!"));
    EXPECT_FALSE(fs::exists(target()));
}

class WizardExportNotAllowed : public WizardExport {
protected:
    WizardExportNotAllowed() : WizardExport(false) {}
};

TEST_F(WizardExportNotAllowed, ATypedLocalExportIsRefused) {
    ASSERT_NE(job, nullptr);
    EXPECT_EQ(client->wizard().ComboBox1->findText("[Local Export]"), -1) << "not offered";
    exportTo(target());
    EXPECT_THAT(client->messages(), ElementsAre("W:Local Export is not allowed!"));
    EXPECT_EQ(client->services.exportFiles.size(), 1u) << "no dialog";
    EXPECT_FALSE(fs::exists(target()));
    EXPECT_TRUE(client->wizard().isVisible());
}

}  // namespace
