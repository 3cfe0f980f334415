#include "ftp_server.h"
#include "test_env.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

namespace {

using testing::HasSubstr;

TEST(ZentctlUpdate, PrintsOneLinePerFileAndTheSummary) {
    testenv::IsolatedMachine machine;
    testenv::TempDir files;
    std::filesystem::create_directories(files.file("remote/pub"));
    std::filesystem::create_directories(files.file("app"));
    testenv::writeFileWithTime(files.file("remote/pub/a.txt"), "new a", 1700000000);
    testenv::writeFileWithTime(files.file("app/a.txt"), "old", 1600000000);
    testenv::FtpServer server(files.file("remote"));
    const auto ini = files.file("app/ftp.ini");
    testenv::writeFile(ini, "[Ftp]\nServer=" + server.address() + "\nUser=" + testenv::FtpServer::kUser +
                                "\nPassword=" + testenv::FtpServer::kPassword + "\n[Files]\n%IniDir%/=/pub\n");

    const auto result = testenv::zentctl({"update", "--ini", ini});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out,
              "/pub/a.txt\t2023-11-14 22:13:20\t2020-09-13 12:26:40\tUpdated\n"
              "Done. Synchronizing 1 files, 5 bytes\n"
              "1 of 1 files replaced\n");
    EXPECT_EQ(testenv::readFile(files.file("app/a.txt")), "new a");

    testenv::writeFile(ini, "[Ftp]\nUser=x\n[Files]\n/a=/b\n");
    const auto noServer = testenv::zentctl({"update", "--ini", ini});
    EXPECT_EQ(noServer.exitCode, 1);
    EXPECT_EQ(noServer.err, "zentctl: Server not specified.\n");
    EXPECT_EQ(noServer.out, "");
}

}  // namespace
