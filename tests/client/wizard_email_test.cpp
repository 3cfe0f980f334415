// The wizard's e-mail page with the real processor and a stand-in
// xdg-email on PATH that records its arguments.
#include "sample_jobs.h"
#include "wizard_env.h"

#include <zentcore/emailexport.h>
#include <zentcore/render.h>
#include <zplatform/system.h>

#include <QCheckBox>
#include <QComboBox>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>

namespace {

using clienttest::ClientMachine;
using clienttest::JobDescription;
using clienttest::WizardClient;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::HasSubstr;
namespace fs = std::filesystem;

// Big-endian width from a PNG's header.
int pngWidth(const std::string& file) {
    const std::string png = testenv::readFile(file);
    if (png.size() < 24) return -1;
    int w = 0;
    for (int i = 16; i < 20; ++i) w = w * 256 + static_cast<unsigned char>(png[i]);
    return w;
}
int pngColourType(const std::string& file) {
    const std::string png = testenv::readFile(file);
    return png.size() > 25 ? static_cast<unsigned char>(png[25]) : -1;
}
// Components of a baseline JPEG frame: 1 grey, 3 colour.
int jpegComponents(const std::string& file) {
    const std::string jpg = testenv::readFile(file);
    const auto sof = jpg.find("\xFF\xC0");
    return sof == std::string::npos || sof + 9 >= jpg.size() ? -1 : static_cast<unsigned char>(jpg[sof + 9]);
}

class WizardEmail : public ::testing::Test {
protected:
    explicit WizardEmail(int color = 1, int pages = 3) {
        bin = machine.machine.dir().file("bin");
        fs::create_directory(bin);
        // Only the stand-in: the machine's own xdg-email must not answer.
        path.emplace("PATH", bin);
        stubMail(0);
        machine.setMachineDword("Email_En", 1);
        machine.setMachineString("PSProcessor", "/usr/bin/gs");
        machine.writeJob("ztp_1", JobDescription("Q3 report", pages, 1, 9, color), testenv::pagedPostScript(pages));
        client = std::make_unique<WizardClient>(machine);
        client->services.documents = machine.machine.dir().file("Documents");
        job = client->pass();
    }
    void stubMail(int exitCode) {
        const std::string stub = bin + "/xdg-email";
        testenv::writeFile(stub, "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\0' \"$a\"; done > \"" + record() +
                                     "\"\nexit " + std::to_string(exitCode) + "\n");
        ::chmod(stub.c_str(), 0755);
    }
    std::string record() const { return machine.machine.dir().file("mail-args"); }
    std::vector<std::string> mailArgs() const {
        std::vector<std::string> args;
        std::string all = platform::fileExists(record()) ? testenv::readFile(record()) : std::string();
        for (std::size_t at = 0; at < all.size();) {
            const auto end = all.find('\0', at);
            args.push_back(all.substr(at, end - at));
            at = end + 1;
        }
        return args;
    }
    void go(int format) {
        client->wizard().PageControl1->setCurrentWidget(client->wizard().TabSheetEmail);
        client->wizard().ComboBoxEx1->setCurrentIndex(format);
        client->wizard().BitBtnGoEClick();
        ASSERT_TRUE(clienttest::waitUntil([&] { return !client->wizard().rendering(); }));
    }
    std::string pageFile(int k, const char* ext) const {
        return *zentcore::UserTempDirectory() + "/ztp_1_" + std::to_string(k) + ext;
    }

    ClientMachine machine;
    std::string bin;
    std::optional<testenv::ScopedEnv> path;
    std::unique_ptr<WizardClient> client;
    zentcore::TQueuedJob* job = nullptr;
};

TEST_F(WizardEmail, ColourPngPagesGoToTheMailProgramInPageOrder) {
    ASSERT_NE(job, nullptr);
    machine.setMachineDword("PSEmailDpi", 96);
    go(0);
    std::vector<std::string> expected = {"--subject", "Q3 report", "--body", zentcore::EmailNoteText()};
    for (int k = 1; k <= 3; ++k) {
        expected.push_back("--attach");
        expected.push_back(pageFile(k, ".png"));
    }
    EXPECT_THAT(mailArgs(), ElementsAreArray(expected));
    EXPECT_THAT(zentcore::EmailNoteText(), HasSubstr("\n\n" + std::string(45, '-') +
                                                     "\nAttachment(s) produced by Zentrope Client.\n"));
    EXPECT_EQ(pngColourType(pageFile(1, ".png")), 2) << "png16m";
    const int width = pngWidth(pageFile(3, ".png"));
    EXPECT_TRUE(width == 793 || width == 816) << width << ": A4 or letter at PSEmailDpi";
    EXPECT_TRUE(client->messages().empty());
    // "Continue processing after email" unchecked: the job is done.
    EXPECT_FALSE(client->wizard().isVisible());
    EXPECT_TRUE(client->form().JobQueue.empty());
}

class WizardEmailMono : public WizardEmail {
protected:
    WizardEmailMono() : WizardEmail(0, 2) {}
};

TEST_F(WizardEmailMono, GreyJpegAtTheDefaultResolution) {
    ASSERT_NE(job, nullptr);
    client->wizard().CheckBoxPrAfter->setChecked(true);
    go(1);
    const auto args = mailArgs();
    ASSERT_EQ(args.size(), 8u);
    EXPECT_EQ(args[5], pageFile(1, ".jpg"));
    EXPECT_EQ(args[7], pageFile(2, ".jpg"));
    EXPECT_EQ(jpegComponents(pageFile(1, ".jpg")), 1) << "jpeggray";
    EXPECT_TRUE(client->wizard().isVisible()) << "continue: the job stays";
    EXPECT_EQ(client->wizard().currentJob(), job);
}

TEST_F(WizardEmail, AFailingMailProgramSavesThePagesAndTheJobStillGoes) {
    ASSERT_NE(job, nullptr);
    stubMail(3);
    go(0);
    const std::string folder = machine.machine.dir().file("Documents/Zentrope e-mail/Q3 report");
    EXPECT_THAT(client->messages(),
                ElementsAre("W:MAPI returned 3!", "I:" + zentcore::SavedPagesText(folder)));
    EXPECT_THAT(client->services.opened, ElementsAre(folder));
    for (int k = 1; k <= 3; ++k) {
        const int width = pngWidth(folder + "/page" + std::to_string(k) + ".png");
        EXPECT_TRUE(width == 992 || width == 1020) << width << ": 120 dpi without PSEmailDpi";
        EXPECT_FALSE(platform::fileExists(pageFile(k, ".png")));
    }
    EXPECT_TRUE(client->form().JobQueue.empty()) << "cancelled even after the error";
}

TEST_F(WizardEmail, WithoutAMailProgramThePagesGoToANewFolder) {
    ASSERT_NE(job, nullptr);
    fs::remove(bin + "/xdg-email");
    fs::create_directories(machine.machine.dir().file("Documents/Zentrope e-mail/Q3 report"));
    client->wizard().CheckBoxPrAfter->setChecked(true);
    go(0);
    const std::string folder = machine.machine.dir().file("Documents/Zentrope e-mail/Q3 report 2");
    EXPECT_THAT(client->messages(), ElementsAre("I:" + zentcore::SavedPagesText(folder)));
    EXPECT_TRUE(platform::fileExists(folder + "/page3.png"));
    EXPECT_THAT(client->services.opened, ElementsAre(folder));
    EXPECT_EQ(client->wizard().currentJob(), job);
}

TEST_F(WizardEmail, NoPagesNothingIsMailedAndTheJobStays) {
    ASSERT_NE(job, nullptr);
    machine.setMachineString("PSProcessor", "/bin/true");
    go(0);
    EXPECT_THAT(client->messages(), ElementsAre("W:" + std::string(zentcore::kNoImagesToMailMessage)));
    EXPECT_FALSE(platform::fileExists(record())) << "the mail program was not called";
    EXPECT_EQ(client->wizard().currentJob(), job);

    // Without a documents folder to fall back to, the job stays too.
    fs::remove(bin + "/xdg-email");
    machine.setMachineString("PSProcessor", "/usr/bin/gs");
    client->services.documents.clear();
    go(0);
    EXPECT_EQ(client->messages().back(), "W:" + std::string(zentcore::kPagesNotSavedMessage));
    EXPECT_EQ(client->wizard().currentJob(), job);
    EXPECT_FALSE(platform::fileExists(pageFile(1, ".png")));
}

}  // namespace
