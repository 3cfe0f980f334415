// zentctl tells its usage as a whole and command by command.
#include "test_env.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <set>
#include <sstream>

namespace {

TEST(ZentctlUsage, EveryCommandTellsItsOwnUsage) {
    const auto all = testenv::zentctl({"--help"});
    ASSERT_EQ(all.exitCode, 0);
    std::set<std::string> commands;
    std::istringstream lines(all.out);
    for (std::string line; std::getline(lines, line);) {
        std::istringstream words(line);
        std::string program, command;
        if (words >> program >> command && program == "zentctl") commands.insert(command);
    }
    ASSERT_GE(commands.size(), 10u);
    for (const std::string& command : commands) {
        SCOPED_TRACE(command);
        const auto help = testenv::zentctl({command, "--help"});
        EXPECT_EQ(help.exitCode, 0) << help.err;
        EXPECT_THAT(help.out, ::testing::MatchesRegex("usage: zentctl " + command + "( .*)?\n"));
    }
    EXPECT_EQ(testenv::zentctl({"nonsense"}).exitCode, 2);
}

}  // namespace
