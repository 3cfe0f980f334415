// What the queue pass tests share: a brand-new machine whose client works in
// <tmp>/jobs and archives into <tmp>/save, a wizard and a clock the test
// drives, jobs made by the real hand-off, and a bounded wait that keeps the
// pass running the way the client's timer does.
#pragma once

#include <zentcore/jobqueue.h>
#include <zentcore/queuepass.h>
#include <zentcore/settings.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "queue_doubles.h"
#include "reference_server.h"
#include "test_env.h"

namespace queuetest {

constexpr std::int64_t kNow = testenv::kSummerNow;

// A print server with a printer that takes jobs of up to 50 pages and one
// that is out of service.
std::string serverConfig(const std::string& extraMembers = {});

// What the wizard decided for a job before its transmission.
struct JobChoice {
    std::string docName = "Report Q1";
    std::int32_t pages = 3;
    std::int32_t copies = 2;
    std::int32_t papersize = 9;
    std::int32_t session = 0;      // 0: the user has not decided yet
    std::string printer = "laser";
    std::string server;            // request address of the server
    std::uint16_t serverFlags = 0;
    std::size_t dataBytes = 20000; // size of the PostScript data
};

class QueuePassTest : public ::testing::Test {
protected:
    QueuePassTest();

    // Hands a job off as the port monitor does, reads it into a record (which
    // starts its compression), applies the choice and, for a job with a
    // session, writes the description as the wizard does.
    std::unique_ptr<zentcore::TQueuedJob> prepare(const JobChoice& choice);
    // The same, queued; returns the queued record.
    zentcore::TQueuedJob& handOff(const JobChoice& choice);
    // The data the hand-off was given for the job with this base name.
    std::string sourceData(const std::string& baseName) const;

    // Runs the pass every few milliseconds until done() holds; false when it
    // does not within the limit.
    bool passUntil(const std::function<bool()>& done, std::chrono::milliseconds limit = std::chrono::seconds(20));

    std::set<std::string> workFiles() const { return filesIn(work); }
    std::set<std::string> savedFiles() const { return filesIn(save); }
    static std::set<std::string> filesIn(const std::string& dir);

    testenv::IsolatedMachine machine;
    std::string work, save;
    zentcore::ClientSettings settings;
    testenv::ScriptedWizard wizard;
    testenv::ManualClock clock{kNow};
    zentcore::JobQueue queue;
    zentcore::QueuePass pass{queue, wizard, clock, settings};

private:
    std::vector<std::pair<std::string, std::string>> sources_;   // base name, data
};

// The jobs a reference server has accepted: spool directory names, sorted.
std::vector<std::string> spooledJobs(const testenv::ReferenceServer& server);

}  // namespace queuetest
