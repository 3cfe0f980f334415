#include <orlo/orlofunction.h>

#include "test_env.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <set>
#include <thread>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::string tmpDir() { return std::getenv("TMPDIR"); }

// The file exists, is empty and sits directly in dir as "<digits>.<ext>".
void expectFreshFile(const std::string& path, const std::string& dir, const std::string& ext) {
    const fs::path p(path);
    EXPECT_EQ(p.parent_path(), fs::path(dir)) << path;
    EXPECT_EQ(p.extension().string(), "." + ext) << path;
    const std::string stem = p.stem().string();
    EXPECT_FALSE(stem.empty());
    EXPECT_EQ(stem.find_first_not_of("0123456789"), std::string::npos) << path;
    ASSERT_TRUE(fs::is_regular_file(p)) << path;
    EXPECT_EQ(fs::file_size(p), 0u) << path;
}

TEST(TempFiles, ExtensionIsCutToThreeCharacters) {
    testenv::IsolatedMachine machine;
    const struct {
        std::string given, used;
    } cases[] = {{"html", "htm"}, {"gz", "gz"}, {"jpeg", "jpe"}};
    for (const auto& c : cases) expectFreshFile(TOrloFunction::AnsiTempFileName(c.given), tmpDir(), c.used);
}

TEST(TempFiles, MissingTempDirectoryIsCreated) {
    testenv::IsolatedMachine machine;
    const std::string dir = machine.dir().file("tmp/not/yet");
    testenv::ScopedEnv tmp("TMPDIR", dir + "/");  // a trailing slash is not doubled
    expectFreshFile(TOrloFunction::AnsiTempFileName("txt"), dir, "txt");
}

TEST(TempFiles, ThreadsNeverShareAName) {
    testenv::IsolatedMachine machine;
    constexpr int threads = 8, perThread = 64;
    std::vector<std::vector<std::string>> made(threads);
    std::vector<std::thread> workers;
    for (int t = 0; t < threads; ++t)
        workers.emplace_back([&made, t] {
            for (int i = 0; i < perThread; ++i) made[t].push_back(TOrloFunction::AnsiTempFileName("tmp"));
        });
    for (auto& w : workers) w.join();
    std::set<std::string> unique;
    for (const auto& list : made)
        for (const auto& path : list) {
            expectFreshFile(path, tmpDir(), "tmp");
            unique.insert(path);
        }
    EXPECT_EQ(unique.size(), size_t(threads * perThread));
}

long long nowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

std::string counterName(long long counter, const std::string& ext) {
    return tmpDir() + "/" + std::to_string(counter % 100000000) + "." + ext;
}

TEST(TempFiles, ExistingFilesAreSkippedAndKept) {
    testenv::IsolatedMachine machine;
    // Occupy the names of a window a moment ahead, wait until the clock is
    // inside it, and the counter must walk past every taken name. A busy
    // machine that oversleeps the window tries a later one.
    constexpr long long lead = 1000, width = 600;
    for (int attempt = 0; attempt < 5; ++attempt) {
        const long long start = nowMs() + lead;
        for (long long c = start; c < start + width; ++c) testenv::writeFile(counterName(c, "dat"), "keep");
        while (nowMs() < start + 10) std::this_thread::sleep_for(std::chrono::milliseconds(5));
        if (nowMs() > start + width / 2) continue;
        const std::string path = TOrloFunction::AnsiTempFileName("dat");
        EXPECT_EQ(path, counterName(start + width, "dat"));
        expectFreshFile(path, tmpDir(), "dat");
        for (long long c = start; c < start + width; ++c) ASSERT_EQ(testenv::readFile(counterName(c, "dat")), "keep");
        return;
    }
    FAIL() << "the clock never stayed inside the prepared window";
}

TEST(TempFiles, UncreatableNameFailsWithErrnoInsteadOfLooping) {
    testenv::IsolatedMachine machine;
    errno = 0;
    EXPECT_EQ(TOrloFunction::AnsiTempFileName("a/b"), "");
    EXPECT_EQ(errno, ENOENT);
    EXPECT_EQ(TOrloFunction::TempFileName("a/b"), nullptr);
    EXPECT_TRUE(fs::is_empty(tmpDir()));
}

TEST(TempFiles, TempFileNameReturnsAnOwnedCopy) {
    testenv::IsolatedMachine machine;
    std::unique_ptr<char[]> path(TOrloFunction::TempFileName("html"));
    ASSERT_NE(path, nullptr);
    expectFreshFile(path.get(), tmpDir(), "htm");

    std::unique_ptr<char[]> bare(TOrloFunction::TempFileName(nullptr));  // no extension
    ASSERT_NE(bare, nullptr);
    EXPECT_TRUE(fs::is_regular_file(bare.get()));
    EXPECT_EQ(std::string(bare.get()).back(), '.');
}

}  // namespace
