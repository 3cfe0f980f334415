// The main window as the user sees it: the list's columns and rows, the
// menus with their captions and enabling rules, the title bar, Help and About.
#include "sample_jobs.h"
#include "client_env.h"

#include "shell/programversion.h"
#include <zentcore/application.h>
#include "shell/taboutform.h"

#include <zentcore/joblist.h>
#include <zplatform/system.h>

#include <QAction>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSystemTrayIcon>
#include <QTableWidget>

#include <QStatusBar>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace {

using clienttest::Client;
using clienttest::ClientMachine;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using Strings = std::vector<std::string>;

// The names of a menu's items in order, "-" for a separator, with captions.
Strings layout(const QMenu* menu) {
    Strings items;
    for (const QAction* a : menu->actions())
        items.push_back(a->isSeparator() ? "-" : a->objectName().toStdString() + "=" + a->text().toStdString());
    return items;
}

std::string description(const std::string& doc, int session = 0, const std::string& extra = "") {
    return testenv::JobText{.DocName = doc,
                            .Submited = "2024/05/01 10:00:00",
                            .Orientation = "Portrait",
                            .Pages = 3,
                            .Copies = 2,
                            .SessionId = session,
                            .extra = extra}
        .text();
}

TEST(MainWindow, HasTheDescribedColumnsMenusAndCaption) {
    ClientMachine machine;
    Client client;
    client.start();
    auto& form = client.form();

    EXPECT_EQ(form.windowTitle().toStdString(), "Zentrope Control Center");
    Strings columns;
    for (int c = 0; c < form.ListView1->columnCount(); ++c)
        columns.push_back(form.ListView1->horizontalHeaderItem(c)->text().toStdString());
    EXPECT_THAT(columns, ElementsAre("Send", "Document", "Submitted", "Size", "Pages", "Copies", "Paper Size",
                                     "Orientation", "Session Id", "Printer", "Server"));
    EXPECT_FALSE(form.ListView1->horizontalHeader()->sectionsClickable());
    EXPECT_FALSE(form.ListView1->isSortingEnabled());
    EXPECT_EQ(form.ListView1->selectionMode(), QAbstractItemView::SingleSelection);
    EXPECT_EQ(form.ListView1->selectionBehavior(), QAbstractItemView::SelectRows);
    EXPECT_EQ(form.ListView1->editTriggers(), QAbstractItemView::NoEditTriggers);
    EXPECT_EQ(form.Timer1->interval(), 1000);
    EXPECT_TRUE(form.Timer1->isActive());

    Strings bar;
    for (const QAction* a : form.menuBar()->actions()) bar.push_back(a->text().toStdString());
    EXPECT_THAT(bar, ElementsAre("File", "Edit", "View", "Tools", "Help"));
    EXPECT_THAT(layout(form.File1),
                ElementsAre("Addnewjob1=Add new job", "Getjobinfo1=Get job status", "-", "Sendnow1=Send now",
                            "Sendlater1=Send later", "Cancel1=Never send", "-", "Exit1=Exit"));
    EXPECT_THAT(layout(form.Edit1), ElementsAre("Preferences1=Preferences"));
    EXPECT_THAT(layout(form.View1), ElementsAre("Archive3=Archive"));
#ifdef ZENTROPE_UPDATER
    EXPECT_THAT(layout(form.Tools1),
                ElementsAre("getNewerVersion1=Get Newer Version", "-", "AddPortMonitor1=Add Port Monitor",
                            "RemovePortMonitor1=Remove Port Monitor", "-", "AddPrinter1=Add Printer",
                            "RemovePrinter1=Remove Printer"));
#else
    EXPECT_THAT(layout(form.Tools1),
                ElementsAre("AddPortMonitor1=Add Port Monitor", "RemovePortMonitor1=Remove Port Monitor", "-",
                            "AddPrinter1=Add Printer", "RemovePrinter1=Remove Printer"));
#endif
    EXPECT_THAT(layout(form.Help1), ElementsAre("Help2=Help", "-", "About1=About"));
    EXPECT_THAT(layout(form.TrayPopupMenu), ElementsAre("Restore1=Restore", "Exit2=Exit"));
    EXPECT_EQ(form.TrayPopupMenu->defaultAction(), form.Restore1);
    EXPECT_EQ(form.Archive->text().toStdString(), "Archive");
    EXPECT_TRUE(form.Archive->associatedObjects().isEmpty()) << "the Archive action is bound to no menu";
    EXPECT_EQ(form.TrayIcon1->contextMenu(), form.TrayPopupMenu);
}

TEST(MainWindow, RowsShowEveryStateOfAJob) {
    testenv::ScopedEnv tz("TZ", "UTC");
    ClientMachine machine;
    testenv::ScriptedWizard wizard;
    wizard.takesJobs = false;
    machine.writeJob("ztp_1", description("due new"));
    machine.writeJob("ztp_2", description("later today"));
    machine.writeJob("ztp_3", description("tomorrow"));
    machine.writeJob("ztp_4", description("scheduled", 77, "Printer=laser\r\nServer=print.example:2020\r\n"),
                     std::string(1001, 'x'));
    machine.writeJob("ztp_5", description("in wizard"));
    machine.writeJob("ztp_6", description("sending", 78));
    Client client(&wizard);
    client.start();
    auto& form = client.form();
    form.Timer1->stop();
    ASSERT_EQ(form.JobQueue.size(), 6u);

    const std::int64_t now = client.clock.now();   // 23:00:00 UTC
    auto job = [&](const char* name) { return form.JobQueue.find(name); };
    job("ztp_2")->NextAttempt = now + 1800;       // 23:30 the same day
    job("ztp_3")->NextAttempt = now + 5400;       // 00:30 the next day
    wizard.job = job("ztp_5");
    job("ztp_6")->Busy = true;
    form.JobQueue.ListChanged = true;
    form.RefreshJobList();

    const struct {
        const char* caption;
        int image;
        const char* doc;
    } expected[] = {
        {"ASAP", zentcore::kImageDueNew, "due new"},       {"23:30:00", zentcore::kImageAtTimeNew, "later today"},
        {"Tomorrow", zentcore::kImageTomorrowNew, "tomorrow"}, {"ASAP", zentcore::kImageScheduled, "scheduled"},
        {"User input", zentcore::kImageUserInput, "in wizard"}, {"Sending", zentcore::kImageSending, "sending"},
    };
    ASSERT_EQ(client.rows(), 6);
    for (int r = 0; r < 6; ++r) {
        SCOPED_TRACE(expected[r].doc);
        EXPECT_EQ(client.row(r)[0], expected[r].caption);
        EXPECT_EQ(client.row(r)[1], expected[r].doc);
        EXPECT_EQ(form.ListView1->item(r, 0)->icon().cacheKey(), form.ImageList1.icon(expected[r].image).cacheKey());
    }
    EXPECT_THAT(client.row(3), ElementsAre("ASAP", "scheduled", "2024/05/01 10:00:00", "1 K", "3", "2",
                                           "A4, 210x297mm", "Portrait", "77", "laser", "print.example:2020"));
    EXPECT_EQ(client.status(), "6 pending request(s)");
}

TEST(MainWindow, AnEmptyQueueSaysSoInTheStatusBar) {
    ClientMachine machine;
    Client client;
    client.start();
    EXPECT_EQ(client.rows(), 0);
    EXPECT_EQ(client.status(), "0 pending requests");
}

TEST(MainWindow, FileMenuOffersTheQueueActionsOnlyForASelectableJob) {
    ClientMachine machine;
    testenv::ScriptedWizard wizard;
    wizard.takesJobs = false;
    machine.writeJob("ztp_1", description("idle"));
    machine.writeJob("ztp_2", description("busy", 5));
    machine.writeJob("ztp_3", description("wizard"));
    Client client(&wizard);
    client.start();
    auto& form = client.form();
    form.Timer1->stop();
    form.JobQueue.find("ztp_2")->Busy = true;
    wizard.job = form.JobQueue.find("ztp_3");
    form.JobQueue.ListChanged = true;
    form.RefreshJobList();

    auto enabled = [&] {
        emit form.File1->aboutToShow();
        const bool now = form.Sendnow1->isEnabled();
        EXPECT_EQ(form.Sendlater1->isEnabled(), now);
        EXPECT_EQ(form.Cancel1->isEnabled(), now);
        return now;
    };
    form.ListView1->clearSelection();
    EXPECT_FALSE(enabled()) << "nothing selected";
    client.select("ztp_1");
    EXPECT_TRUE(enabled());
    client.select("ztp_2");
    EXPECT_FALSE(enabled()) << "a job being sent";
    client.select("ztp_3");
    EXPECT_FALSE(enabled()) << "the wizard's job";
    EXPECT_TRUE(form.Addnewjob1->isEnabled());
    EXPECT_TRUE(form.Exit1->isEnabled());
}

TEST(MainWindow, SendLaterSendNowAndNeverSendThroughTheMenu) {
    testenv::ScopedEnv tz("TZ", "UTC");
    ClientMachine machine;
    machine.writeJob("ztp_1", description("first"));
    machine.writeJob("ztp_2", description("second"));
    Client client;
    client.start();
    auto& form = client.form();
    form.Timer1->stop();
    const std::int64_t now = client.clock.now();
    auto* first = form.JobQueue.find("ztp_1");

    client.select("ztp_1");
    client.click(form.Sendlater1);
    EXPECT_EQ(first->NextAttempt, now + 600);
    EXPECT_EQ(client.row(0)[0], "23:10:00");
    EXPECT_EQ(form.selectedJob(), first) << "the selection stays on its job when the list is redrawn";
    client.click(form.Sendlater1);
    EXPECT_EQ(first->NextAttempt, now + 4200);
    EXPECT_EQ(client.row(0)[0], "Tomorrow");
    client.click(form.Sendnow1);
    EXPECT_EQ(first->NextAttempt, 0);
    EXPECT_EQ(client.row(0)[0], "ASAP");

    client.click(form.Cancel1);
    EXPECT_EQ(form.JobQueue.find("ztp_1"), nullptr);
    ASSERT_EQ(client.rows(), 1);
    EXPECT_EQ(client.row(0)[1], "second");
    EXPECT_EQ(client.status(), "1 pending request(s)");
    EXPECT_THAT(machine.workFiles(), ::testing::Not(::testing::Contains(HasSubstr("ztp_1"))));
    EXPECT_EQ(form.selectedJob(), nullptr);

    // With nothing selected the actions do nothing.
    client.click(form.Cancel1);
    client.click(form.Sendlater1);
    EXPECT_EQ(form.JobQueue.size(), 1u);
    EXPECT_EQ(form.JobQueue.at(0).NextAttempt, 0);
}

TEST(MainWindow, TheSelectionFollowsItsJobAndNeverNamesAJobThatLeft) {
    ClientMachine machine;
    for (const char* name : {"ztp_1", "ztp_2", "ztp_3"}) machine.writeJob(name, description(name));
    Client client;
    client.start();
    auto& form = client.form();
    form.Timer1->stop();

    client.select("ztp_2");
    form.JobQueue.remove(form.JobQueue.find("ztp_1"));
    form.JobQueue.ListChanged = true;
    form.RefreshJobList();
    ASSERT_EQ(client.rows(), 2);
    EXPECT_EQ(client.row(0)[1], "ztp_2");
    EXPECT_EQ(form.selectedJob(), form.JobQueue.find("ztp_2"));

    // A row drawn before its job left the queue selects nothing.
    client.select("ztp_3");
    form.JobQueue.remove(form.JobQueue.find("ztp_3"));
    EXPECT_EQ(form.selectedJob(), nullptr);
    client.click(form.Cancel1);
    EXPECT_EQ(form.JobQueue.size(), 1u);
}

TEST(MainWindow, StoredColumnWidthsAreHeldInRangeAndSavedAtTheEnd) {
    ClientMachine machine;
    machine.setUserString("Form1ListView", "5:300:abc:");
    {
        Client client;
        client.start();
        auto* list = client.form().ListView1;
        EXPECT_EQ(list->columnWidth(0), 10);
        EXPECT_EQ(list->columnWidth(1), 200);
        EXPECT_EQ(list->columnWidth(2), 10);
        list->setColumnWidth(3, 77);
    }
    const std::string saved = machine.userString("Form1ListView");
    EXPECT_THAT(saved, ::testing::StartsWith("10:200:10:77:"));
    EXPECT_EQ(std::count(saved.begin(), saved.end(), ':'), 11);
}

TEST(MainWindow, MenuSwitchesFromTheMachineSettings) {
    const struct {
        const char* value;
        bool exitEnabled;
        bool toolsEnabled;
    } cases[] = {{"", true, true}, {"Exit_En", false, true}, {"Tools_En", true, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        ClientMachine machine;
        if (*c.value) machine.setMachineDword(c.value, 0);
        Client client;
        client.start();
        auto& form = client.form();
        EXPECT_EQ(form.Exit1->isEnabled(), c.exitEnabled);
        EXPECT_EQ(form.Exit2->isEnabled(), c.exitEnabled);
        EXPECT_EQ(form.Tools1->menuAction()->isEnabled(), c.toolsEnabled);
        form.Exit1->trigger();
        form.Exit2->trigger();
        clienttest::spin(50);
        EXPECT_EQ(client.closedSignals, c.exitEnabled ? 1 : 0);
    }
}

TEST(MainWindow, TheTitleBarCannotCloseTheWindowOnlyExitEndsIt) {
    ClientMachine machine;
    Client client;
    client.start();
    auto& form = client.form();
    EXPECT_FALSE(form.windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_TRUE(form.windowFlags() & Qt::WindowMinimizeButtonHint);
    // Minimised into the tray where there is one; without, the window is the
    // only way to the client and shows itself.
    ASSERT_EQ(QSystemTrayIcon::isSystemTrayAvailable(), !form.withoutTray());
    if (form.withoutTray()) {
        EXPECT_TRUE(form.isVisible());
        EXPECT_FALSE(form.isMinimized());
        EXPECT_THAT(form.TrayNote->text().toStdString(), HasSubstr("No system tray"));
        form.showMinimized();
    } else {
        EXPECT_TRUE(form.isMinimized()) << "the window starts minimised";
    }

    form.Restore1->trigger();
    EXPECT_TRUE(form.isVisible());
    EXPECT_FALSE(form.isMinimized());
    EXPECT_FALSE(form.close());
    EXPECT_EQ(client.closedSignals, 0);
    EXPECT_FALSE(form.ending());

    form.Exit2->trigger();
    EXPECT_EQ(client.closedSignals, 1);
    EXPECT_FALSE(form.isVisible());
    EXPECT_FALSE(form.endedAtFirstChance());
}

TEST(MainWindow, ArchiveIsOfferedOnlyWhenJobsAreArchived) {
    for (std::uint32_t archive : {0u, 1u}) {
        ClientMachine machine;
        machine.setMachineDword("ArchiveDocs", archive);
        Client client;
        client.start();
        emit client.form().View1->aboutToShow();
        EXPECT_EQ(client.form().Archive3->isEnabled(), archive == 1);
    }
}

TEST(MainWindow, AboutShowsTheProgramVersionAndHelpOpensTheHelpPage) {
    ClientMachine machine;
    Client client;
    client.start();
    auto& form = client.form();

    form.About1->trigger();
    ASSERT_EQ(client.services.modals.size(), 1u);
    auto* about = client.services.modals[0];
    EXPECT_EQ(about, zentclient::AboutForm);
    EXPECT_EQ(about->windowTitle().toStdString(), "About Zentrope Client");
    const std::string version = zentclient::AboutForm->Version->text().toStdString();
    EXPECT_THAT(version, ::testing::MatchesRegex("Program version: [0-9]+\\.[0-9]+\\.[0-9]+\\.[0-9]+"));
    EXPECT_EQ(version, "Program version: " + zentclient::ProgramVersion());
    about->show();
    zentclient::AboutForm->OKButton->click();
    EXPECT_FALSE(about->isVisible());
    EXPECT_EQ(about->result(), QDialog::Accepted);

    form.Help2->trigger();
    ASSERT_EQ(client.services.opened.size(), 1u);
    EXPECT_EQ(client.services.opened[0], form.settings().AppDir + "/data/help.htm");
    EXPECT_TRUE(platform::fileExists(client.services.opened[0])) << "the help page ships beside the program";
    EXPECT_TRUE(platform::fileExists(form.settings().AppDir + "/data/more.htm"));
    EXPECT_TRUE(client.prompter.calls.empty());
}

#ifdef ZENTROPE_UPDATER
TEST(MainWindow, GetNewerVersionRunsTheUpdaterOnFtpIniBesideTheProgram) {
    ClientMachine machine;
    Client client;
    client.start();
    auto& form = client.form();
    std::string title, status;
    client.services.duringModal = [&](QDialog& dialog) {
        title = dialog.windowTitle().toStdString();
        dialog.show();
        auto* bar = dialog.findChild<QStatusBar*>("StatusBar1");
        ASSERT_NE(bar, nullptr);
        status = bar->currentMessage().toStdString();
        dialog.reject();
    };
    client.prompter.calls.clear();
    form.getNewerVersion1->setEnabled(true);
    form.getNewerVersion1->trigger();
    EXPECT_EQ(title, "Progress Form");
    EXPECT_EQ(status, "Ftp server: ");
    ASSERT_EQ(client.prompter.calls.size(), 1u) << "no ftp.ini in " << form.settings().AppDir;
    EXPECT_EQ(client.prompter.calls[0].kind, platform::ScriptedPrompter::Kind::Warn);
    EXPECT_EQ(client.prompter.calls[0].caption, "Upkeep");
    EXPECT_EQ(client.prompter.calls[0].text, "Server not specified.");
}
#endif

}  // namespace
