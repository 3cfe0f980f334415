#include "listing.h"

#include <gtest/gtest.h>

namespace {

TEST(FtpListing, MlsdEntries) {
    const auto entries = zsync::parseMlsd(
        "type=cdir;modify=20240101000000; .\r\n"
        "type=pdir; ..\r\n"
        "type=file;size=12;modify=20240102030405.250;unix.mode=0644; a file; with semicolon\r\n"
        "Type=DIR;Modify=20240101000000; sub\r\n"
        "type=OS.unix=slink:/x; link\r\n"
        "garbage\r\n"
        "type=file;size=x;modify=bad; broken times\n");
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].name, "a file; with semicolon");
    EXPECT_FALSE(entries[0].directory);
    EXPECT_EQ(entries[0].size, 12u);
    EXPECT_EQ(entries[0].modified, 1704164645);
    EXPECT_EQ(entries[1].name, "sub");
    EXPECT_TRUE(entries[1].directory);
    EXPECT_EQ(entries[2].modified, 0);
}

TEST(FtpListing, UnixListEntries) {
    const auto entries = zsync::parseUnixList(
        "total 8\r\n"
        "-rw-r--r--   1 owner group        42 Jan 02 03:04 name with  blanks\r\n"
        "drwxr-xr-x   2 owner group      4096 Jan 01  2024 sub\r\n"
        "lrwxrwxrwx   1 owner group         4 Jan 01  2024 link -> sub\r\n");
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].name, "name with  blanks");
    EXPECT_EQ(entries[0].size, 42u);
    EXPECT_TRUE(entries[1].directory);
}

TEST(FtpListing, Times) {
    EXPECT_EQ(zsync::parseFtpTime("19700101000000"), 0);
    EXPECT_EQ(zsync::parseFtpTime("20240229235960"), 1709251200);
    EXPECT_FALSE(zsync::parseFtpTime("2024022923596"));
    EXPECT_FALSE(zsync::parseFtpTime("20241329000000"));
}

}  // namespace
