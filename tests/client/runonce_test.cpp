#include "shell/runonce.h"

#include "ftp_server.h"
#include "test_env.h"

#include <zplatform/registry.h>

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>

namespace {

TEST(RunOnce, AScheduledCopyIsPutInPlaceWithoutAShell) {
    testenv::IsolatedMachine machine;
    const std::string dir = machine.dir().file("app $(touch pwned); \"x\"");
    std::filesystem::create_directories(dir);
    const std::string from = machine.dir().file("ima123"), to = dir + "/lib.so";
    testenv::writeFileWithTime(from, "new", 1700000000);
    testenv::writeFile(to, "old");
    platform::ScheduleFailure why{};
    ASSERT_EQ(platform::scheduleCopy("Ftp", {from, to}, why), "Ftp0");

    EXPECT_EQ(zentclient::RunPendingRunOnce(), 1);
    EXPECT_EQ(testenv::readFile(to), "new");
    struct stat st;
    ASSERT_EQ(::stat(to.c_str(), &st), 0);
    EXPECT_EQ(st.st_mtime, 1700000000) << "the server's time";
    EXPECT_FALSE(std::filesystem::exists(from));
    EXPECT_FALSE(std::filesystem::exists("pwned"));
    const auto key = platform::RegKey::openReadOnly(platform::Hive::LocalMachine, platform::kRunOnceKey);
    EXPECT_TRUE(!key || key->valueNames().empty());
}

}  // namespace
