// zentctl submit: hands a file off as a print job from the command line.
#include "test_env.h"

#include <zentcore/joblistener.h>
#include <zplatform/registry.h>
#include <zplatform/system.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <set>
#include <thread>

namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;


class ZentctlSubmit : public ::testing::Test {
protected:
    ZentctlSubmit() : jobs(machine.dir().file("jobs")), source(machine.dir().file("letter.ps")) {
        fs::create_directories(jobs);
        auto key = platform::RegKey::openOrCreate(platform::Hive::LocalMachine, "SOFTWARE\\ORLO Vestra\\Zentrope Client");
        EXPECT_TRUE(key && key->writeString("FirstTempDir", jobs));
        testenv::writeFile(source, "%!PS-Adobe-3.0\nshowpage\n");
    }
    std::string job(const std::string& name) const { return jobs + "/" + name; }

    testenv::IsolatedMachine machine;
    std::string jobs, source;
};

TEST_F(ZentctlSubmit, WritesTheJobWithTheGivenFieldsAndNotesThatNoClientWasTold) {
    const auto r = testenv::zentctl({"submit", source, "--doc", "Letter to Bob", "--pages", "3", "--copies",
                                 "-1", "--papersize", "9", "--orientation", "Portrait", "--color", "2", "--width",
                                 "2100", "--length", "2970", "--quality", "600", "--scale", "90", "--media", "4"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "ztp_1\n");
    EXPECT_THAT(r.err, HasSubstr("EnumWindows() failed"));
    EXPECT_EQ(testenv::readFile(job("ztp_1.ztp")), testenv::readFile(source));
    const std::string text = testenv::readFile(job("ztp_1.txt"));
    EXPECT_THAT(text, ::testing::StartsWith("DocName=Letter to Bob\r\nPapersize=9\r\nOrientation=Portrait\r\nPages=3\r\n"
                                            "Copies=-1\r\nUserName=" + platform::userName() + "\r\nSubmited="));
    EXPECT_THAT(text, ::testing::EndsWith("\r\nPaperWidth=2100\r\nPaperLength=2970\r\nPrintQuality=600\r\nColor=2\r\n"
                                          "Scale=90\r\nMediaType=4\r\n"));

    // Defaults: the file's own name and the given user.
    const auto d = testenv::zentctl({"submit", source, "--user", "anna"});
    ASSERT_EQ(d.exitCode, 0) << d.err;
    EXPECT_EQ(d.out, "ztp_2\n");
    EXPECT_THAT(testenv::readFile(job("ztp_2.txt")), HasSubstr("DocName=letter.ps\r\nPapersize=0\r\nOrientation=\r\n"
                                                               "Pages=0\r\nCopies=1\r\nUserName=anna\r\n"));
}

TEST_F(ZentctlSubmit, FailuresExitNonZeroWithTheReasonAndWriteNothing) {
    const struct {
        std::vector<std::string> args;
        int exitCode;
        const char* text;
    } cases[] = {
        {{"submit", machine.dir().file("missing.ps")}, 1, "Failed to read-open file"},
        {{"submit"}, 2, "needs a file"},
        {{"submit", source, source}, 2, "takes one file"},
        {{"submit", source, "--pages"}, 2, "--pages needs a value"},
        {{"submit", source, "--copies", "two"}, 2, "needs a whole number, not 'two'"},
        {{"submit", source, "--scale", "99999999999"}, 2, "needs a whole number"},
        {{"submit", source, "--colour", "1"}, 2, "unknown option --colour"},
    };
    for (const auto& c : cases) {
        const auto r = testenv::zentctl(c.args);
        EXPECT_EQ(r.exitCode, c.exitCode) << r.err;
        EXPECT_THAT(r.err, HasSubstr(c.text));
        EXPECT_EQ(r.out, "");
    }
    fs::remove(machine.machineHive());
    const auto r = testenv::zentctl({"submit", source});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_THAT(r.err, HasSubstr("TRegistry->OpenKeyReadOnly() failed"));
    EXPECT_TRUE(fs::is_empty(jobs));
}

TEST_F(ZentctlSubmit, ParallelSubmissionsAllLandUnderDistinctNumbersAndReachTheClient) {
    std::mutex mutex;
    std::condition_variable arrived;
    std::set<std::string> announced;
    zentcore::JobListener listener([&](const std::string& name) {
        std::lock_guard lock(mutex);
        announced.insert(name);
        arrived.notify_all();
    });
    ASSERT_TRUE(listener.listening());

    constexpr int kJobs = 16;
    std::vector<testenv::ProcessResult> results(kJobs);
    std::vector<std::thread> threads;
    for (int i = 0; i < kJobs; ++i) {
        const std::string file = machine.dir().file("job" + std::to_string(i) + ".ps");
        testenv::writeFile(file, "%!PS job " + std::to_string(i) + "\n");
        threads.emplace_back([&, i, file] { results[i] = testenv::zentctl({"submit", file}); });
    }
    for (auto& t : threads) t.join();

    std::set<std::string> names;
    for (int i = 0; i < kJobs; ++i) {
        ASSERT_EQ(results[i].exitCode, 0) << results[i].err;
        EXPECT_EQ(results[i].err, "");   // every one was told to the client
        const std::string base = results[i].out.substr(0, results[i].out.size() - 1);
        names.insert(base + ".ztp");
        EXPECT_EQ(testenv::readFile(job(base + ".ztp")), "%!PS job " + std::to_string(i) + "\n");
        EXPECT_THAT(testenv::readFile(job(base + ".txt")), ::testing::StartsWith("DocName=job" + std::to_string(i) + ".ps\r\n"));
    }
    EXPECT_EQ(names.size(), size_t(kJobs));
    for (int n = 1; n <= kJobs; ++n) EXPECT_EQ(names.count("ztp_" + std::to_string(n) + ".ztp"), 1u);
    std::unique_lock lock(mutex);
    arrived.wait_for(lock, std::chrono::seconds(5), [&] { return announced.size() >= size_t(kJobs); });
    EXPECT_EQ(announced, names);
}

}  // namespace
