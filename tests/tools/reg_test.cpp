#include "test_env.h"

#include <zplatform/system.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <future>
#include <thread>

namespace {

using testenv::IsolatedMachine;
using testenv::readFile;
using testenv::writeFile;

const std::string kKey = "SOFTWARE\\ORLO Vestra\\Zentrope Client";

testenv::ProcessResult reg(std::vector<std::string> args) {
    args.insert(args.begin(), "reg");
    return testenv::zentctl(args);
}

std::string joined(const std::vector<std::string>& args) {
    std::string s;
    for (const auto& a : args) s += a + " ";
    return s;
}

TEST(ZentctlReg, GetSetListDelete) {
    IsolatedMachine m;
    struct Step {
        std::vector<std::string> args;
        int exitCode;
        std::string out;
        std::string errPart;   // stderr contains this ("" when it must be empty)
    } steps[] = {
        {{"get", "HKLM", kKey, "FirstTempDir"}, 1, "", "zentctl: no key HKEY_LOCAL_MACHINE\\" + kKey},
        {{"delete", "HKLM", kKey, "FirstTempDir"}, 1, "", "zentctl: no key"},
        {{"set", "HKLM", kKey, "FirstTempDir", "/opt/z \"q\" \\x"}, 0, "", ""},
        {{"get", "hklm", "software\\orlo vestra\\zentrope client", "firsttempdir"}, 0, "/opt/z \"q\" \\x\n", ""},
        {{"set", "machine", kKey, "Preview_En", "0x1F", "--dword"}, 0, "", ""},
        {{"set", "HKEY_LOCAL_MACHINE", kKey, "Big", "--dword", "4294967295"}, 0, "", ""},
        {{"set", "HKLM", kKey, "ClientDelay", "250"}, 0, "", ""},
        {{"get", "HKLM", kKey, "Preview_En"}, 0, "31\n", ""},
        {{"get", "HKLM", kKey, "Big"}, 0, "4294967295\n", ""},
        {{"get", "HKLM", kKey, "Missing"}, 1, "", "zentctl: no value \"Missing\" in HKEY_LOCAL_MACHINE\\" + kKey},
        {{"list", "HKLM", kKey},
         0,
         "\"FirstTempDir\"=\"/opt/z \\\"q\\\" \\\\x\"\n\"Preview_En\"=dword:0000001f\n\"Big\"=dword:ffffffff\n"
         "\"ClientDelay\"=\"250\"\n",
         ""},
        {{"delete", "HKLM", kKey, "clientdelay"}, 0, "", ""},
        {{"delete", "HKLM", kKey, "ClientDelay"}, 1, "", "zentctl: no value \"ClientDelay\""},
        {{"set", "user", kKey + "\\Last printer", "1", "--", "--looks-like-an-option"}, 0, "", ""},
        {{"get", "HKEY_CURRENT_USER", kKey + "\\Last printer", "1"}, 0, "--looks-like-an-option\n", ""},
        {{"list", "HKCU", kKey}, 0, "", ""},   // exists as the parent of Last printer, no values
    };
    for (const auto& s : steps) {
        auto r = reg(s.args);
        SCOPED_TRACE(joined(s.args));
        EXPECT_EQ(r.exitCode, s.exitCode) << r.err;
        EXPECT_EQ(r.out, s.out);
        if (s.errPart.empty()) {
            EXPECT_EQ(r.err, "");
        } else {
            EXPECT_NE(r.err.find(s.errPart), std::string::npos) << r.err;
        }
    }
    EXPECT_EQ(readFile(m.machineHive()),
              "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\" + kKey +
                  "]\n\"FirstTempDir\"=\"/opt/z \\\"q\\\" \\\\x\"\n\"Preview_En\"=dword:0000001f\n"
                  "\"Big\"=dword:ffffffff\n\n");
    EXPECT_NE(readFile(m.userHive()).find("[HKEY_CURRENT_USER\\" + kKey + "\\Last printer]\n\"1\"=\"--looks-like-an-option\"\n"),
              std::string::npos);
}

TEST(ZentctlReg, UsageErrorsExitTwoAndTouchNothing) {
    IsolatedMachine m;
    struct Row {
        std::vector<std::string> args;
        std::string errPart;
    } rows[] = {
        {{}, "no action given"},
        {{"frob", "HKLM", kKey}, "unknown action 'frob'"},
        {{"get", "HKLM", kKey}, "reg get takes HIVE KEY NAME"},
        {{"set", "HKLM", kKey, "Name"}, "reg set takes HIVE KEY NAME VALUE [--dword]"},
        {{"set", "HKLM", kKey, "Name", "v", "extra"}, "reg set takes"},
        {{"list", "HKLM"}, "reg list takes HIVE KEY"},
        {{"get", "HKXX", kKey, "Name"}, "unknown hive 'HKXX'"},
        {{"set", "HKLM", kKey, "Name", "0x1g", "--dword"}, "'0x1g' is not a dword"},
        {{"set", "HKLM", kKey, "Name", "4294967296", "--dword"}, "'4294967296' is not a dword"},
        {{"set", "HKLM", kKey, "Name", "-1", "--dword"}, "'-1' is not a dword"},
        {{"set", "HKLM", kKey, "Name", "", "--dword"}, "'' is not a dword"},
        {{"get", "HKLM", kKey, "Name", "--dword"}, "--dword only applies to set"},
        {{"list", "HKLM", kKey, "--bogus"}, "unknown option '--bogus'"},
        {{"get", "HKLM", "SOFTWARE\\\\ORLO", "Name"}, "is not a key path"},
        {{"set", "HKLM", "SOFTWARE\\\\ORLO", "Name", "v"}, "is not a key path"},
        {{"set", "HKLM", kKey, "Name", "two\nlines"}, "must be one line"},
    };
    // Independent runs: start them all at once, the program's start-up is the slow part.
    std::vector<std::future<testenv::ProcessResult>> runs;
    for (const auto& r : rows) runs.push_back(std::async(std::launch::async, reg, r.args));
    for (size_t i = 0; i < std::size(rows); ++i) {
        const auto& r = rows[i];
        auto result = runs[i].get();
        SCOPED_TRACE(joined(r.args));
        EXPECT_EQ(result.exitCode, 2);
        EXPECT_EQ(result.out, "");
        EXPECT_TRUE(result.err.starts_with("zentctl: ")) << result.err;
        EXPECT_NE(result.err.find(r.errPart), std::string::npos) << result.err;
        EXPECT_NE(result.err.find("usage:"), std::string::npos) << result.err;
    }
    EXPECT_FALSE(std::filesystem::exists(m.machineHive()));
}

TEST(ZentctlReg, FailuresGiveTheSystemsReason) {
    IsolatedMachine m;
    writeFile(m.dir().file("plain"), "");
    {
        testenv::ScopedEnv env("ZENTROPE_MACHINE_REGISTRY", m.dir().file("plain/machine.reg"));
        auto r = reg({"set", "HKLM", kKey, "A", "b"});
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_NE(r.err.find("cannot write HKEY_LOCAL_MACHINE\\" + kKey), std::string::npos) << r.err;
        EXPECT_NE(r.err.find(platform::errorText(ENOTDIR)), std::string::npos) << r.err;
    }
    {
        std::filesystem::create_directory(m.machineHive());   // a directory where the hive should be
        auto r = reg({"get", "HKLM", kKey, "A"});
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_NE(r.err.find("cannot read " + m.machineHive() + ": " + platform::errorText(EISDIR)), std::string::npos)
            << r.err;
    }
}

TEST(ZentctlReg, BadLinesAreReportedAndKept) {
    IsolatedMachine m;
    writeFile(m.machineHive(), "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\K]\nPreview_En=1\n\"A\"=\"1\"\n");
    auto r = reg({"set", "HKLM", "K", "B", "2"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_NE(r.err.find(m.machineHive() + ":4: not a setting: Preview_En=1"), std::string::npos) << r.err;
    auto list = reg({"list", "HKLM", "K"});
    EXPECT_EQ(list.out, "\"A\"=\"1\"\n\"B\"=\"2\"\n");
    EXPECT_NE(readFile(m.machineHive()).find("\nPreview_En=1\n"), std::string::npos);
}

TEST(ZentctlReg, ParallelSetsLoseNothing) {
    IsolatedMachine m;
    constexpr int n = 8;
    std::vector<testenv::ProcessResult> results(n);
    std::vector<std::thread> threads;
    for (int i = 0; i < n; ++i)
        threads.emplace_back([i, &results] {
            std::vector<std::string> args = {"set", "HKLM", kKey, "V" + std::to_string(i), std::to_string(i * 7)};
            if (i % 2) args.push_back("--dword");
            results[size_t(i)] = reg(args);
        });
    for (auto& t : threads) t.join();
    for (int i = 0; i < n; ++i) EXPECT_EQ(results[size_t(i)].exitCode, 0) << results[size_t(i)].err;

    auto list = reg({"list", "HKLM", kKey});
    ASSERT_EQ(list.exitCode, 0);
    for (int i = 0; i < n; ++i) {
        char expected[64];
        if (i % 2) std::snprintf(expected, sizeof expected, "\"V%d\"=dword:%08x\n", i, unsigned(i * 7));
        else std::snprintf(expected, sizeof expected, "\"V%d\"=\"%d\"\n", i, i * 7);
        EXPECT_NE(list.out.find(expected), std::string::npos) << expected << " missing from\n" << list.out;
    }
}

}  // namespace
