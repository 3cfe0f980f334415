// The archive window over a real archive directory: its list and order, and
// its buttons' messages and effects on the queue and the files.
#include "client_env.h"
#include "sample_jobs.h"

#include "archive/archivepreview.h"
#include "archive/tarchiform.h"
#include "shell/windows.h"
#include "status/tstatusform.h"

#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

namespace {

namespace fs = std::filesystem;
using clienttest::Client;
using clienttest::ClientMachine;
using ::testing::ElementsAre;

class RecordingPreview : public zentclient::ArchivePreview {
public:
    bool isVisible() const override { return false; }
    bool prepare(zentcore::TQueuedJob& job, const std::string& dir) override {
        prepared.push_back(dir + "/" + job.BaseName + " " + job.DocName);
        return true;
    }
    void showModal() override { ++shown; }
    std::vector<std::string> prepared;
    int shown = 0;
};

class ArchiveWindow : public ::testing::Test {
protected:
    void SetUp() override {
        machine.setMachineDword("ArchiveDocs", 1);
        client.start();
        ASSERT_TRUE(client.started);
        dir = client.form().settings().UserSaveDir;
        archived("ztp_1", "tenth", "2003/3/10 8:0:0.0", true);
        archived("ztp_2", "ninth", "2003/3/9 8:0:0.0", true);
        archived("ztp_3", "no data", "2003/3/11 8:0:0.0", false);
        form().preview = &preview;
    }
    void archived(const std::string& base, const std::string& doc, const std::string& submitted, bool withData) {
        testenv::JobText t;
        t.DocName = doc;
        t.Submited = submitted;
        t.SessionId = 42;
        t.Printer = "laser";
        t.Server = "127.0.0.1:1";
        testenv::writeFile(dir + "/" + base + ".txt", t.text());
        if (withData) testenv::writeFile(dir + "/" + base + ".ztp", testenv::pagedPostScript(1));
    }
    zentclient::TArchiForm& form() { return *zentclient::ArchiForm; }
    std::vector<std::string> column(int c) {
        std::vector<std::string> texts;
        for (int r = 0; r < form().ListView1->rowCount(); ++r)
            texts.push_back(form().ListView1->item(r, c)->text().toStdString());
        return texts;
    }
    void select(std::initializer_list<int> rows) {
        form().ListView1->clearSelection();
        for (int r : rows) form().ListView1->selectionModel()->select(
            form().ListView1->model()->index(r, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    std::vector<std::string> messages() {
        std::vector<std::string> texts;
        for (const auto& call : client.prompter.calls) texts.push_back(call.text);
        client.prompter.calls.clear();
        return texts;
    }

    ClientMachine machine;
    Client client;
    RecordingPreview preview;
    std::string dir;
};

TEST_F(ArchiveWindow, ListsTheArchiveByDateAndByAnyColumnClicked) {
    client.form().Archive3->trigger();
    ASSERT_TRUE(form().isVisible());
    EXPECT_EQ(form().windowTitle().toStdString(), "Zentrope Archive");
    EXPECT_FALSE(form().InfoLabel->isVisible());
    EXPECT_THAT(column(1), ElementsAre("ninth", "tenth", "no data"));
    EXPECT_THAT(column(3)[2], "0");
    emit form().ListView1->horizontalHeader()->sectionClicked(1);
    EXPECT_THAT(column(1), ElementsAre("ninth", "no data", "tenth"));
    emit form().ListView1->horizontalHeader()->sectionClicked(1);
    EXPECT_THAT(column(1), ElementsAre("ninth", "no data", "tenth"));
    EXPECT_TRUE(messages().empty());
}

TEST_F(ArchiveWindow, ButtonsNeedTheirSelectionAndJobsWithoutDataSaySo) {
    form().Open();
    for (QPushButton* b : {form().BitBtnPreview, form().BitBtnSubmit, form().BitBtnDelete}) {
        b->click();
        EXPECT_THAT(messages(), ElementsAre("You need to select at least one item first!"));
    }
    select({0, 1});
    form().BitBtnStatus->click();
    EXPECT_THAT(messages(), ElementsAre("You need to select exactly one item first!"));

    select({0, 2});   // "ninth" and "no data"
    form().BitBtnPreviewClick();
    EXPECT_THAT(messages(),
                ElementsAre("Since there is no target device defined yet, you can not see the paper borders.",
                            "Data is not available: " + dir + "/ztp_3.ztp"));
    EXPECT_THAT(preview.prepared, ElementsAre(dir + "/ztp_2 ninth"));
    EXPECT_EQ(preview.shown, 1);

    select({1});
    client.prompter.answer(true);
    form().BitBtnStatusClick();
    EXPECT_EQ(zentclient::StatusForm->Edit1->text().toStdString(), "laser@127.0.0.1:1");
    EXPECT_EQ(zentclient::StatusForm->Edit2->text().toStdString(), "42");
    EXPECT_THAT(messages(), ElementsAre("Printer does not exist or server does not respond!")) << "and asked at once";
}

TEST_F(ArchiveWindow, ResubmitPutsNewJobsIntoTheQueueAndDeleteAsksNothing) {
    form().Open();
    select({0, 1});
    form().BitBtnSubmitClick();
    EXPECT_FALSE(form().isVisible());
    ASSERT_EQ(client.form().JobQueue.size(), 2u);
    for (std::size_t i = 0; i < 2; ++i) EXPECT_EQ(client.form().JobQueue.at(i).SessionId, 0);
    EXPECT_TRUE(fs::exists(dir + "/ztp_1.ztp")) << "the archive keeps its jobs";

    form().Open();
    select({0, 2});
    form().BitBtnDeleteClick();
    EXPECT_TRUE(messages().empty());
    EXPECT_THAT(column(1), ElementsAre("tenth"));
    EXPECT_FALSE(fs::exists(dir + "/ztp_2.txt"));
    EXPECT_FALSE(fs::exists(dir + "/ztp_3.txt"));
}

}  // namespace

namespace {

TEST_F(ArchiveWindow, ColumnWidthsAreKeptOnceTheListWasShown) {
    client.windows.reset();
    EXPECT_EQ(machine.userString("ArchiveListView"), "") << "never shown: nothing stored, the first list fits itself";

    client.start();
    form().preview = &preview;
    form().Open();
    form().ListView1->setColumnWidth(1, 150);
    client.windows.reset();
    const std::string stored = machine.userString("ArchiveListView");
    ASSERT_FALSE(stored.empty());
    EXPECT_EQ(zentcore::ParseColumnWidths(stored, 12).at(1), 150);
}

}  // namespace
