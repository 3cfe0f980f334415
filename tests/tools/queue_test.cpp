// zentctl queue: the job list read from the working directory.
#include "test_env.h"

#include <zplatform/registry.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;

// Every separator ends a field, empty ones included.
std::vector<std::string> split(const std::string& text, char separator) {
    std::vector<std::string> parts(1);
    for (char c : text) {
        if (c == separator) parts.emplace_back();
        else parts.back() += c;
    }
    return parts;
}

// The lines of an output whose every line ends with LF.
std::vector<std::string> lines(const std::string& out) {
    EXPECT_TRUE(out.empty() || out.back() == '\n') << out;
    return out.empty() ? std::vector<std::string>{} : split(out.substr(0, out.size() - 1), '\n');
}

class ZentctlQueue : public ::testing::Test {
protected:
    ZentctlQueue() : jobs(machine.dir().file("jobs")), source(machine.dir().file("letter.ps")) {
        fs::create_directories(jobs);
        testenv::writeFile(source, std::string(1501, 'x'));
    }
    void setWorkDir(const std::string& dir) {
        auto key = platform::RegKey::openOrCreate(platform::Hive::LocalMachine,
                                                  "SOFTWARE\\ORLO Vestra\\Zentrope Client");
        ASSERT_TRUE(key && key->writeString("FirstTempDir", dir));
    }

    testenv::IsolatedMachine machine;
    std::string jobs, source;
};

TEST_F(ZentctlQueue, PrintsOneRowPerJobAndTheStatusWithoutPackingAnything) {
    setWorkDir(jobs);
    ASSERT_EQ(testenv::zentctl({"submit", source, "--doc", "Letter", "--user", "anna", "--pages", "2", "--copies", "3",
                                "--papersize", "9", "--orientation", "Portrait"})
                  .exitCode,
              0);
    ASSERT_EQ(testenv::zentctl({"submit", source, "--doc", "Memo\tdraft", "--papersize", "77"}).exitCode, 0);

    const auto r = testenv::zentctl({"queue"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const auto rows = lines(r.out);
    ASSERT_EQ(rows.size(), 3u) << r.out;

    auto first = split(rows[0], '\t');
    ASSERT_EQ(first.size(), 11u) << rows[0];
    EXPECT_THAT(first[2], ::testing::MatchesRegex("[0-9]+/[0-9]+/[0-9]+ [0-9]+:[0-9]+:[0-9]+\\.[0-9]+"));
    first[2] = "(submitted)";
    EXPECT_EQ(first, (std::vector<std::string>{"ASAP", "Letter", "(submitted)", "2 K", "2", "3", "A4, 210x297mm",
                                               "Portrait", "0", "", ""}));
    const auto second = split(rows[1], '\t');
    ASSERT_EQ(second.size(), 11u) << rows[1];
    EXPECT_EQ(second[0], "ASAP");
    EXPECT_EQ(second[1], "Memo draft");   // a tab in a value keeps the columns
    EXPECT_EQ(second[6], "#77");
    EXPECT_EQ(rows[2], "2 pending request(s)");

    // Looking never packs or changes a job.
    EXPECT_FALSE(fs::exists(jobs + "/ztp_1.gz"));
    EXPECT_FALSE(fs::exists(jobs + "/ztp_2.gz"));
}

TEST_F(ZentctlQueue, ReadsTheGivenDirectoryInstead) {
    setWorkDir(jobs);
    ASSERT_EQ(testenv::zentctl({"submit", source}).exitCode, 0);
    const std::string other = machine.dir().file("other");
    fs::create_directories(other);

    auto r = testenv::zentctl({"queue", "--dir", other});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "0 pending requests\n");

    fs::copy_file(jobs + "/ztp_1.txt", other + "/ztp_4.txt");
    r = testenv::zentctl({"queue", "--dir", other});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_THAT(r.out, ::testing::EndsWith("\n1 pending request(s)\n"));
    // Without its data file the size is 0.
    EXPECT_EQ(split(lines(r.out)[0], '\t')[3], "0");
}

TEST_F(ZentctlQueue, FailuresSayWhatIsWrong) {
    const struct {
        std::vector<std::string> args;
        int exitCode;
        const char* message;
    } cases[] = {
        {{"queue"}, 1, "FirstTempDir is not set"},
        {{"queue", "--dir", "/nonexistent/zentrope"}, 1, "does not exist"},
        {{"queue", "--dir"}, 2, "--dir needs a directory"},
        {{"queue", "--all"}, 2, "unknown argument --all"},
    };
    for (const auto& c : cases) {
        const auto r = testenv::zentctl(c.args);
        EXPECT_EQ(r.exitCode, c.exitCode) << c.args.back();
        EXPECT_THAT(r.err, HasSubstr(c.message)) << c.args.back();
        EXPECT_EQ(r.out, "");
    }
}

}  // namespace
