// Start-up of the main window: the single-instance rule, a failed start that
// ends the program once its loop runs, the first idle moment's printer check,
// and jobs arriving by scan, notification and a worker's message.
#include "client_env.h"

#include "shell/spoolercheck.h"

#include <zcodec/handoff.h>
#include <zentcore/joblistener.h>

#include <QTableWidget>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <thread>

namespace {

using clienttest::Client;
using clienttest::ClientMachine;
using platform::ScriptedPrompter;
using Kind = platform::ScriptedPrompter::Kind;
using zentclient::PrinterCheckOutcome;

const std::string kJob = "DocName=letter\r\nPages=1\r\n";

// Announces a data file the way the hand-off does.
void notify(const std::string& name) {
    const int fd = encdec::ConnectClientIpc();
    ASSERT_GE(fd, 0) << "no client listens";
    const std::string line = name + "\n";
    ASSERT_EQ(::write(fd, line.data(), line.size()), ssize_t(line.size()));
    ::close(fd);
}

TEST(Startup, ASecondClientRefusesToRunAndLeavesTheFirstAlone) {
    ClientMachine machine;
    machine.setUserString("Form1ListView", "50:60:70:");
    Client first;
    first.start();
    ASSERT_TRUE(first.started);

    {
        ScriptedPrompter prompter;
        platform::ScopedPrompter scoped(prompter);
        zentclient::TForm1 second;
        ASSERT_EQ(prompter.calls.size(), 1u);
        EXPECT_EQ(prompter.calls[0].kind, Kind::Warn);
        EXPECT_EQ(prompter.calls[0].caption, "Zentrope Client");
        EXPECT_EQ(prompter.calls[0].text, "Application already running!");
        EXPECT_TRUE(second.ending());
        int closed = 0;
        QObject::connect(&second, &zentclient::TForm1::closed, [&] { ++closed; });
        EXPECT_EQ(closed, 0) << "never ended inside window creation";
        ASSERT_TRUE(clienttest::waitUntil([&] { return closed == 1; }));
        EXPECT_TRUE(second.endedAtFirstChance());
    }
    EXPECT_EQ(machine.userString("Form1ListView"), "50:60:70:") << "the second client saved nothing";
    EXPECT_TRUE(zentcore::clientIsRunning()) << "the first one still listens";
    EXPECT_FALSE(first.form().ending());

    machine.writeJob("ztp_1", kJob);
    notify("ztp_1.ztp");
    EXPECT_TRUE(clienttest::waitUntil([&] { return first.rows() == 1; })) << "and still takes jobs";
}

TEST(Startup, AWorkingDirectoryThatCannotBeMadeEndsTheClientOnceItsLoopRuns) {
    ClientMachine machine;
    testenv::writeFile(machine.machine.dir().file("blocker"), "a file, not a directory");
    machine.setMachineString("FirstTempDir", machine.machine.dir().file("blocker/jobs"));
    Client client;
    client.windows = std::make_unique<zentclient::ClientWindows>();
    auto& form = client.form();
    int closed = 0;
    bool startedUp = false;
    QObject::connect(&form, &zentclient::TForm1::closed, [&] { ++closed; });
    QObject::connect(&form, &zentclient::TForm1::startedUp, [&] { startedUp = true; });
    EXPECT_TRUE(form.ending());
    EXPECT_EQ(closed, 0);
    ASSERT_TRUE(clienttest::waitUntil([&] { return closed == 1; }));
    EXPECT_TRUE(form.endedAtFirstChance());
    EXPECT_FALSE(startedUp) << "no scan, no tray icon";
    EXPECT_TRUE(client.prompter.calls.empty()) << "the client ends without a message";
    EXPECT_FALSE(std::filesystem::exists(machine.machine.dir().file("blocker/jobs")));
}

TEST(Startup, JobsArriveByTheStartUpScanAndByNotificationOnlyOnce) {
    ClientMachine machine;
    machine.writeJob("ztp_1", kJob);
    Client client;
    client.start();
    auto& form = client.form();
    ASSERT_EQ(form.JobQueue.size(), 1u) << "the start-up scan";

    notify("ztp_1.ztp");   // already queued by the scan
    machine.writeJob("ztp_2", kJob);
    notify("ztp_2.ztp");
    ASSERT_TRUE(clienttest::waitUntil([&] { return form.JobQueue.size() == 2; }));
    clienttest::spin(200);
    ASSERT_EQ(form.JobQueue.size(), 2u);
    EXPECT_EQ(form.JobQueue.at(0).BaseName, "ztp_1");
    EXPECT_EQ(form.JobQueue.at(1).BaseName, "ztp_2");
    EXPECT_TRUE(clienttest::waitUntil([&] { return client.rows() == 2; }, 2000)) << "shown within a second";
    EXPECT_TRUE(clienttest::waitUntil(
        [&] { return std::filesystem::exists(machine.workDir + "/ztp_2.gz"); }))
        << "its compression started";

    // A finished exchange's message from a worker thread rescans the
    // directory on the user-interface thread.
    machine.writeJob("ztp_3", kJob);
    std::thread worker([&] { platform::postMessage(form.handle(), platform::WM_APP, 0, 0); });
    worker.join();
    EXPECT_TRUE(clienttest::waitUntil([&] { return form.JobQueue.size() == 3; }));
    std::thread again([&] { platform::postMessage(form.handle(), platform::WM_APP, 0, 0); });
    again.join();
    clienttest::spin(100);
    EXPECT_EQ(form.JobQueue.size(), 3u) << "a rescan never adds a job twice";
}

TEST(Startup, ANotificationForAnotherFileOrAJobNotYetWrittenAddsNothing) {
    ClientMachine machine;
    Client client;
    client.start();
    notify("ztp_9.ztp");    // no description file
    notify("../x.ztp");     // not a name the hand-off sends
    clienttest::spin(200);
    EXPECT_TRUE(client.form().JobQueue.empty());
    EXPECT_TRUE(client.prompter.calls.empty());
}

// The print system as a script: answers in order, the last one repeating.
class ScriptedSpooler : public zentclient::Spooler {
public:
    std::optional<bool> hasPort(const std::string& port) override {
        calls.push_back("hasPort " + port);
        return next(ports, ENOENT);
    }
    void addPortMonitor() override { calls.push_back("addPortMonitor"); }
    void addPrinter() override { calls.push_back("addPrinter"); }
    bool openPrinter(const std::string& printer) override {
        calls.push_back("openPrinter " + printer);
        const bool ok = next(opens, ENOENT).value_or(false);
        return ok;
    }
    std::optional<std::string> printerPort(const std::string& printer) override {
        calls.push_back("printerPort " + printer);
        if (!port) errno = EACCES;
        return port;
    }
    bool setPrinterPort(const std::string& printer, const std::string& p) override {
        calls.push_back("setPrinterPort " + printer + " " + p);
        if (!setWorks) errno = EACCES;
        return setWorks;
    }

    std::deque<std::optional<bool>> ports{true};
    std::deque<std::optional<bool>> opens{true};
    std::optional<std::string> port = "zentro1:";
    bool setWorks = true;
    std::vector<std::string> calls;

private:
    static std::optional<bool> next(std::deque<std::optional<bool>>& answers, int error) {
        std::optional<bool> answer = answers.front();
        if (answers.size() > 1) answers.pop_front();
        if (!answer || !*answer) errno = error;
        return answer;
    }
};

TEST(PrinterCheck, InstallsAndCorrectsWhatIsMissingOrEnds) {
    const std::string question = "Port [ZENTRO1:] not found. Need to install it!\r\nContinue application loading ?";
    const struct {
        const char* what;
        std::deque<std::optional<bool>> ports;
        std::deque<std::optional<bool>> opens;
        std::optional<std::string> port;
        bool setWorks;
        bool yes;
        PrinterCheckOutcome outcome;
        std::vector<std::string> calls;
        std::vector<std::pair<Kind, std::string>> shown;   // kind, caption
    } cases[] = {
        {"all in place", {true}, {true}, "zentro1:", true, false, PrinterCheckOutcome::Scan,
         {"hasPort ZENTRO1:", "openPrinter Zentrope", "printerPort Zentrope"}, {}},
        {"port installed on the way", {false, true}, {true}, "ZENTRO1:", true, false, PrinterCheckOutcome::Scan,
         {"hasPort ZENTRO1:", "addPortMonitor", "hasPort ZENTRO1:", "openPrinter Zentrope", "printerPort Zentrope"},
         {}},
        {"port missing, user goes on", {false}, {true}, "ZENTRO1:", true, true, PrinterCheckOutcome::NoScan,
         {"hasPort ZENTRO1:", "addPortMonitor", "hasPort ZENTRO1:"}, {{Kind::Ask, "Zentrope Client"}}},
        {"port missing, user stops", {false}, {true}, "ZENTRO1:", true, false, PrinterCheckOutcome::End,
         {"hasPort ZENTRO1:", "addPortMonitor", "hasPort ZENTRO1:"}, {{Kind::Ask, "Zentrope Client"}}},
        {"ports cannot be listed", {std::nullopt, true}, {true}, "ZENTRO1:", true, false, PrinterCheckOutcome::Scan,
         {"hasPort ZENTRO1:", "addPortMonitor", "hasPort ZENTRO1:", "openPrinter Zentrope", "printerPort Zentrope"},
         {{Kind::Error, "EnumPorts"}}},
        {"printer installed on the way", {true}, {false, true}, "ZENTRO1:", true, false, PrinterCheckOutcome::Scan,
         {"hasPort ZENTRO1:", "openPrinter Zentrope", "addPrinter", "openPrinter Zentrope", "printerPort Zentrope"},
         {}},
        {"printer cannot be installed", {true}, {false}, "ZENTRO1:", true, false, PrinterCheckOutcome::End,
         {"hasPort ZENTRO1:", "openPrinter Zentrope", "addPrinter", "openPrinter Zentrope"},
         {{Kind::Error, "OpenPrinter"}}},
        {"printer unreadable", {true}, {true}, std::nullopt, true, false, PrinterCheckOutcome::End,
         {"hasPort ZENTRO1:", "openPrinter Zentrope", "printerPort Zentrope"}, {{Kind::Error, "GetPrinter"}}},
        {"printer on another port", {true}, {true}, "lpt1:", true, false, PrinterCheckOutcome::Scan,
         {"hasPort ZENTRO1:", "openPrinter Zentrope", "printerPort Zentrope", "setPrinterPort Zentrope ZENTRO1:"},
         {}},
        {"port cannot be corrected", {true}, {true}, "lpt1:", false, false, PrinterCheckOutcome::End,
         {"hasPort ZENTRO1:", "openPrinter Zentrope", "printerPort Zentrope", "setPrinterPort Zentrope ZENTRO1:"},
         {{Kind::Error, "SetPrinter"}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ScriptedSpooler spooler;
        spooler.ports = c.ports;
        spooler.opens = c.opens;
        spooler.port = c.port;
        spooler.setWorks = c.setWorks;
        ScriptedPrompter prompter;
        platform::ScopedPrompter scoped(prompter);
        prompter.answer(c.yes);
        EXPECT_EQ(zentclient::RunPrinterCheck(&spooler, true, 0), c.outcome);
        EXPECT_EQ(spooler.calls, c.calls);
        ASSERT_EQ(prompter.calls.size(), c.shown.size());
        for (std::size_t i = 0; i < c.shown.size(); ++i) {
            EXPECT_EQ(prompter.calls[i].kind, c.shown[i].first);
            EXPECT_EQ(prompter.calls[i].caption, c.shown[i].second);
            if (c.shown[i].first == Kind::Ask) {
                EXPECT_EQ(prompter.calls[i].text, question);
            } else {
                EXPECT_FALSE(prompter.calls[i].text.empty()) << "the system's text of the failure";
            }
        }
    }
}

TEST(PrinterCheck, UsersWhoAreNotAdministratorsAndClientsWithoutSpoolerGoStraightToTheScan) {
    ScriptedSpooler spooler;
    spooler.ports = {false};
    ScriptedPrompter prompter;
    platform::ScopedPrompter scoped(prompter);
    EXPECT_EQ(zentclient::RunPrinterCheck(&spooler, false, 0), PrinterCheckOutcome::Scan);
    EXPECT_EQ(zentclient::RunPrinterCheck(nullptr, true, 0), PrinterCheckOutcome::Scan);
    EXPECT_TRUE(spooler.calls.empty());
    EXPECT_TRUE(prompter.calls.empty());
}

TEST(PrinterCheck, TheClientRunsItAtItsFirstIdleMoment) {
    const struct {
        bool yes;
        bool ends;
        std::size_t queued;
    } cases[] = {{true, false, 0}, {false, true, 0}};
    for (const auto& c : cases) {
        ClientMachine machine;
        machine.writeJob("ztp_1", kJob);
        ScriptedSpooler spooler;
        spooler.ports = {false};
        Client client(nullptr, &spooler);
        client.prompter.answer(c.yes);
        client.start();
        ASSERT_EQ(client.prompter.calls.size(), 1u);
        EXPECT_EQ(client.prompter.calls[0].kind, Kind::Ask);
        EXPECT_EQ(client.form().JobQueue.size(), c.queued) << "no initial scan without the port";
        if (c.ends) {
            EXPECT_TRUE(clienttest::waitUntil([&] { return client.closedSignals == 1; }));
        }
        EXPECT_EQ(client.form().endedAtFirstChance(), c.ends);
    }
}

}  // namespace
