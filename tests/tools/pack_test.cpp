// zentctl pack|unpack: the pipeline on files from the command line.
#include "sample_jobs.h"
#include "test_env.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;


std::string jobText() { return testenv::postScriptOfSize(400000); }

TEST(ZentctlPack, EveryTypeRoundTripsAndReportsTheSize) {
    testenv::IsolatedMachine machine;
    const auto in = machine.dir().file("job.ps"), packed = machine.dir().file("job.packed"),
               back = machine.dir().file("job.back");
    const std::string job = jobText();
    testenv::writeFile(in, job);
    for (const char* type : {"0", "1", "2", "3", "4", "5"}) {
        SCOPED_TRACE(type);
        const auto p = testenv::zentctl({"pack", "--type", type, in, packed});
        ASSERT_EQ(p.exitCode, 0) << p.err;
        EXPECT_EQ(p.out, packed + ": " + std::to_string(fs::file_size(packed)) + " bytes\n");
        // Type 4 travels as it is and is only decompressed on receipt.
        if (std::string(type) == "4") {
            ASSERT_EQ(testenv::run({"gzip", "-9", "-f", "-k", packed}).exitCode, 0);
        }
        const auto u = testenv::zentctl({"unpack", "--type", type,
                                     std::string(type) == "4" ? packed + ".gz" : packed, back});
        ASSERT_EQ(u.exitCode, 0) << u.err;
        EXPECT_TRUE(testenv::readFile(back) == job);
    }
    EXPECT_TRUE(fs::is_empty(machine.dir().file("tmp")));
}

TEST(ZentctlPack, FailuresExitNonZeroWithAReasonAndKeepTheOutput) {
    testenv::IsolatedMachine machine;
    const auto in = machine.dir().file("in"), out = machine.dir().file("out");
    testenv::writeFile(in, "\x1f\x8b\x08\x00\x00\x00\x00\x00\x02\x03truncated");
    testenv::writeFile(out, "keep");
    struct Case {
        std::vector<std::string> args;
        int exitCode;
        const char* text;
    } cases[] = {
        {{"unpack", "--type", "2", in, out}, 1, "cannot unpack"},
        {{"unpack", "--type", "1", in, out}, 1, "cipher"},
        {{"pack", "--type", "2", machine.dir().file("missing"), out}, 1, "No such file or directory"},
        {{"pack", "--type", "6", in, out}, 2, "'6' is not a number from 0 to 5"},
        {{"pack", "--type", "x", in, out}, 2, "not a number"},
        {{"pack", "--type"}, 2, "--type needs a number"},
        {{"unpack", in, out}, 2, "needs --type N"},
        {{"pack", "--type", "2", in}, 2, "needs --type N"},
    };
    for (const auto& c : cases) {
        const auto r = testenv::zentctl(c.args);
        EXPECT_EQ(r.exitCode, c.exitCode) << r.err;
        EXPECT_THAT(r.err, HasSubstr(c.text));
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(testenv::readFile(out), "keep");
    }
    // In place: a failed unpack leaves the file as it was.
    const auto r = testenv::zentctl({"unpack", "--type", "3", in, in});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(testenv::readFile(in), std::string("\x1f\x8b\x08\x00\x00\x00\x00\x00\x02\x03truncated"));
    EXPECT_TRUE(fs::is_empty(machine.dir().file("tmp")));
}

}  // namespace
