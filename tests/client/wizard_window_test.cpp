// The wizard's window without a server: how the queue hands it a job and
// what it shows, the address box, the default page, Later, Cancel, Title,
// Help, and the address rules of GO and the information button.
#include "wizard_env.h"

#include <zentcore/settings.h>
#include <zplatform/registry.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QWindow>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <ctime>

namespace {

using clienttest::ClientMachine;
using clienttest::JobDescription;
using clienttest::WizardClient;
using ::testing::ElementsAre;

std::vector<std::string> boxEntries(const QComboBox& box) {
    std::vector<std::string> texts;
    for (int i = 0; i < box.count(); ++i) texts.push_back(box.itemText(i).toStdString());
    return texts;
}

// Counts the times a window is hidden while it is watched.
struct HideCounter : QObject {
    explicit HideCounter(QWidget& w) { w.installEventFilter(this); }
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Hide) ++count;
        return false;
    }
    int count = 0;
};

QAction* laterEntry(zentclient::TUserForm& wizard, const QString& caption) {
    for (QAction* a : wizard.LaterPopupMenu->actions())
        if (a->text() == caption) return a;
    return nullptr;
}

TEST(WizardWindow, TheQueueHandsItTheFirstDueJobOnTopUntilTheUserActs) {
    ClientMachine machine;
    machine.writeJob("ztp_1", JobDescription("Quarterly report", 3, 1));
    machine.writeJob("ztp_2", JobDescription("Slides", 3, 2));
    WizardClient client(machine);
    auto& wizard = client.wizard();
    EXPECT_FALSE(wizard.isVisible());

    zentcore::TQueuedJob* job = client.pass();
    ASSERT_NE(job, nullptr);
    EXPECT_EQ(job->BaseName, "ztp_1");
    EXPECT_TRUE(wizard.isVisible());
    EXPECT_TRUE(wizard.staysOnTop());
    EXPECT_EQ(wizard.windowTitle(), "Zentrope: Quarterly report");
    EXPECT_EQ(wizard.LabelPrTo->text(), "Print 3 pages to:");
    EXPECT_EQ(client.pass(), job) << "one job at a time";

    // The first click leaves the top band without hiding or moving it.
    HideCounter hides(wizard);
    const QPoint at = wizard.pos();
    QTest::mouseClick(wizard.BitBtnHelp, Qt::LeftButton);
    EXPECT_FALSE(wizard.staysOnTop());
    EXPECT_FALSE(wizard.windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(wizard.isVisible());
    EXPECT_EQ(hides.count, 0);
    EXPECT_EQ(wizard.pos(), at);
    EXPECT_THAT(client.services.opened, ElementsAre(client.form().settings().AppDir + "/data/help.htm"));
    wizard.BitBtnMoreClick();
    EXPECT_EQ(client.services.opened.back(), client.form().settings().AppDir + "/data/more.htm");

    // Later closes it; the next due job comes, with its copies.
    wizard.LaterItemClick(laterEntry(wizard, "After 5 minutes"));
    EXPECT_FALSE(wizard.isVisible());
    zentcore::TQueuedJob* second = client.pass();
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->BaseName, "ztp_2");
    EXPECT_EQ(wizard.LabelPrTo->text(), "Print 3 pages x 2 copies to:");
    EXPECT_EQ(wizard.windowTitle(), "Zentrope: Slides");
    // On top again; a click on the window's own margin counts too.
    ASSERT_TRUE(wizard.staysOnTop());
    QTest::mouseClick(&wizard, Qt::LeftButton, {}, QPoint(2, wizard.height() - 2));
    EXPECT_FALSE(wizard.staysOnTop());
}

TEST(WizardWindow, WithoutAJobItSaysSo) {
    ClientMachine machine;
    WizardClient client(machine);
    auto& wizard = client.wizard();
    wizard.showFor(nullptr);
    EXPECT_EQ(wizard.windowTitle(), "Zentrope: (no documents)");
    EXPECT_EQ(wizard.LabelPrTo->text(), "Print to:");
    wizard.BitBtnNextClick();
    wizard.BitBtnTitleClick();
    EXPECT_TRUE(client.prompter.calls.empty());
    EXPECT_TRUE(client.services.inputCalls.empty());
    wizard.BitBtnCancelClick();
    EXPECT_FALSE(wizard.isVisible());
}

TEST(WizardWindow, TheLaterMenuPostponesByItsDelay) {
    ClientMachine machine;
    machine.setMachineDword("Later_En", 1);
    machine.writeJob("ztp_1", JobDescription("Report", 1, 1));
    WizardClient client(machine);
    auto& wizard = client.wizard();
    std::vector<std::pair<std::string, int>> entries;
    for (QAction* a : wizard.LaterPopupMenu->actions()) entries.emplace_back(a->text().toStdString(), a->data().toInt());
    EXPECT_THAT(entries, ElementsAre(std::pair<std::string, int>{"After 5 minutes", 5}, std::pair<std::string, int>{"After 10 minutes", 10},
                                     std::pair<std::string, int>{"After 20 minutes", 20}, std::pair<std::string, int>{"After 1 hour", 60},
                                     std::pair<std::string, int>{"After 2 hours", 120}, std::pair<std::string, int>{"Tomorrow", 1440}));

    zentcore::TQueuedJob* job = client.pass();
    ASSERT_NE(job, nullptr);
    EXPECT_TRUE(wizard.BitBtnLater->isEnabled());
    wizard.BitBtnLaterClick();
    ASSERT_THAT(client.services.popups, ElementsAre(wizard.LaterPopupMenu));
    const QPoint below = wizard.BitBtnLater->mapToGlobal(QPoint(0, wizard.BitBtnLater->height()));
    EXPECT_EQ(client.services.popupPoints[0], below);

    const std::int64_t before = std::time(nullptr);
    laterEntry(wizard, "Tomorrow")->trigger();
    const std::int64_t after = std::time(nullptr);
    EXPECT_GE(job->NextAttempt, before + 86400);
    EXPECT_LE(job->NextAttempt, after + 86400);
    EXPECT_FALSE(wizard.isVisible());
    EXPECT_EQ(wizard.currentJob(), nullptr);
    EXPECT_EQ(client.form().JobQueue.size(), 1u) << "the job waits in the queue";
    EXPECT_EQ(client.pass(), nullptr) << "not before its time";
}

TEST(WizardWindow, CancelDeletesTheJobAndItsFiles) {
    ClientMachine machine;
    machine.writeJob("ztp_1", JobDescription("Report", 1, 1));
    machine.writeJob("ztp_2", JobDescription("Other", 1, 1));
    WizardClient client(machine);
    ASSERT_NE(client.pass(), nullptr);
    client.wizard().BitBtnCancel->click();
    EXPECT_FALSE(client.wizard().isVisible());
    ASSERT_EQ(client.form().JobQueue.size(), 1u);
    auto& other = client.form().JobQueue.at(0);
    EXPECT_EQ(other.BaseName, "ztp_2");
    if (other.CompressThread) other.CompressThread->WaitFor();
    EXPECT_THAT(machine.workFiles(), ElementsAre("ztp_2.gz", "ztp_2.txt", "ztp_2.ztp"));
    EXPECT_TRUE(client.prompter.calls.empty()) << "no question";
}

TEST(WizardWindow, TitleRenamesTheJobUntilItIsSent) {
    ClientMachine machine;
    machine.writeJob("ztp_1", JobDescription("Report", 1, 1));
    WizardClient client(machine);
    zentcore::TQueuedJob* job = client.pass();
    ASSERT_NE(job, nullptr);
    auto& wizard = client.wizard();

    wizard.BitBtnTitleClick();   // cancelled
    EXPECT_EQ(job->DocName, "Report");
    client.services.inputs.push_back("\t Annual report  ");
    wizard.BitBtnTitleClick();
    ASSERT_EQ(client.services.inputCalls.size(), 2u);
    EXPECT_EQ(client.services.inputCalls[0].caption, "Set document Title");
    EXPECT_EQ(client.services.inputCalls[0].prompt, "English char. only:");
    EXPECT_EQ(client.services.inputCalls[0].text, "Report");
    EXPECT_EQ(job->DocName, "Annual report");
    EXPECT_EQ(wizard.windowTitle(), "Zentrope: Annual report");
    EXPECT_THAT(testenv::readFile(machine.workDir + "/ztp_1.txt"), ::testing::HasSubstr("DocName=Report\r\n"))
        << "written when the job is sent";
}

TEST(WizardWindow, TheAddressBoxOffersTheSavedAddressesAndTheLocalExport) {
    ClientMachine machine;
    machine.setMachineDword("LocalExport", 1);
    ASSERT_TRUE(zentcore::SaveRequestAddresses({"laser@one", "[Local Export]", "ink@two"}));
    WizardClient client(machine);
    auto& wizard = client.wizard();
    wizard.showFor(nullptr);
    EXPECT_THAT(boxEntries(*wizard.ComboBox1), ElementsAre("laser@one", "ink@two", "[Local Export]"));
    EXPECT_EQ(wizard.addressImage(0), zentclient::TUserForm::kImageAddress);
    EXPECT_EQ(wizard.addressImage(1), zentclient::TUserForm::kImageAddress);
    EXPECT_EQ(wizard.addressImage(2), zentclient::TUserForm::kImageLocalExport);
    EXPECT_EQ(wizard.ComboBox1->currentText(), "laser@one");
    EXPECT_TRUE(wizard.ComboBox1->isEditable());
}

TEST(WizardWindow, APickOnlyBoxNeedsASelection) {
    ClientMachine machine;
    machine.setMachineDword("AddrReadOnly", 1);
    machine.writeJob("ztp_1", JobDescription("Report", 1, 1));
    WizardClient client(machine);
    ASSERT_NE(client.pass(), nullptr);
    auto& wizard = client.wizard();
    EXPECT_FALSE(wizard.ComboBox1->isEditable());
    EXPECT_EQ(wizard.ComboBox1->count(), 0);
    wizard.BitBtnNextClick();
    wizard.BitBtnPrInfoClick();
    EXPECT_THAT(client.messages(), ElementsAre("W:No selection!", "W:No selection!"));
}

TEST(WizardWindow, GoAndTheInformationButtonSplitTheAddress) {
    struct Case {
        const char* address;
        bool goRefuses;    // GO needs a printer
        bool infoRefuses;  // the information menu takes a bare server
        bool printerInfo;  // "Get Printer information" enabled
    };
    const Case cases[] = {
        {"@host", true, false, false},
        {"host", true, false, false},
        {"laser@", true, false, true},
        {"laser@host", false, false, true},
        {"a@b@c", false, false, true},
        {"  ", true, true, false},
    };
    ClientMachine machine;
    machine.writeJob("ztp_1", JobDescription("Report", 1, 1));
    WizardClient client(machine);
    ASSERT_NE(client.pass(), nullptr);
    auto& wizard = client.wizard();
    const std::string syntax = "W:Incorrect printer address syntax.\nExample: laser@printserver.example.com";
    for (const Case& c : cases) {
        client.prompter.calls.clear();
        client.services.popups.clear();
        client.type(c.address);
        if (c.goRefuses) {
            wizard.BitBtnNextClick();
            EXPECT_THAT(client.messages(), ElementsAre(syntax)) << c.address;
            EXPECT_FALSE(wizard.currentJob()->Busy);
            client.prompter.calls.clear();
        }
        wizard.BitBtnPrInfoClick();
        if (c.infoRefuses) {
            EXPECT_THAT(client.messages(), ElementsAre(syntax)) << c.address;
            EXPECT_TRUE(client.services.popups.empty());
        } else {
            EXPECT_THAT(client.messages(), ElementsAre()) << c.address;
            EXPECT_THAT(client.services.popups, ElementsAre(wizard.PrInfoPopupMenu)) << c.address;
            EXPECT_EQ(wizard.GetPrInfo->isEnabled(), c.printerInfo) << c.address;
            EXPECT_TRUE(wizard.GetPrList->isEnabled());
        }
    }
}

TEST(WizardWindow, TheDefaultPageIsRememberedOnlyWhenAsked) {
    ClientMachine machine;
    machine.setMachineDword("Email_En", 1);
    machine.writeJob("ztp_1", JobDescription("Report", 1, 1));
    {
        auto key = platform::RegKey::openOrCreate(platform::Hive::CurrentUser, zentcore::kClientKey);
        ASSERT_TRUE(key && key->writeDword("StartupQA", 3));
    }
    WizardClient client(machine);
    ASSERT_NE(client.pass(), nullptr);
    auto& wizard = client.wizard();
    EXPECT_EQ(wizard.PageControl1->currentWidget(), wizard.TabSheetHtml);
    EXPECT_TRUE(wizard.CheckBoxQA->isChecked());
    wizard.PageControl1->setCurrentWidget(wizard.TabSheetEmail);
    EXPECT_FALSE(wizard.CheckBoxQA->isChecked());
    EXPECT_EQ(wizard.ComboBoxEx1->currentIndex(), 0) << "the first format";

    wizard.PageControl1->setCurrentWidget(wizard.TabSheetPrint);
    wizard.CheckBoxQA->setChecked(true);
    client.type("not an address");
    wizard.BitBtnNextClick();
    auto key = platform::RegKey::openReadOnly(platform::Hive::CurrentUser, zentcore::kClientKey);
    ASSERT_TRUE(key);
    EXPECT_EQ(key->readDword("StartupQA"), 1u);
}

TEST(WizardWindow, WithoutEmailOnlyThePrintPageCanBeReached) {
    ClientMachine machine;
    machine.writeJob("ztp_1", JobDescription("Report", 1, 1));
    {
        auto key = platform::RegKey::openOrCreate(platform::Hive::CurrentUser, zentcore::kClientKey);
        ASSERT_TRUE(key && key->writeDword("StartupQA", 2));
    }
    WizardClient client(machine);
    ASSERT_NE(client.pass(), nullptr);
    auto& wizard = client.wizard();
    EXPECT_EQ(wizard.PageControl1->currentWidget(), wizard.TabSheetPrint);
    EXPECT_FALSE(wizard.CheckBoxQA->isChecked());
    EXPECT_FALSE(wizard.PageControl1->isTabEnabled(1));
    EXPECT_FALSE(wizard.PageControl1->isTabEnabled(2));
    wizard.PageControl1->setCurrentIndex(2);
    EXPECT_EQ(wizard.PageControl1->currentWidget(), wizard.TabSheetPrint);
}

TEST(WizardWindow, CaptionsAndHintsAreTheUsersOwn) {
    ClientMachine machine;
    WizardClient client(machine);
    auto& w = client.wizard();
    EXPECT_EQ(w.PageControl1->tabText(0), "&Print !");
    EXPECT_EQ(w.PageControl1->tabText(1), "&Email");
    EXPECT_EQ(w.PageControl1->tabText(2), "&Html Export");
    const std::pair<QPushButton*, const char*> captions[] = {
        {w.BitBtnNext, "&GO !"}, {w.BitBtnLater, "&Later"}, {w.BitBtnCancel, "&Cancel"}, {w.BitBtnPreview, "Pre&view"},
        {w.BitBtnGoE, "&GO !"},  {w.BitBtnGoH, "&GO !"},     {w.ButtonOpnFile, "..."}};
    for (const auto& [b, caption] : captions) EXPECT_EQ(b->text(), caption) << b->objectName().toStdString();
    const std::pair<QPushButton*, const char*> hints[] = {{w.BitBtnPrInfo, "Get Printer Information"},
                                                          {w.BitBtnDocInfo, "Get Information about the document"},
                                                          {w.BitBtnTitle, "Set document Title"},
                                                          {w.BitBtnNext, "Print now this document"},
                                                          {w.BitBtnLater, "Print document at a later time"},
                                                          {w.BitBtnCancel, "Cancel this printout"}};
    for (const auto& [b, hint] : hints) EXPECT_EQ(b->toolTip(), hint) << b->objectName().toStdString();
    EXPECT_TRUE(w.BitBtnNext->isDefault());
    EXPECT_EQ(w.CheckBoxQA->text(), "&Make this the default selection");
    EXPECT_EQ(w.CheckBoxPrAfter->text(), "Co&ntinue processing after email");
    EXPECT_EQ(w.CheckBoxPrAfterH->text(), "Co&ntinue processing after save");
    EXPECT_EQ(w.GetPrInfo->text(), "Get Printer information");
    EXPECT_EQ(w.GetPrList->text(), "Get list of Printers on server");
    EXPECT_FALSE(w.windowFlags().testFlag(Qt::WindowCloseButtonHint)) << "no Close in the title bar";
}

}  // namespace
