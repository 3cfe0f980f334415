// The switchable debug log, against real settings and log files.
#include <zcodec/utilities.h>

#include <zplatform/registry.h>

#include "test_env.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <sstream>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;
using platform::Hive;
using platform::RegKey;

void setMachineValue(const std::string& name, const std::string& value) {
    auto key = RegKey::openOrCreate(Hive::LocalMachine, "SOFTWARE\\ORLO Vestra");
    ASSERT_TRUE(key);
    ASSERT_TRUE(key->writeString(name, value));
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> result;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) result.push_back(line);
    return result;
}

const std::regex kLine(R"((\d{4})-(\d\d)-(\d\d) (\d\d):(\d\d):(\d\d),(\d{3}) (.*))");

TEST(UtilDlog, MissingSwitchWritesNothingAndCreatesNothing) {
    testenv::IsolatedMachine machine;
    std::string dir = machine.dir().file("logs");
    encdec::dlog(dir + "/debug.log", "hello");
    EXPECT_FALSE(fs::exists(dir));
}

TEST(UtilDlog, SwitchValuesDecideWhetherToLog) {
    const struct {
        std::string value;
        bool logs;
    } cases[] = {{"1", true}, {" 7 ", true}, {"-1", true}, {"0", false}, {"", false}, {"yes", false}};
    for (const auto& c : cases) {
        testenv::IsolatedMachine machine;
        setMachineValue("DebugBackDll", c.value);
        std::string file = machine.dir().file("debug.log");
        encdec::dlog(file, "hello");
        EXPECT_EQ(fs::exists(file), c.logs) << "DebugBackDll '" << c.value << "'";
    }
}

TEST(UtilDlog, WritesOneTimeStampedLineInUtcAndCreatesTheDirectory) {
    testenv::IsolatedMachine machine;
    setMachineValue("DebugBackDll", "1");
    std::string file = machine.dir().file("state/zentrope/debug.log");
    // time() reads the coarse clock, which may lag the one the log uses.
    auto now = [] {
        timespec ts{};
        clock_gettime(CLOCK_REALTIME, &ts);
        return ts.tv_sec;
    };
    std::time_t before = now();
    encdec::dlog(file, "first message");
    encdec::dlog(file, "second");
    std::time_t after = now();

    auto written = lines(testenv::readFile(file));
    ASSERT_EQ(written.size(), 2u);
    std::smatch m;
    ASSERT_TRUE(std::regex_match(written[0], m, kLine)) << written[0];
    EXPECT_EQ(m[8], "first message");
    std::tm stamp{};
    stamp.tm_year = std::stoi(m[1]) - 1900;
    stamp.tm_mon = std::stoi(m[2]) - 1;
    stamp.tm_mday = std::stoi(m[3]);
    stamp.tm_hour = std::stoi(m[4]);
    stamp.tm_min = std::stoi(m[5]);
    stamp.tm_sec = std::stoi(m[6]);
    std::time_t logged = timegm(&stamp);
    EXPECT_GE(logged, before);
    EXPECT_LE(logged, after);
    EXPECT_TRUE(std::regex_match(written[1], m, kLine));
    EXPECT_EQ(m[8], "second");
}

TEST(UtilDlog, TheFirstDecisionHoldsForTheProcess) {
    testenv::IsolatedMachine machine;
    std::string file = machine.dir().file("debug.log");
    encdec::dlog(file, "before");
    setMachineValue("DebugBackDll", "1");
    encdec::dlog(file, "after switching on");
    EXPECT_FALSE(fs::exists(file));
}

TEST(UtilDlog, SuffixNamesAnotherSwitch) {
    testenv::IsolatedMachine machine;
    setMachineValue("DebugBackDllPort", "1");
    std::string plain = machine.dir().file("plain.log"), port = machine.dir().file("port.log");
    encdec::dlog(plain, "x");
    encdec::dlog(port, "y", "Port");
    EXPECT_FALSE(fs::exists(plain));
    EXPECT_EQ(lines(testenv::readFile(port)).size(), 1u);
}

TEST(UtilDlog, ConcurrentWritersNeverInterleaveWithinALine) {
    testenv::IsolatedMachine machine;
    setMachineValue("DebugBackDll", "1");
    std::string file = machine.dir().file("debug.log");
    constexpr int kThreads = 8, kLines = 200;
    const std::string payload(300, 'x');
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([&, t] {
            for (int i = 0; i < kLines; ++i) encdec::dlog(file, "t" + std::to_string(t) + " " + payload);
        });
    for (auto& t : threads) t.join();

    auto written = lines(testenv::readFile(file));
    ASSERT_EQ(written.size(), size_t(kThreads * kLines));
    std::vector<int> perThread(kThreads);
    for (const auto& line : written) {
        std::smatch m;
        ASSERT_TRUE(std::regex_match(line, m, kLine)) << line;
        std::string message = m[8];
        ASSERT_EQ(message.substr(message.find(' ') + 1), payload);
        ++perThread[std::stoi(message.substr(1))];
    }
    for (int count : perThread) EXPECT_EQ(count, kLines);
}

TEST(UtilDlog, ClientThreadLogFileFollowsTheStateDirectory) {
    {
        testenv::ScopedEnv state("XDG_STATE_HOME", "/var/tmp/state");
        EXPECT_EQ(encdec::ClientThreadLogFile(), "/var/tmp/state/zentrope/clthread.log");
    }
    testenv::ScopedEnv home("HOME", "/home/someone");
    for (std::optional<std::string> state : {std::optional<std::string>(), std::optional<std::string>("relative")}) {
        testenv::ScopedEnv guard("XDG_STATE_HOME", state);
        EXPECT_EQ(encdec::ClientThreadLogFile(), "/home/someone/.local/state/zentrope/clthread.log");
    }
}

}  // namespace
