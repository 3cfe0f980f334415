#include <zplatform/childprocess.h>

#include "test_env.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>

#include <cerrno>
#include <chrono>
#include <thread>

namespace {

TEST(ChildProcess, RunsQuietlyAndReportsItsEnd) {
    testenv::TempDir dir;
    platform::ChildProcess child;
    // Output goes nowhere: the test's own stdout stays clean, and a program
    // that reads its input sees end of file at once.
    ASSERT_EQ(child.start({"/bin/sh", "-c", "echo noise; echo more >&2; cat; exit 4"}), 0);
    EXPECT_EQ(child.wait(), 0);
    EXPECT_EQ(child.exitCode(), 4);
    EXPECT_EQ(child.wait(), ECHILD) << "a reaped child is not waited for twice";

    platform::ChildProcess missing;
    EXPECT_EQ(missing.start({dir.file("no-such-program")}), ENOENT);
    EXPECT_EQ(missing.start({}), EINVAL);
    missing.terminate();   // never started: nothing to end
}

TEST(ChildProcess, TerminateFromAnotherThreadEndsTheWait) {
    platform::ChildProcess child;
    ASSERT_EQ(child.start({"sleep", "30"}), 0);
    const auto t0 = std::chrono::steady_clock::now();
    std::thread stopper([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        child.terminate();
    });
    EXPECT_EQ(child.wait(), 0);
    stopper.join();
    EXPECT_EQ(child.exitCode(), 128 + SIGTERM);
    EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(10));
    child.terminate();   // after the end: no signal reaches a recycled id
}

TEST(ChildProcess, DestructorEndsAndReapsARunningChild) {
    pid_t pid = -1;
    {
        platform::ChildProcess child;
        ASSERT_EQ(child.start({"sleep", "30"}), 0);
        // The child is ours: its id is visible as our only child.
        pid = ::waitpid(-1, nullptr, WNOHANG);
        EXPECT_EQ(pid, 0) << "still running";
    }
    EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1) << "no child left, not even a zombie";
    EXPECT_EQ(errno, ECHILD);
}

}  // namespace
