#include "queuepass_fixture.h"

#include "sample_jobs.h"

#include <zcodec/handoff.h>
#include <zentcore/jobfiles.h>
#include <zplatform/registry.h>

#include <algorithm>
#include <filesystem>
#include <thread>

namespace queuetest {

namespace fs = std::filesystem;

std::string serverConfig(const std::string& extraMembers) {
    return R"({"first_session": 500,
  "errors": {"storage_failed": {"code": 908, "text": "Spool disk full"}},
  "printers": [
    {"name": "laser", "description": {"MAXPAGES": 50}},
    {"name": "plotter", "description": {"AVAILABLE": false}}
  ])" + (extraMembers.empty() ? std::string() : ",\n  " + extraMembers) +
           "\n}\n";
}

QueuePassTest::QueuePassTest() : work(machine.dir().file("jobs")), save(machine.dir().file("save")) {
    fs::create_directories(work);
    auto key = platform::RegKey::openOrCreate(platform::Hive::LocalMachine, zentcore::kClientKey);
    if (!key || !key->writeString("FirstTempDir", work)) throw std::runtime_error("cannot set the working directory");
    settings.FirstTempDir = work;
    settings.UserSaveDir = save;
    settings.UserName = "anna";
    settings.ArchiveDocs = true;
}

std::unique_ptr<zentcore::TQueuedJob> QueuePassTest::prepare(const JobChoice& choice) {
    // Every job's data differs, so a job sent in another's place shows.
    const std::string data = testenv::postScriptOfSize(choice.dataBytes, unsigned(sources_.size()) + 1);
    const std::string source = machine.dir().file("spooled-" + std::to_string(sources_.size()) + ".ps");
    testenv::writeFile(source, data);

    encdec::ZTP_JOBDATA jd;
    jd.DocName = choice.docName;
    jd.UserName = "anna";
    jd.Orientation = "Portrait";
    jd.Pages = choice.pages;
    jd.Copies = choice.copies;
    jd.Papersize = choice.papersize;
    std::string error, base;
    if (!encdec::SubmitFileToNetClient(source, &jd, error, base)) throw std::runtime_error("hand-off: " + error);
    sources_.emplace_back(base, data);

    auto job = std::make_unique<zentcore::TQueuedJob>();
    job->BaseName = base;
    if (!zentcore::ReadJobDescription(*job, work, -1, true)) throw std::runtime_error("cannot read " + base);
    job->SessionId = choice.session;
    job->Printer = choice.printer;
    job->Server = choice.server;
    job->ServerFlags = choice.serverFlags;
    if (choice.session != 0) zentcore::WriteJobDescription(*job, work);
    return job;
}

zentcore::TQueuedJob& QueuePassTest::handOff(const JobChoice& choice) {
    auto job = prepare(choice);
    zentcore::TQueuedJob& record = *job;
    if (!queue.append(std::move(job))) throw std::runtime_error("cannot queue " + record.BaseName);
    return record;
}

std::string QueuePassTest::sourceData(const std::string& baseName) const {
    for (const auto& [base, data] : sources_)
        if (base == baseName) return data;
    return {};
}

bool QueuePassTest::passUntil(const std::function<bool()>& done, std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;) {
        pass.run();
        if (done()) return true;
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

std::set<std::string> QueuePassTest::filesIn(const std::string& dir) {
    std::set<std::string> names;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(dir, ec)) names.insert(e.path().filename().string());
    return names;
}

std::vector<std::string> spooledJobs(const testenv::ReferenceServer& server) {
    std::vector<std::string> jobs;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(server.spoolDir(), ec)) {
        const std::string name = e.path().filename().string();
        if (name.rfind("job-", 0) == 0) jobs.push_back(name);
    }
    std::sort(jobs.begin(), jobs.end());
    return jobs;
}

}  // namespace queuetest
