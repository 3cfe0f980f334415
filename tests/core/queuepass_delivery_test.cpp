// The queue pass against the reference print server: delivered jobs are
// completed, failed ones rescheduled, and an exit in the middle of a
// transmission neither loses a job nor sends it twice.
#include <zentcore/jobfiles.h>
#include <zentcore/jobscan.h>
#include <zentcore/transmission.h>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <thread>

#include "queuepass_fixture.h"
#include "queuepass_gate.h"
#include "resource_limits.h"

namespace {

namespace fs = std::filesystem;
using namespace queuetest;
using testenv::readFile;
using zentcore::TQueuedJob;

std::set<std::string> filesOf(const std::string& base) { return {base + ".gz", base + ".txt", base + ".ztp"}; }

// Local standard time of kNow in a zone five hours west of UTC that keeps
// daylight saving in summer: the delivery date must not follow it.
constexpr const char* kZone = "EST5EDT,M3.2.0,M11.1.0";
constexpr const char* kOkDateOfNow = "2023/07/21 23:26:40";

class Delivery : public QueuePassTest, public ::testing::WithParamInterface<bool> {};

TEST_P(Delivery, AcceptedJobIsCompletedAtTheNextPass) {
    testenv::ScopedEnv zone("TZ", kZone);
    settings.ArchiveDocs = GetParam();
    testenv::ReferenceServer server(serverConfig());
    JobChoice choice;
    choice.session = 501;
    choice.server = server.address();
    choice.serverFlags = 3;
    TQueuedJob& job = handOff(choice);
    const std::string base = job.BaseName;
    ASSERT_TRUE(job.CompressThread) << "the hand-off's job is still to be packed";

    pass.run();
    ASSERT_TRUE(job.Busy);
    EXPECT_TRUE(job.SendThread);
    EXPECT_FALSE(job.CompressThread) << "the packing is joined before the file is sent";
    const std::string packed = readFile(work + "/" + base + ".gz");
    EXPECT_EQ(job.PackedSize, packed.size());
    EXPECT_GT(packed.size(), 0u);

    queue.ListChanged = false;
    ASSERT_TRUE(passUntil([&] { return queue.empty(); })) << server.log();
    EXPECT_TRUE(queue.ListChanged);
    EXPECT_EQ(workFiles(), std::set<std::string>{});

    // The server has exactly the packed file, with the job's numbers, and
    // the delivery was confirmed.
    const auto spooled = spooledJobs(server);
    ASSERT_EQ(spooled, std::vector<std::string>{"job-1-s501"});
    const std::string dir = server.spoolDir() + "/" + spooled[0];
    EXPECT_EQ(readFile(dir + "/job.bin"), packed);
    const auto meta = nlohmann::json::parse(readFile(dir + "/meta.json"));
    EXPECT_EQ(meta["printer"], "laser");
    EXPECT_EQ(meta["path"], work + "/" + base + ".gz");
    EXPECT_EQ(meta["document"], "Report Q1");
    EXPECT_EQ(meta["block"]["pages"], 3);
    EXPECT_EQ(meta["block"]["copies"], 2);
    EXPECT_EQ(meta["block"]["paper_size"], 9);
    EXPECT_EQ(meta["block"]["server_flags"], 3);
    EXPECT_TRUE(server.logShows("job 501 confirmed"));

    if (GetParam()) {
        EXPECT_EQ(savedFiles(), (std::set<std::string>{base + ".txt", base + ".ztp"}));
        EXPECT_EQ(readFile(save + "/" + base + ".ztp"), sourceData(base));
        const std::string text = readFile(save + "/" + base + ".txt");
        EXPECT_NE(text.find(std::string("\r\nOkDate=") + kOkDateOfNow + "\r\n"), std::string::npos) << text;
        EXPECT_NE(text.find("\r\nSessionId=501\r\n"), std::string::npos) << text;
        EXPECT_NE(text.find("\r\nServer=" + server.address() + "\r\n"), std::string::npos) << text;
    } else {
        EXPECT_EQ(savedFiles(), std::set<std::string>{});
    }
}

INSTANTIATE_TEST_SUITE_P(ArchiveDocs, Delivery, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Archived" : "NotArchived"; });

TEST_F(QueuePassTest, FailedTransmissionsAreRetriedAnHourLater) {
    testenv::ReferenceServer server(serverConfig());
    const std::string nobody = "127.0.0.1:" + std::to_string(testenv::freeLocalPort());
    struct Case {
        const char* what;
        const char* printer;
        std::int32_t pages;
        bool serverListens;
        std::int32_t errorCode;
    };
    const Case cases[] = {
        {"unknown printer", "inkjet", 3, true, 902},
        {"printer out of service", "plotter", 3, true, 903},
        {"over the page limit (30 x 2 > 50)", "laser", 30, true, 904},
        {"no server listens", "laser", 3, false, encdec::kErrNoAnswer},
    };
    std::vector<TQueuedJob*> jobs;
    std::int32_t session = 600;
    for (const Case& c : cases) {
        JobChoice choice;
        choice.session = ++session;
        choice.printer = c.printer;
        choice.pages = c.pages;
        choice.server = c.serverListens ? server.address() : nobody;
        jobs.push_back(&handOff(choice));
    }

    pass.run();
    for (TQueuedJob* job : jobs) EXPECT_TRUE(job->Busy) << job->BaseName;
    ASSERT_TRUE(passUntil([&] {
        return std::none_of(jobs.begin(), jobs.end(), [](const TQueuedJob* j) { return j->Busy; });
    })) << server.log();

    ASSERT_EQ(queue.size(), std::size(cases));
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(cases[i].what);
        const TQueuedJob& job = *jobs[i];
        EXPECT_EQ(job.NextAttempt, kNow + 3600);
        EXPECT_TRUE(job.Finished);
        EXPECT_FALSE(job.SendThread);
        EXPECT_EQ(job.Result.ReturnValue, 0);
        EXPECT_EQ(job.Result.ErrorCode, cases[i].errorCode);
        if (cases[i].serverListens) {
            EXPECT_FALSE(job.Result.ErrorMsg.empty());
        }
        EXPECT_TRUE(job.OkDate.empty());
        for (const auto& name : filesOf(job.BaseName)) EXPECT_TRUE(workFiles().count(name)) << name;
    }
    EXPECT_TRUE(spooledJobs(server).empty());
    EXPECT_EQ(savedFiles(), std::set<std::string>{});

    // Nothing is sent again before the hour is up.
    clock.set(kNow + 3599);
    pass.run();
    for (TQueuedJob* job : jobs) EXPECT_FALSE(job->Busy) << job->BaseName;
}

// A job counts as delivered only when the server took it without an error
// and confirmed it: every other outcome keeps the job, with its files, for
// the retry an hour later. Each hostile server plays one way of failing.
TEST_F(QueuePassTest, UnconfirmedOrFlaggedDeliveriesAreRetriedAnHourLater) {
    const struct {
        const char* what;
        const char* commands;
        std::int32_t errorCode;
        const char* errorText;
        bool confirmSent;
    } cases[] = {
        {"CONFIRM answers error 905", R"("CONFIRM": {"error": {"code": 905, "text": "Unknown or missing session"}})",
         905, "Unknown or missing session", true},
        {"CONFIRM closes the connection", R"("CONFIRM": {"silent": true})", encdec::kErrNoAnswer, "no answer", true},
        {"CONFIRM answers NO", R"("CONFIRM": {"answer": "NO"})", encdec::kErrNoAnswer, "answered \"NO\"", true},
        {"PRFILE answers the session with an error code",
         R"("PRFILE": {"answer_error": {"code": 908, "text": "Spool disk full"}})", 908, "Spool disk full", false},
    };
    std::vector<std::unique_ptr<testenv::ReferenceServer>> servers;
    std::vector<TQueuedJob*> jobs;
    for (const auto& c : cases) {
        servers.push_back(
            std::make_unique<testenv::ReferenceServer>(serverConfig(std::string(R"("commands": {)") + c.commands + "}")));
        jobs.push_back(&handOff({.session = 510 + std::int32_t(jobs.size()), .server = servers.back()->address()}));
    }

    pass.run();
    // Looked up in the queue: a job taken as delivered is gone from it.
    ASSERT_TRUE(passUntil([&] {
        for (std::size_t i = 0; i < queue.size(); ++i)
            if (queue.at(i).Busy) return false;
        return true;
    }));
    ASSERT_EQ(queue.size(), std::size(cases)) << "a job was taken as delivered";
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(cases[i].what);
        const TQueuedJob& job = *jobs[i];
        const testenv::ReferenceServer& server = *servers[i];
        EXPECT_EQ(job.NextAttempt, kNow + 3600);
        EXPECT_EQ(job.Result.ReturnValue, 0);
        EXPECT_EQ(job.Result.ErrorCode, cases[i].errorCode);
        EXPECT_NE(job.Result.ErrorMsg.find(cases[i].errorText), std::string::npos) << job.Result.ErrorMsg;
        EXPECT_TRUE(job.OkDate.empty());
        for (const auto& name : filesOf(job.BaseName)) EXPECT_TRUE(workFiles().count(name)) << name;
        ASSERT_TRUE(server.logShows("PRFILE"));
        EXPECT_EQ(spooledJobs(server).size(), 1u) << "the server stored the job it was sent";
        if (cases[i].confirmSent) {
            EXPECT_TRUE(server.logShows("CONFIRM")) << server.log();
        } else {
            EXPECT_EQ(server.log().find("CONFIRM"), std::string::npos) << "a flagged acceptance is not confirmed";
        }
    }
    EXPECT_EQ(savedFiles(), std::set<std::string>{}) << "nothing undelivered is archived";
}

TEST_F(QueuePassTest, RetryCollectsItsOwnResult) {
    testenv::ReferenceServer server(serverConfig());
    JobChoice choice;
    choice.session = 502;
    choice.server = server.address();
    TQueuedJob& job = handOff(choice);
    const std::string base = job.BaseName;

    // The server cannot store jobs for a while: its spool is not a directory.
    const std::string spool = server.spoolDir();
    fs::rename(spool, spool + ".away");
    testenv::writeFile(spool, "");
    pass.run();
    ASSERT_TRUE(job.Busy);
    ASSERT_TRUE(passUntil([&] { return !job.Busy; })) << server.log();
    EXPECT_EQ(job.NextAttempt, kNow + 3600);
    EXPECT_EQ(job.Result.ReturnValue, 0);
    EXPECT_EQ(job.Result.ErrorCode, 908);
    EXPECT_EQ(job.Result.ErrorMsg, "Spool disk full");

    fs::remove(spool);
    fs::rename(spool + ".away", spool);
    clock.set(kNow + 3600);
    pass.run();
    ASSERT_TRUE(job.Busy) << "due again: the retry starts";
    EXPECT_FALSE(job.Finished) << "the earlier failure is not this attempt's result";
    pass.run();
    EXPECT_TRUE(job.Busy) << "the earlier failure must not reschedule the retry";

    settings.ArchiveDocs = true;
    ASSERT_TRUE(passUntil([&] { return queue.empty(); })) << server.log();
    EXPECT_EQ(spooledJobs(server).size(), 1u);
    EXPECT_EQ(workFiles(), std::set<std::string>{});
    EXPECT_TRUE(savedFiles().count(base + ".txt"));
}

// The wizard's own first transmission leaves its outcome in the record
// (Busy, Finished, Result); the pass settles it like one of its own.
TEST_F(QueuePassTest, WizardsTransmissionIsSettledByThePass) {
    struct Case {
        const char* what;
        std::int32_t returnValue;
        bool delivered;
    };
    const Case cases[] = {{"accepted", 503, true}, {"refused", 0, false}, {"another job's number", 7, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        JobChoice sent;
        sent.session = 503;
        sent.server = "127.0.0.1:1";   // never contacted
        TQueuedJob& job = handOff(sent);
        const std::string base = job.BaseName;
        job.CompressThread->WaitFor();
        job.Busy = true;
        job.Finished = true;
        job.Result.ReturnValue = c.returnValue;
        // A new job behind it moves up when the first is completed, and is
        // still looked at in the same pass.
        TQueuedJob& next = handOff(JobChoice{});
        const std::string nextBase = next.BaseName;

        wizard.taken.clear();
        pass.run();
        EXPECT_EQ(wizard.taken, std::vector<std::string>{nextBase});
        if (c.delivered) {
            EXPECT_EQ(queue.size(), 1u);
            EXPECT_FALSE(queue.contains(base));
            EXPECT_EQ(savedFiles(), (std::set<std::string>{base + ".txt", base + ".ztp"}));
            for (const auto& name : filesOf(base)) EXPECT_FALSE(workFiles().count(name)) << name;
        } else {
            EXPECT_EQ(queue.size(), 2u);
            EXPECT_FALSE(job.Busy);
            EXPECT_EQ(job.NextAttempt, kNow + 3600);
            EXPECT_EQ(savedFiles(), std::set<std::string>{});
        }

        // Clean slate for the next case.
        wizard.release();
        while (!queue.empty()) {
            queue.at(0).CompressThread.reset();
            zentcore::DeleteJobFiles(queue.at(0), work);
            queue.remove(&queue.at(0));
        }
        fs::remove_all(save);
    }
}

TEST_F(QueuePassTest, ScheduledJobWaitsForItsTimeAndForTheWizard) {
    testenv::ReferenceServer server(serverConfig());
    JobChoice choice;
    choice.session = 507;
    choice.server = server.address();
    TQueuedJob& later = handOff(choice);
    later.NextAttempt = kNow + 600;
    choice.session = 508;
    TQueuedJob& held = handOff(choice);
    wizard.takeJob(held);

    clock.set(kNow + 599);
    pass.run();
    EXPECT_FALSE(later.Busy);
    EXPECT_FALSE(held.Busy) << "the wizard's job is the wizard's business";

    clock.set(kNow + 600);
    wizard.release();
    pass.run();
    EXPECT_TRUE(later.Busy);
    EXPECT_TRUE(held.Busy);
    EXPECT_EQ(wizard.taken.size(), 1u) << "a job with a session never goes to the wizard";
    ASSERT_TRUE(passUntil([&] { return queue.empty(); })) << server.log();
    EXPECT_EQ(spooledJobs(server).size(), 2u);
}

// The client ends while the server hangs in the middle of the exchange: the
// queue's destruction waits for the transmission, the job's files stay, and
// the next start finds the job with its session and delivers it.
TEST_F(QueuePassTest, JobSurvivesAnExitDuringItsTransmission) {
    testenv::ScopedEnv shortWaits("ZENTROPE_TEST_TIMEOUT_SCALE", "0.001");   // 0.9 s instead of 15 min
    testenv::ReferenceServer server(serverConfig());
    ServerGate gate(server.port());
    JobChoice choice;
    choice.session = 504;
    choice.server = gate.address();
    std::string base;
    {
        zentcore::JobQueue before;
        zentcore::QueuePass beforePass(before, wizard, clock, settings);
        auto job = prepare(choice);
        base = job->BaseName;
        TQueuedJob& record = *job;
        before.append(std::move(job));
        beforePass.run();
        ASSERT_TRUE(record.Busy);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (gate.held() == 0 && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        ASSERT_EQ(gate.held(), 1);
    }   // exit: the record waits for its transmission, which ends unanswered
    EXPECT_EQ(workFiles(), filesOf(base));
    EXPECT_TRUE(spooledJobs(server).empty());

    gate.open();
    zentcore::RescanWorkDir(queue, work, nullptr);
    ASSERT_EQ(queue.size(), 1u);
    TQueuedJob& again = queue.at(0);
    EXPECT_EQ(again.BaseName, base);
    EXPECT_EQ(again.SessionId, 504);
    EXPECT_EQ(again.Server, gate.address());
    EXPECT_EQ(again.Printer, "laser");
    EXPECT_FALSE(again.Busy);
    EXPECT_EQ(again.NextAttempt, 0);
    ASSERT_TRUE(passUntil([&] { return queue.empty(); })) << server.log();
    EXPECT_EQ(spooledJobs(server), std::vector<std::string>{"job-1-s504"});
    EXPECT_EQ(workFiles(), std::set<std::string>{});
}

// The client ends while a slow server is about to accept a job: the exit
// completes the delivered job instead of leaving it to be sent again (and
// printed and charged twice) after the next start; a refused one stays.
TEST_F(QueuePassTest, ExitCompletesTransmissionsTheServerAccepts) {
    testenv::ReferenceServer server(serverConfig(R"("commands": {"PRFILE": {"delay_ms": 600}})"));
    JobChoice choice;
    choice.session = 505;
    choice.server = server.address();
    std::string deliveredBase, refusedBase;
    {
        zentcore::JobQueue before;
        zentcore::QueuePass beforePass(before, wizard, clock, settings);
        auto delivered = prepare(choice);
        deliveredBase = delivered->BaseName;
        before.append(std::move(delivered));
        choice.session = 506;
        choice.printer = "plotter";
        auto refused = prepare(choice);
        refusedBase = refused->BaseName;
        before.append(std::move(refused));
        beforePass.run();
        ASSERT_TRUE(before.at(0).Busy && before.at(1).Busy);
        ASSERT_FALSE(before.at(0).SendThread->Finished.load()) << "the server is still thinking";

        beforePass.finishTransmissions();
        ASSERT_EQ(before.size(), 1u);
        EXPECT_EQ(before.at(0).BaseName, refusedBase);
        EXPECT_FALSE(beforePass.TimerBusy);
    }
    EXPECT_EQ(workFiles(), filesOf(refusedBase));
    EXPECT_EQ(savedFiles(), (std::set<std::string>{deliveredBase + ".txt", deliveredBase + ".ztp"}));
    EXPECT_EQ(spooledJobs(server), std::vector<std::string>{"job-1-s505"});

    zentcore::RescanWorkDir(queue, work, nullptr);
    ASSERT_EQ(queue.size(), 1u);
    EXPECT_EQ(queue.at(0).BaseName, refusedBase);
}

// Where the system cannot start the send thread, the job is not left
// "Sending" for ever: it waits ten minutes and is tried again. The pass runs
// in a child that may not start another thread.
TEST_F(QueuePassTest, ASendThatCannotStartIsTriedAgainInTenMinutes) {
    testenv::ReferenceServer server(serverConfig());
    TQueuedJob& job = handOff({.session = 700, .server = server.address()});
    // The child has only its own thread: the packing must be over before.
    zentcore::FinishCompression(job, settings.FirstTempDir);

    const int status = testenv::inChildWithoutThreads([&] {
        pass.run();
        if (job.Busy || job.SendThread) return 1;
        return job.NextAttempt == kNow + 600 ? 0 : 2;
    });
    ASSERT_NE(status, testenv::kNoThreadLimit) << "cannot drop privileges or limit threads";
    EXPECT_EQ(status, 0) << "1: left sending, 2: wrong retry time";
}

}  // namespace
