// A job with a session is delivered by the timer's passes to the real
// reference server and leaves the list; a refused one waits an hour.
#include "client_env.h"

#include "reference_server.h"
#include "sample_jobs.h"

#include <zcodec/clientthread.h>
#include <zplatform/registry.h>

#include <QTableWidget>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>

namespace {

using clienttest::Client;
using clienttest::ClientMachine;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
namespace fs = std::filesystem;

const char kConfig[] = R"({
  "server_info": ["Delivery server", "1.0", "127.0.0.1", "EUR"],
  "first_session": 3001,
  "printers": [{"name": "laser", "description": {"PRMODEL": "Mono laser", "PRPAGE": 9, "MAXPAGES": 50}}]
})";

std::int32_t newSession(const testenv::ReferenceServer& server) {
    encdec::TCommResult result;
    auto thread = encdec::Communicate("NEWSESSION", "", server.address(), 0, result, encdec::ttEncrypt, 0, 0, "");
    return thread ? thread->ReturnValue : 0;
}

class Delivery : public ::testing::Test {
protected:
    Delivery() { machine.setMachineDword("ArchiveDocs", 1); }

    // Queues one job for the printer and runs the two passes that send it and
    // collect the outcome.
    void sendThroughTwoPasses(const std::string& printer) {
        session = newSession(server);
        ASSERT_NE(session, 0);
        machine.writeJob("ztp_1",
                         testenv::JobText{.DocName = "Quarterly report",
                                          .Pages = 2,
                                          .SessionId = session,
                                          .Printer = printer,
                                          .Server = server.address()}
                             .text(),
                         "%!PS-Adobe-3.0\n(two pages) show showpage showpage\n");
        client.useRealClock = true;
        client.start();
        auto& form = client.form();
        form.Timer1->stop();
        // The balloons the desktop is asked to show (the icon is shown by
        // hand: the test platform has no tray).
        form.TrayIcon1->show();
        form.TrayIcon1->OnBalloonShown = [this](const QString& title, const QString& text) {
            balloons.push_back((title + ": " + text).toStdString());
        };
        ASSERT_EQ(form.JobQueue.size(), 1u);

        form.Timer1Timer();
        auto& job = form.JobQueue.at(0);
        ASSERT_TRUE(job.Busy);
        EXPECT_EQ(client.row(0)[0], "Sending");
        ASSERT_NE(job.SendThread, nullptr);
        ASSERT_TRUE(clienttest::waitUntil([&] { return job.SendThread->Finished.load(); }, 20000));
        form.Timer1Timer();
    }

    ClientMachine machine;
    testenv::ReferenceServer server{kConfig};
    Client client;
    std::int32_t session = 0;
    std::vector<std::string> balloons;
};

TEST_F(Delivery, ADeliveredJobLeavesTheListAndIsArchived) {
    sendThroughTwoPasses("laser");
    EXPECT_EQ(client.rows(), 0);
    EXPECT_EQ(client.status(), "0 pending requests");
    EXPECT_TRUE(client.form().JobQueue.empty());
    EXPECT_THAT(machine.workFiles(), ElementsAre()) << "no .txt, .ztp or .gz left";

    const std::string archive = machine.userSaveDir();
    EXPECT_EQ(testenv::readFile(archive + "/ztp_1.ztp"), "%!PS-Adobe-3.0\n(two pages) show showpage showpage\n");
    EXPECT_THAT(testenv::readFile(archive + "/ztp_1.txt"),
                ::testing::ContainsRegex("OkDate=[0-9]{4}/[0-9]{2}/[0-9]{2} [0-9]{2}:[0-9]{2}:[0-9]{2}\r\n"));

    EXPECT_THAT(balloons, ElementsAre("Job delivered: \"Quarterly report\" delivered to laser@" + server.address() +
                                      ", job id " + std::to_string(session)));
    EXPECT_TRUE(server.logShows("CONFIRM"));
    int delivered = 0;
    for (const auto& entry : fs::directory_iterator(server.spoolDir())) {
        ++delivered;
        EXPECT_THAT(testenv::readFile(entry.path().string() + "/meta.json"), HasSubstr("Quarterly report"));
    }
    EXPECT_EQ(delivered, 1);
}

TEST_F(Delivery, ARefusedJobWaitsAnHourWithItsFiles) {
    sendThroughTwoPasses("nosuchprinter");
    ASSERT_EQ(client.form().JobQueue.size(), 1u);
    const auto& job = client.form().JobQueue.at(0);
    EXPECT_FALSE(job.Busy);
    const std::int64_t ahead = job.NextAttempt - std::int64_t(std::time(nullptr));
    EXPECT_GT(ahead, 3500);
    EXPECT_LE(ahead, 3600);
    ASSERT_EQ(client.rows(), 1);
    EXPECT_THAT(client.row(0)[0], ::testing::AnyOf(::testing::MatchesRegex("[0-9]{2}:[0-9]{2}:[0-9]{2}"),
                                                   ::testing::Eq("Tomorrow")));
    EXPECT_THAT(machine.workFiles(), ElementsAre("ztp_1.gz", "ztp_1.txt", "ztp_1.ztp"));
    EXPECT_TRUE(client.prompter.calls.empty()) << "no message box for a failed attempt";
    ASSERT_EQ(balloons.size(), 1u) << "but a notification, with the reason and the next attempt";
    EXPECT_THAT(balloons[0], ::testing::StartsWith("Job not delivered: \"Quarterly report\" was not delivered to "
                                                   "nosuchprinter@" + server.address() + ": "));
    EXPECT_THAT(balloons[0], ::testing::ContainsRegex("Next attempt at [0-9]{2}:[0-9]{2}\\.$"));
    EXPECT_FALSE(job.WaitReason.empty());
    EXPECT_EQ(client.form().ListView1->item(0, 1)->toolTip().toStdString(), "Waits: " + job.WaitReason);
    client.form().ListView1->selectRow(0);
    EXPECT_EQ(client.status(), "\"Quarterly report\" waits: " + job.WaitReason);
}

TEST_F(Delivery, TheUserCanSilenceTheNotifications) {
    platform::RegKey::openOrCreate(platform::Hive::CurrentUser, zentcore::kClientKey)->writeDword("Notifications", 0);
    sendThroughTwoPasses("laser");
    EXPECT_EQ(client.rows(), 0);
    EXPECT_TRUE(balloons.empty());
}

}  // namespace
