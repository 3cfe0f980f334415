#include <zsync/config.h>

#include "test_env.h"

#include <gtest/gtest.h>

namespace {

using zsync::SyncRoot;

TEST(FtpIni, KeysAreNotTrimmedAndCompareByCase) {
    testenv::TempDir dir;
    const auto ini = dir.file("ftp.ini");
    testenv::writeFile(ini,
                       "; comment\r\n[ftp]\r\nServer=first\r\nServer=127.0.0.1:2121\r\nUser =nobody\r\n"
                       "user=lower\r\nUser=upkeep\r\nPassword=\r\nPassword= with blank\r\n"
                       "[Other]\r\nServer=elsewhere\r\n");
    const auto config = zsync::readFtpConfig(ini);
    EXPECT_EQ(config.server, "127.0.0.1:2121");
    EXPECT_EQ(config.user, "upkeep");
    EXPECT_EQ(config.password, " with blank");
    EXPECT_TRUE(config.roots.empty());
    EXPECT_TRUE(zsync::readFtpConfig(dir.file("missing.ini")).server.empty());
}

TEST(FtpIni, PlaceholdersAndRoots) {
    struct Case {
        std::string line, expanded;
    } cases[] = {
        {"%IniDir%/bin=/pub/bin", "/opt/app/bin=/pub/bin"},
        {"%inidir%/a%INIDIR%=x", "/opt/app/a/opt/app=x"},
        {"%WinDir%/opt/zentrope=/pub", "/opt/zentrope=/pub"},
        {"%SysDir%/share=/pub", "/usr/share=/pub"},
        {"%Nothing%=/pub", "%Nothing%=/pub"},
    };
    for (const auto& c : cases) EXPECT_EQ(zsync::expandPlaceholders(c.line, "/opt/app/ftp.ini"), c.expanded) << c.line;
    EXPECT_EQ(zsync::expandPlaceholders("%IniDir%\\bin", "C:\\App\\ftp.ini"), "C:\\App\\bin");

    const auto roots = zsync::parseFilesSection(
        {"%IniDir%/bin=/pub/bin", "no equals sign", "=/pub/x", "/opt/app/lib=", "/OPT/APP/BIN=/pub/other",
         "/opt/app/lib=/pub/lib"},
        "/opt/app/ftp.ini");
    ASSERT_EQ(roots.size(), 2u);
    EXPECT_EQ(roots[0].local, "/opt/app/bin");
    EXPECT_EQ(roots[0].remote, "/pub/bin") << "the first line of a local root wins";
    EXPECT_EQ(roots[1].local, "/opt/app/lib");
    EXPECT_EQ(roots[1].remote, "/pub/lib");
}

}  // namespace
