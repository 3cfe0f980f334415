// The job status window against the reference server: the status in words,
// the job id as the user typed it, and what a missing answer looks like.
#include "client_env.h"

#include "status/tstatusform.h"

#include "reference_server.h"

#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace {

using ::testing::ElementsAre;
using Kind = platform::ScriptedPrompter::Kind;

const std::string kJobs = R"({"printers": [{"name": "laser"}],
    "jobs": [{"id": 17, "printer": "laser", "status": 4099}, {"id": 18, "printer": "laser", "status": 4096}]})";

// 21 fields: one short of a job's status.
const std::string kShortAnswer = R"({"printers": [{"name": "laser"}],
    "commands": {"OJOBS": {"answer": "1\u00040\u0004a\u0004b\u0004c\u0004d\u0004e\u0004f\u0004g\u0004h\u0004i\u0004j\u0004k\u0004l\u0004m\u0004n\u0004o\u0004p\u0004q\u0004r\u0004s"}}})";

class StatusWindow : public ::testing::Test {
protected:
    StatusWindow() { form.show(); }
    void query(const std::string& address, const std::string& id) {
        form.Edit1->setText(QString::fromStdString(address));
        form.Edit2->setText(QString::fromStdString(id));
        form.BitBtnQuery->click();
    }
    std::string result() const { return form.Edit3->text().toStdString(); }
    std::string statusLine() const { return form.StatusBar1->currentMessage().toStdString(); }

    testenv::IsolatedMachine machine;
    platform::ScriptedPrompter prompter;
    platform::ScopedPrompter scoped{prompter};
    zentclient::TStatusForm form;
};

TEST_F(StatusWindow, ShowsTheStatusInWordsForTheIdAsANumber) {
    EXPECT_EQ(form.windowTitle(), "Job Status Information");
    testenv::ReferenceServer server(kJobs);
    const struct {
        const char* id;
        const char* shownId;
        const char* result;
    } cases[] = {
        {"17", "17", "Job 17: Sent To Printer"},     // 0x1003: the bit 0x1000 is cleared
        {" 00017 ", "17", "Job 17: Sent To Printer"},
        {"18", "18", "Job 18: Unknown status (0)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.id);
        query("laser@" + server.address(), c.id);
        EXPECT_EQ(form.Edit2->text().toStdString(), c.shownId);
        EXPECT_EQ(result(), c.result);
        EXPECT_EQ(statusLine(), "");
    }
    // Letters are job 0, which the server does not know: a result error, and
    // the last result stays.
    query("laser@" + server.address(), "abc");
    EXPECT_EQ(form.Edit2->text().toStdString(), "0");
    EXPECT_EQ(statusLine(), "Result error. Maybe Job Id does not exist.");
    EXPECT_EQ(result(), "Job 18: Unknown status (0)");
    EXPECT_TRUE(prompter.calls.empty());
}

TEST_F(StatusWindow, AnAnswerShortOfTheStatusFieldIsAResultError) {
    testenv::ReferenceServer server(kShortAnswer);
    form.Edit3->setText("earlier result");
    query("laser@" + server.address(), "17");
    EXPECT_EQ(statusLine(), "Result error. Maybe Job Id does not exist.");
    EXPECT_EQ(result(), "earlier result");
}

TEST_F(StatusWindow, AnAddressWithoutPrinterOrServerThatAnswersIsRefused) {
    testenv::ReferenceServer server(kJobs);
    query(server.address(), "17");   // no printer: refused before any request
    ASSERT_EQ(prompter.calls.size(), 1u);
    EXPECT_EQ(prompter.calls[0].kind, Kind::Warn);
    EXPECT_FALSE(server.logShows("OJOBS"));

    prompter.calls.clear();
    query("laser@127.0.0.1:" + std::to_string(testenv::freeLocalPort()), "17");
    ASSERT_EQ(prompter.calls.size(), 1u);
    EXPECT_EQ(prompter.calls[0].caption, "Zentrope Client");
    EXPECT_EQ(prompter.calls[0].text, "Printer does not exist or server does not respond!");
    EXPECT_EQ(result(), "");
}

}  // namespace
