// The wizard's HTML page with the real processor: the proposed file, GO,
// the pages written and opened, and what happens to the job afterwards.
#include "sample_jobs.h"
#include "wizard_env.h"

#include "render/tpreviewavi.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QLineEdit>
#include <QTabWidget>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

namespace {

using clienttest::ClientMachine;
using clienttest::JobDescription;
using clienttest::WizardClient;
using ::testing::ElementsAre;
namespace fs = std::filesystem;

class WizardHtml : public ::testing::Test {
protected:
    explicit WizardHtml(int pages = 2) {
        machine.setMachineDword("Email_En", 1);
        machine.setMachineString("PSProcessor", "/usr/bin/gs");
        machine.writeJob("ztp_1", JobDescription("Q3 <draft> & \"notes\"", pages, 1, 9, 1),
                         testenv::pagedPostScript(pages));
        client = std::make_unique<WizardClient>(machine);
        client->services.documents = out();
        job = client->pass();
    }
    std::string out() const { return machine.machine.dir().path(); }
    void chooseAndGo(const std::string& file) {
        client->wizard().PageControl1->setCurrentWidget(client->wizard().TabSheetHtml);
        client->services.htmlFiles.push_back(file);
        client->wizard().ButtonOpnFileClick();
        client->wizard().BitBtnGoHClick();
    }
    bool waitForExport() {
        return clienttest::waitUntil([&] { return client->wizard().isEnabled() && !client->wizard().rendering(); });
    }

    ClientMachine machine;
    std::unique_ptr<WizardClient> client;
    zentcore::TQueuedJob* job = nullptr;
};

TEST_F(WizardHtml, ExportsThePagesOpensTheFirstAndCancelsTheJob) {
    ASSERT_NE(job, nullptr);
    chooseAndGo(out() + "/report1.html");
    EXPECT_THAT(client->services.htmlProposals, ElementsAre(out() + "/myfile.htm"));
    EXPECT_EQ(client->wizard().EditFname->text().toStdString(), out() + "/report1.html");
    EXPECT_FALSE(client->wizard().isEnabled()) << "disabled while the processor runs";
    EXPECT_THAT(client->services.modelessTitles, ElementsAre("Generating preview"));
    ASSERT_TRUE(waitForExport());

    const std::string fixtures = testenv::sourceDir() + "/tests/core/fixtures/htmlexport/";
    for (const char* f : {"report1.html", "report2.html"})
        EXPECT_EQ(testenv::readFile(out() + "/" + f), testenv::readFile(fixtures + f)) << f;
    EXPECT_EQ(testenv::readFile(out() + "/report2.png").substr(1, 3), "PNG");
    EXPECT_THAT(client->services.opened, ElementsAre(out() + "/report1.html"));
    EXPECT_TRUE(client->messages().empty());
    // "Continue processing after save" unchecked: the job is gone.
    EXPECT_FALSE(client->wizard().isVisible());
    EXPECT_TRUE(client->form().JobQueue.empty());
}

TEST_F(WizardHtml, ContinueKeepsTheJobAndAFailedWriteReportsIt) {
    ASSERT_NE(job, nullptr);
    client->wizard().CheckBoxPrAfterH->setChecked(true);
    machine.setMachineDword("HtmlDisposition", 2);
    chooseAndGo(out() + "/all.htm");
    ASSERT_TRUE(waitForExport());
    EXPECT_EQ(testenv::readFile(out() + "/all.htm"),
              testenv::readFile(testenv::sourceDir() + "/tests/core/fixtures/htmlexport/all.htm"));
    EXPECT_TRUE(client->wizard().isVisible());
    EXPECT_EQ(client->wizard().currentJob(), job);

    // A file in the way of the page cannot be replaced by a directory's
    // worth of HTML: the export says so, and the job stays.
    client->wizard().CheckBoxPrAfterH->setChecked(false);
    fs::create_directory(out() + "/blocked.htm");
    chooseAndGo(out() + "/blocked.htm");
    ASSERT_TRUE(waitForExport());
    EXPECT_THAT(client->messages(), ElementsAre("W:Failed to open HTML file for write!"));
    EXPECT_TRUE(client->wizard().isVisible());
    EXPECT_EQ(client->wizard().currentJob(), job);
}

TEST_F(WizardHtml, NoFileNoProcessorOrNoImagesExportNothing) {
    ASSERT_NE(job, nullptr);
    client->wizard().BitBtnGoHClick();
    EXPECT_THAT(client->messages(), ElementsAre("W:You need specify a filename first!"));

    // A processor that has gone opens the locator; closing it stops quietly.
    machine.setMachineString("PSProcessor", out() + "/gone/gs");
    chooseAndGo(out() + "/x.htm");
    EXPECT_EQ(client->services.locatorCalls, 1);
    EXPECT_FALSE(client->wizard().rendering());
    EXPECT_TRUE(client->wizard().isEnabled());
    EXPECT_EQ(client->messages().size(), 1u);
    EXPECT_FALSE(fs::exists(out() + "/x1.htm"));

    // A processor that renders nothing: no pages linking to nothing, and the job stays.
    client->services.processors.push_back("/bin/true");
    client->wizard().BitBtnGoHClick();
    ASSERT_TRUE(waitForExport());
    EXPECT_EQ(client->messages().back(),
              "W:The PostScript processor produced no page images, so there is nothing to export.");
    EXPECT_FALSE(fs::exists(out() + "/x1.htm"));
    EXPECT_EQ(client->wizard().currentJob(), job);

    // The located one is stored (the test user may write the machine settings) and used.
    machine.setMachineString("PSProcessor", out() + "/gone/gs");
    client->services.processors.push_back("/usr/bin/gs");
    client->wizard().CheckBoxPrAfterH->setChecked(true);
    client->wizard().BitBtnGoHClick();
    ASSERT_TRUE(waitForExport());
    EXPECT_TRUE(fs::exists(out() + "/x1.htm"));
    EXPECT_TRUE(fs::exists(out() + "/x2.png"));
}

class WizardHtmlLong : public WizardHtml {
protected:
    WizardHtmlLong() : WizardHtml(3000) {}
};

TEST_F(WizardHtmlLong, CancellingTheBusyWindowEndsTheProcessorAndRemovesItsPages) {
    ASSERT_NE(job, nullptr);
    chooseAndGo(out() + "/long.htm");
    ASSERT_TRUE(client->wizard().rendering());
    zentclient::TPreviewAvi* busy = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* avi = qobject_cast<zentclient::TPreviewAvi*>(w)) busy = avi;
    ASSERT_NE(busy, nullptr);
    EXPECT_TRUE(busy->ButtonCancel->isEnabled()) << "not disabled with the wizard";
    EXPECT_EQ(busy->windowTitle(), "Generating preview");
    EXPECT_TRUE(busy->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    // The busy window counts the pages that are ready.
    auto ready = [&] {
        const QStringList words = busy->LabelPages->text().split(' ');
        return words.size() == 4 && words[0] == "Page" && words[2] == "of" && words[3] == "3000" ? words[1].toInt() : -1;
    };
    EXPECT_EQ(ready(), 0);
    ASSERT_TRUE(clienttest::waitUntil([&] { return ready() >= 3; })) << busy->LabelPages->text().toStdString();
    busy->ButtonCancel->click();
    ASSERT_TRUE(waitForExport());
    EXPECT_FALSE(fs::exists(out() + "/long1.png"));
    EXPECT_FALSE(fs::exists(out() + "/long3.png"));
    EXPECT_FALSE(fs::exists(out() + "/long1.htm"));
    EXPECT_TRUE(client->messages().empty());
    EXPECT_TRUE(client->services.opened.empty());
    EXPECT_EQ(client->wizard().currentJob(), job) << "a cancelled export keeps the job";
    EXPECT_FALSE(busy->isVisible());
}

}  // namespace
