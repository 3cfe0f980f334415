// The user acting while the wizard waits for the server: the server delays
// one answer, and an action posted meanwhile runs while the wizard pumps the
// event loop inside Communicate. Nothing the user does there may take the job
// away from GO, start a second request, or let GO go on after Exit.
#include "wizard_env.h"

#include "reference_server.h"

#include "auth/tselauth.h"

#include <QAction>
#include <QMenu>
#include <QPushButton>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <optional>
#include <memory>

namespace {

using clienttest::ClientMachine;
using clienttest::JobDescription;
using clienttest::PostedAction;
using clienttest::WizardClient;
using ::testing::ElementsAre;

// "paid" needs the authentication dialog (its method needs no page), "laser"
// none. delayed: the command whose answer the server holds back.
std::string configDelaying(const std::string& delayed) {
    return R"({
      "first_session": 258,
      "commands": {")" + delayed + R"(": {"delay_ms": 700}},
      "auth_methods": {"Voucher": {"stage": 1}},
      "printers": [
        {"name": "laser", "description": {"PRPAGE": 9}},
        {"name": "paid", "description": {"PRPAGE": 9, "AUTHNAME": ["Voucher"], "PAGEPRICE": ["0.10"],
                                         "MINCHARGE": ["0"], "TAX": ["0"]}}
      ]
    })";
}

// How often the log names a command.
int requests(const testenv::ReferenceServer& server, const std::string& command) {
    const std::string log = server.log(), needle = " " + command + " session=";
    int count = 0;
    for (size_t at = log.find(needle); at != std::string::npos; at = log.find(needle, at + 1)) ++count;
    return count;
}

QAction* laterEntry(zentclient::TUserForm& wizard) { return wizard.LaterPopupMenu->actions().front(); }

struct WaitCase {
    const char* name;
    const char* delayed;   // the command the server holds back
    const char* printer;
    // The action, given the client (its wizard is in the wait).
    std::function<void(WizardClient&)> act;
    bool sent;   // GO still delivers the job (false: GO stopped, the job stays idle)
};

void PrintTo(const WaitCase& c, std::ostream* os) { *os << c.name; }

class WizardWait : public ::testing::TestWithParam<WaitCase> {};

TEST_P(WizardWait, GoHoldsTheJobWhileTheUserActsDuringTheWait) {
    const WaitCase& c = GetParam();
    ClientMachine machine;
    machine.setMachineDword("Email_En", 1);
    machine.setMachineDword("Later_En", 1);
    testenv::ReferenceServer server(configDelaying(c.delayed));
    machine.writeJob("ztp_1", JobDescription("Report", 1, 1), "%!PS\n");
    WizardClient client(machine);
    ASSERT_NE(client.pass(), nullptr);
    auto& wizard = client.wizard();
    const std::string before = testenv::readFile(machine.workDir + "/ztp_1.txt");
    int dialogs = 0;
    client.services.onModal = [&](QDialog&) {
        ++dialogs;
        return int(zentcore::AuthDialogue::kAuthenticated);
    };

    // Each wait is told by what the wizard has got so far: the authentication
    // dialog exists while it asks for the currency; the session is asked for
    // once the printer check was answered; the check is the first request.
    // The session's request goes out on its own thread once the check is
    // answered; a moment later (well inside the server's delay) it has surely
    // reached the server, however loaded the machine.
    const std::string delayed = c.delayed;
    std::optional<std::chrono::steady_clock::time_point> checked;
    const auto inWait = [&] {
        if (delayed == "SVRINFO") return wizard.findChild<zentclient::TSelAuth*>() != nullptr;
        if (delayed == "NEWSESSION") {
            if (!checked && requests(server, "ASKPRN") == 1) checked = std::chrono::steady_clock::now();
            return checked && std::chrono::steady_clock::now() - *checked > std::chrono::milliseconds(200);
        }
        return !wizard.BitBtnNext->isEnabled();
    };
    PostedAction posted(inWait, [&] { c.act(client); });
    client.type(std::string(c.printer) + "@" + server.address());
    wizard.BitBtnNextClick();
    ASSERT_TRUE(posted.ran) << "the action did not run during the wait";

    // Looked up again: a job that left the queue must not be touched here.
    auto& queue = client.form().JobQueue;
    ASSERT_EQ(queue.size(), 1u) << "the job left the queue while GO held it";
    zentcore::TQueuedJob& job = queue.at(0);
    EXPECT_EQ(job.NextAttempt, 0) << "Later did not wait for GO";
    // Asked for once (never twice by a second GO), and not at all once Exit
    // came before it.
    const int sessions = c.sent || delayed != "ASKPRN" ? 1 : 0;
    if (sessions > 0) {
        ASSERT_TRUE(server.logShows(" NEWSESSION "));
    }
    EXPECT_EQ(requests(server, "NEWSESSION"), sessions);
    if (c.sent) {
        EXPECT_EQ(job.SessionId, 258);
        ASSERT_NE(job.SendThread, nullptr);
        EXPECT_FALSE(wizard.isVisible());
        job.SendThread->waitFor();
        EXPECT_EQ(job.SendThread->ReturnValue, 258);
    } else {
        EXPECT_EQ(dialogs, 0) << "no dialog after Exit";
        EXPECT_EQ(job.SessionId, 0);
        EXPECT_EQ(job.SendThread, nullptr);
        EXPECT_FALSE(job.Busy);
        EXPECT_EQ(testenv::readFile(machine.workDir + "/ztp_1.txt"), before) << "the job is read again at the next start";
    }
    EXPECT_EQ(wizard.currentJob(), c.sent ? nullptr : &job);
    EXPECT_THAT(client.messages(), ElementsAre());
}

INSTANTIATE_TEST_SUITE_P(
    Wizard, WizardWait,
    ::testing::Values(
        WaitCase{"CancelOnTheEmailPageWhileTheDialogAsksForTheCurrency", "SVRINFO", "paid",
                 [](WizardClient& c) { c.wizard().BitBtnCancelE->click(); }, true},
        WaitCase{"CancelOnTheHtmlPageWhileTheSessionIsAskedFor", "NEWSESSION", "paid",
                 [](WizardClient& c) { c.wizard().BitBtnCancelH->click(); }, true},
        WaitCase{"LaterWhileTheDialogAsksForTheCurrency", "SVRINFO", "paid",
                 [](WizardClient& c) { laterEntry(c.wizard())->trigger(); }, true},
        WaitCase{"AnotherGoWhileTheSessionIsAskedFor", "NEWSESSION", "laser",
                 [](WizardClient& c) { c.wizard().BitBtnNextClick(); }, true},
        WaitCase{"AnotherGoWhileTheDialogAsksForTheCurrency", "SVRINFO", "paid",
                 [](WizardClient& c) { c.wizard().BitBtnNextClick(); }, true},
        WaitCase{"ExitWhileThePrinterIsChecked", "ASKPRN", "laser", [](WizardClient& c) { c.form().Exit1Click(); },
                 false},
        WaitCase{"ExitWhileTheSessionIsAskedFor", "NEWSESSION", "paid",
                 [](WizardClient& c) { c.form().Exit1Click(); }, false},
        WaitCase{"ExitWhileTheDialogAsksForTheCurrency", "SVRINFO", "paid",
                 [](WizardClient& c) { c.form().Exit1Click(); }, false}),
    [](const ::testing::TestParamInfo<WaitCase>& info) { return std::string(info.param.name); });

// The printer queries wait the same way: GO and Cancel wait for the answer,
// and the list is shown once it came.
TEST(WizardQueryWait, GoAndCancelWaitForThePrinterList) {
    ClientMachine machine;
    testenv::ReferenceServer server(configDelaying("GETPRNAMES"));
    machine.writeJob("ztp_1", JobDescription("Report", 1, 1), "%!PS\n");
    WizardClient client(machine);
    ASSERT_NE(client.pass(), nullptr);
    auto& wizard = client.wizard();
    PostedAction posted([&] { return requests(server, "GETPRNAMES") == 0; },
                        [&] {
                            wizard.BitBtnNextClick();
                            wizard.BitBtnCancel->click();
                        });
    client.type("laser@" + server.address());
    wizard.GetPrListClick();
    ASSERT_TRUE(posted.ran);

    EXPECT_THAT(client.services.modalTitles, ElementsAre(QString::fromStdString("Zentrope: Printers on " + server.address())));
    EXPECT_EQ(requests(server, "ASKPRN"), 0) << "GO did not wait";
    ASSERT_EQ(client.form().JobQueue.size(), 1u) << "Cancel did not wait";
    EXPECT_EQ(wizard.currentJob(), &client.form().JobQueue.at(0));
    EXPECT_TRUE(wizard.isVisible());
}

}  // namespace
