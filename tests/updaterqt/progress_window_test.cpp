#include <zsyncqt/tdetailsform.h>
#include <zsyncqt/tprogressform.h>

#include "ftp_server.h"
#include "test_env.h"
#include "wait.h"

#include <zplatform/prompter.h>

#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTreeWidget>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

namespace {

namespace fs = std::filesystem;
using testing::HasSubstr;
using zsyncqt::TProgressForm;

std::string text(const QString& s) { return s.toStdString(); }

class ProgressWindow : public testing::Test {
protected:
    ProgressWindow() {
        fs::create_directories(files.file("remote/pub/sub"));
        fs::create_directories(files.file("app"));
        testenv::writeFileWithTime(files.file("remote/pub/same.txt"), "same", 1700000000);
        testenv::writeFileWithTime(files.file("app/same.txt"), "same", 1700000000);
        testenv::writeFileWithTime(files.file("remote/pub/sub/new.txt"), "new file", 1700000000);
    }
    std::string ini(const std::string& server) {
        const auto path = files.file("app/ftp.ini");
        testenv::writeFile(path, "[Ftp]\nServer=" + server + "\nUser=" + testenv::FtpServer::kUser + "\nPassword=" +
                                     testenv::FtpServer::kPassword + "\n[Files]\n%IniDir%=/pub\n");
        return path;
    }
    bool closeShown(TProgressForm& form) {
        return testenv::waitUntil([&] { return text(form.Button1->text()) == "Close" && !form.working(); });
    }

    testenv::IsolatedMachine machine;
    testenv::TempDir files;
    platform::ScriptedPrompter prompter;
    platform::ScopedPrompter scoped{prompter};
};

TEST_F(ProgressWindow, ShowsTheRunAndItsDetails) {
    testenv::FtpServer server(files.file("remote"));
    TProgressForm form(nullptr, ini(server.address()));
    EXPECT_EQ(text(form.windowTitle()), "Progress Form");
    EXPECT_EQ(text(form.Label1->text()), "Status");
    EXPECT_TRUE(form.Edit1->isReadOnly());
    EXPECT_EQ(text(form.Button2->text()), "Details");
    form.show();
    ASSERT_TRUE(closeShown(form));
    EXPECT_TRUE(prompter.calls.empty()) << prompter.calls[0].caption << ": " << prompter.calls[0].text;
    EXPECT_EQ(text(form.Label1->text()), "Done. Synchronizing 1 files, 8 bytes");
    EXPECT_EQ(text(form.Edit1->text()), "");
    EXPECT_EQ(testenv::readFile(files.file("app/sub/new.txt")), "new file");

    auto* details = form.DetailsForm;
    EXPECT_EQ(text(details->windowTitle()), "File Details");
    EXPECT_EQ(text(details->StatusBar1->currentMessage()), "Ftp server: " + server.address());
    auto* list = details->ListView1;
    ASSERT_EQ(list->topLevelItemCount(), 2);
    std::vector<std::string> header;
    for (int c = 0; c < list->columnCount(); ++c) header.push_back(text(list->headerItem()->text(c)));
    EXPECT_THAT(header, testing::ElementsAre("Remote File", "Remote Timestamp", "Local File", "Local Timestamp", "Status",
                                             "Bytes size"));
    const int w = list->fontMetrics().horizontalAdvance(QString(40, 'a'));
    EXPECT_EQ(list->columnWidth(0), w);
    EXPECT_EQ(list->columnWidth(1), w * 2 / 4);
    EXPECT_EQ(list->columnWidth(4), int(w * 1.5 * 0.25));
    EXPECT_EQ(list->columnWidth(5), w / 4);
    const auto* same = list->topLevelItem(0);
    EXPECT_EQ(text(same->text(0)), "/pub/same.txt");
    EXPECT_EQ(text(same->text(4)), "Up to date");
    const auto* fresh = list->topLevelItem(1);
    EXPECT_EQ(text(fresh->text(0)), "/pub/sub/new.txt");
    EXPECT_EQ(text(fresh->text(3)), "Not existing");
    EXPECT_EQ(text(fresh->text(4)), "Updated");
    EXPECT_EQ(text(fresh->text(5)), "8");
    EXPECT_FALSE(fresh->icon(0).isNull());

    form.Button1->click();
    EXPECT_FALSE(form.isVisible()) << "Close closes the window";
}

TEST_F(ProgressWindow, DetailsTwiceShowsAndHidesAndTheServerShowsWhenTheConnectionFails) {
    const std::string address = "127.0.0.1:" + std::to_string(testenv::freeLocalPort());
    TProgressForm form(nullptr, ini(address));
    form.show();
    form.Button2->click();
    EXPECT_TRUE(form.DetailsForm->isVisible());
    form.Button2->click();
    EXPECT_FALSE(form.DetailsForm->isVisible());
    ASSERT_TRUE(closeShown(form));
    EXPECT_EQ(text(form.Label1->text()), "Connection failed");
    EXPECT_EQ(text(form.DetailsForm->StatusBar1->currentMessage()), "Ftp server: " + address);
    ASSERT_EQ(prompter.calls.size(), 1u);
    EXPECT_EQ(prompter.calls[0].caption, "InternetConnect");
    EXPECT_THAT(prompter.calls[0].text, HasSubstr("System error 12029\r\n"));
}

TEST_F(ProgressWindow, WithoutServerNothingStarts) {
    testenv::writeFile(files.file("app/ftp.ini"), "[Ftp]\nUser=x\n[Files]\n/a=/b\n");
    TProgressForm form(nullptr, files.file("app/ftp.ini"));
    form.show();
    ASSERT_EQ(prompter.calls.size(), 1u);
    EXPECT_EQ(prompter.calls[0].caption, "Upkeep");
    EXPECT_EQ(prompter.calls[0].text, "Server not specified.");
    EXPECT_EQ(text(form.Button1->text()), "Close");
    EXPECT_FALSE(form.working());
}

TEST_F(ProgressWindow, StopEndsTheRunAndClosingWaitsForIt) {
    testenv::writeFileWithTime(files.file("remote/pub/sub/new.txt"), std::string(1 << 20, 'n'), 1700000000);
    testenv::FtpServer server(files.file("remote"), {.slow = true});
    TProgressForm form(nullptr, ini(server.address()));
    form.show();
    ASSERT_TRUE(testenv::waitUntil([&] { return text(form.Edit1->text()).rfind("Got ", 0) == 0; }));
    EXPECT_EQ(text(form.Button1->text()), "Stop");
    form.Button1->click();
    EXPECT_TRUE(form.isVisible()) << "Stop does not close";
    ASSERT_TRUE(closeShown(form));
    EXPECT_EQ(text(form.Label1->text()), "Synchronizing 1 files, 1048576 bytes");
    EXPECT_FALSE(fs::exists(files.file("app/sub/new.txt")));
}

}  // namespace
