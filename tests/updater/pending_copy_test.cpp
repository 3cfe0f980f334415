#include <zplatform/runonce.h>
#include <zplatform/system.h>

#include "ftp_server.h"
#include "test_env.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

TEST(PendingCopy, NamesComeBackExactlyAndNeverAsACommand) {
    const std::string names[] = {
        "/tmp/plain", "/opt/a b/c", "/x/\"quoted\"", "/x/back\\slash\\", "/x/$(touch pwned); rm -rf ~", "/x/\\\"",
        "/x/'single' `tick` %COMSPEC%",
    };
    for (const auto& from : names) {
        const platform::PendingCopy copy{from, from + ".to"};
        const auto parsed = platform::parseCopyCommand(platform::copyCommand(copy));
        ASSERT_TRUE(parsed) << from;
        EXPECT_EQ(parsed->from, copy.from);
        EXPECT_EQ(parsed->to, copy.to);
    }
    EXPECT_FALSE(platform::parseCopyCommand("/usr/bin/touch x"));
    EXPECT_FALSE(platform::parseCopyCommand("copy \"only one\""));
}

TEST(PendingCopy, InstallingKeepsModeAndTakesTheTime) {
    testenv::TempDir dir;
    const auto source = dir.file("new"), target = dir.file("program");
    testenv::writeFile(source, "new contents");
    testenv::writeFile(target, "old");
    ::chmod(target.c_str(), 0755);
    ASSERT_TRUE(platform::installFileCopy(source, target, 1700000000));
    EXPECT_EQ(testenv::readFile(target), "new contents");
    struct stat st;
    ASSERT_EQ(::stat(target.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0755u);
    EXPECT_EQ(st.st_mtime, 1700000000);
    EXPECT_FALSE(platform::installFileCopy(dir.file("missing"), target, 1));
    EXPECT_EQ(testenv::readFile(target), "new contents");
}

}  // namespace
