// zentctl print killed with SIGKILL in the middle of its exchange: its
// working directory outlives it only until the next run, and a run still
// going never loses its own.
#include "reference_server.h"
#include "server_process.h"
#include "test_env.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <thread>

#include <gtest/gtest.h>

extern char** environ;

namespace {

namespace fs = std::filesystem;

// zentctl print running in the background, its output thrown away.
class BackgroundPrint {
public:
    explicit BackgroundPrint(const std::vector<std::string>& args) {
        std::vector<std::string> argv{testenv::zentctlPath(), "print"};
        argv.insert(argv.end(), args.begin(), args.end());
        std::vector<char*> pointers;
        for (auto& a : argv) pointers.push_back(a.data());
        pointers.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        if (posix_spawn(&pid_, pointers[0], &actions, nullptr, pointers.data(), environ) != 0) pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        EXPECT_GT(pid_, 0) << "cannot start " << argv[0];
    }
    ~BackgroundPrint() { killHard(); }
    void killHard() {
        if (pid_ <= 0) return;
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }

private:
    pid_t pid_ = -1;
};

std::vector<fs::path> workingDirectories(const std::string& dir) {
    std::vector<fs::path> found;
    for (const auto& e : fs::directory_iterator(dir))
        if (e.path().filename().string().rfind("zentprint-", 0) == 0) found.push_back(e.path());
    return found;
}

bool within20s(const std::function<bool()>& condition) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

TEST(ZentctlPrintLeftovers, AKilledRunsDirectoryIsSweptByTheNextRunAndALiveRunsNever) {
    testenv::IsolatedMachine machine;
    const char printers[] = R"("printers": [{"name": "open", "description": {"PRPAGE": 9}}])";
    // This one holds its answer to PRFILE back: a run sending there stays
    // in the middle of its exchange, its job in its working directory.
    testenv::ReferenceServer holding(std::string(R"({"commands": {"PRFILE": {"delay_ms": 60000}}, )") + printers + "}");
    testenv::ReferenceServer answering(std::string("{") + printers + "}");
    const std::string source = machine.dir().file("report.ps");
    testenv::writeFile(source, "%!PS-Adobe-3.0\n" + std::string(200000, '%') + "\nshowpage\n");
    const std::string tmp = machine.dir().file("tmp");

    BackgroundPrint stuck({source, "open@" + holding.address()});
    ASSERT_TRUE(within20s([&] { return !servertest::spooledJobs(holding.spoolDir()).empty(); }))
        << "the job never reached the server";
    const auto dirs = workingDirectories(tmp);
    ASSERT_EQ(dirs.size(), 1u);
    const fs::path stuckDir = dirs[0];

    const auto alongside = testenv::zentctl({"print", source, "open@" + answering.address()});
    EXPECT_EQ(alongside.exitCode, 0) << alongside.err;
    EXPECT_TRUE(fs::exists(stuckDir)) << "a run alongside swept the directory of one still going";

    stuck.killHard();
    ASSERT_TRUE(fs::exists(stuckDir));
    const auto next = testenv::zentctl({"print", source, "open@" + answering.address()});
    EXPECT_EQ(next.exitCode, 0) << next.err;
    EXPECT_FALSE(fs::exists(stuckDir)) << "the killed run's directory is still there";
    EXPECT_TRUE(workingDirectories(tmp).empty());
    EXPECT_TRUE(fs::is_directory(holding.dir().path())) << "other directories in the temporary directory stay";
    EXPECT_TRUE(fs::is_directory(answering.dir().path()));
}

}  // namespace
