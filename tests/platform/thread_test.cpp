#include <zplatform/thread.h>

#include <gtest/gtest.h>

#include "wait.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <stdexcept>
#include <thread>
#include <vector>

using namespace std::chrono_literals;

namespace {

using Clock = std::chrono::steady_clock;

// A thread whose body is a function; it stops its body before its own members go.
class FunctionThread : public platform::Thread {
public:
    FunctionThread(bool suspended, std::function<void(FunctionThread&)> body)
        : Thread(suspended), body_(std::move(body)) {
        afterConstruction();
    }
    ~FunctionThread() override {
        terminate();
        waitFor();
    }

protected:
    void execute() override { body_(*this); }

private:
    std::function<void(FunctionThread&)> body_;
};

// Has no destructor of its own: only the base destructor stands between the
// running body and the freed object.
class PollingThread : public platform::Thread {
public:
    explicit PollingThread(std::atomic<int>& phase) : Thread(false), phase_(phase) { afterConstruction(); }

protected:
    void execute() override {
        std::atomic<int>& phase = phase_;
        phase = 1;
        while (!terminated()) std::this_thread::sleep_for(1ms);
        std::this_thread::sleep_for(20ms);   // still busy when the owner starts destroying
        phase = 2;
    }

private:
    std::atomic<int>& phase_;
};

// Frees its own object from the body, then carries on without touching it.
class SelfDeletingThread : public platform::Thread {
public:
    SelfDeletingThread(std::atomic<bool>& done, std::atomic<bool>& selfWaitOk)
        : Thread(true), done_(done), selfWaitOk_(selfWaitOk) {}

protected:
    void execute() override {
        // A body cannot wait for itself: both waits return at once, not ended.
        const auto start = Clock::now();
        waitFor();
        selfWaitOk_ = !waitFor(10'000) && Clock::now() - start < 5s;
        std::atomic<bool>& done = done_;
        delete this;
        std::this_thread::sleep_for(10ms);
        done = true;
    }

private:
    std::atomic<bool>& done_;
    std::atomic<bool>& selfWaitOk_;
};

}  // namespace

TEST(Thread, SuspendedThreadStartsOnResumeAndRunsItsBodyOnce) {
    std::atomic<int> runs{0};
    FunctionThread thread(true, [&](FunctionThread&) { ++runs; });
    std::this_thread::sleep_for(20ms);
    EXPECT_EQ(runs, 0);
    EXPECT_FALSE(thread.running());
    thread.waitFor();                       // never started: nothing to wait for
    EXPECT_FALSE(thread.waitFor(10));       // but the body has not ended either

    thread.resume();
    thread.waitFor();
    EXPECT_EQ(runs, 1);
    thread.resume();                        // no effect once started
    thread.waitFor();
    EXPECT_EQ(runs, 1);
    EXPECT_FALSE(thread.running());
    EXPECT_FALSE(thread.fatalException());
}

TEST(Thread, RunningThreadStartsWhenConstructed) {
    std::atomic<int> runs{0};
    FunctionThread thread(false, [&](FunctionThread&) { ++runs; });
    EXPECT_TRUE(thread.waitFor(5000));
    EXPECT_EQ(runs, 1);
}

TEST(Thread, PollingBodyObservesTerminate) {
    std::atomic<int> rounds{0};
    FunctionThread thread(false, [&](FunctionThread& self) {
        while (!self.terminated()) {
            ++rounds;
            std::this_thread::sleep_for(1ms);
        }
    });
    ASSERT_TRUE(testenv::waitUntil([&] { return rounds > 3; }));
    EXPECT_TRUE(thread.running());
    EXPECT_FALSE(thread.terminated());
    thread.terminate();
    EXPECT_TRUE(thread.terminated());
    EXPECT_TRUE(thread.waitFor(5000));
    EXPECT_FALSE(thread.running());
}

TEST(Thread, WaitForGivesUpAfterTheTimeButLaterSeesTheEnd) {
    FunctionThread thread(false, [](FunctionThread& self) {
        while (!self.terminated()) std::this_thread::sleep_for(1ms);
    });
    const auto start = Clock::now();
    EXPECT_FALSE(thread.waitFor(50));
    EXPECT_GE(Clock::now() - start, 50ms);
    thread.terminate();
    EXPECT_TRUE(thread.waitFor(5000));
}

TEST(Thread, DestructorTerminatesAndWaitsForTheRunningBody) {
    std::atomic<int> phase{0};
    auto thread = std::make_unique<PollingThread>(phase);
    ASSERT_TRUE(testenv::waitUntil([&] { return phase == 1; }));
    thread.reset();   // a body outliving its object shows up under AddressSanitizer
    EXPECT_EQ(phase, 2);
}

TEST(Thread, DestroyingANeverStartedThreadNeverRunsItsBody) {
    std::atomic<int> runs{0};
    {
        FunctionThread thread(true, [&](FunctionThread&) { ++runs; });
    }
    EXPECT_EQ(runs, 0);
}

TEST(Thread, ExceptionEscapingTheBodyEndsTheThreadOnly) {
    const std::vector<std::function<void()>> throwers = {
        [] { throw std::runtime_error("disk gone"); },
        [] { throw 42; },
    };
    for (const auto& thrower : throwers) {
        FunctionThread thread(false, [&](FunctionThread&) { thrower(); });
        ASSERT_TRUE(thread.waitFor(5000));
        EXPECT_FALSE(thread.running());
        EXPECT_TRUE(thread.fatalException());
    }
    FunctionThread thread(false, [](FunctionThread&) { throw std::runtime_error("disk gone"); });
    thread.waitFor();
    try {
        std::rethrow_exception(thread.fatalException());
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "disk gone");
    }
}

TEST(Thread, BodyMayDestroyItsOwnObjectWithoutDeadlock) {
    // Twice, so the second hand-over also joins the first thread.
    for (int i = 0; i < 2; ++i) {
        std::atomic<bool> done{false}, selfWaitOk{false};
        (new SelfDeletingThread(done, selfWaitOk))->resume();
        ASSERT_TRUE(testenv::waitUntil([&] { return done.load(); }));
        EXPECT_TRUE(selfWaitOk);
    }
}

TEST(Thread, ConcurrentResumeRunsOnceAndReleasesEveryWaiter) {
    std::atomic<int> runs{0};
    std::atomic<bool> release{false};
    FunctionThread thread(true, [&](FunctionThread&) {
        ++runs;
        while (!release) std::this_thread::sleep_for(1ms);
    });
    std::atomic<int> released{0};
    std::vector<std::thread> callers;
    for (int i = 0; i < 6; ++i) {
        callers.emplace_back([&] {
            thread.resume();
            if (thread.waitFor(10'000)) ++released;
        });
    }
    ASSERT_TRUE(testenv::waitUntil([&] { return runs == 1; }));
    release = true;
    for (auto& c : callers) c.join();
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(released, 6);
}
