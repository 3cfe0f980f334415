// The small helpers every library shares: joining paths, ASCII case, copying
// between descriptors.
#include <zplatform/fd.h>
#include <zplatform/system.h>
#include <zplatform/text.h>

#include "test_env.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace {

TEST(Helpers, JoinPathPutsExactlyOneSlashAndNeverReachesTheRoot) {
    EXPECT_EQ(platform::joinPath("/work/jobs", "ztp_1.txt"), "/work/jobs/ztp_1.txt");
    EXPECT_EQ(platform::joinPath("/work/jobs/", "ztp_1.txt"), "/work/jobs/ztp_1.txt");
    EXPECT_EQ(platform::joinPath("/", "x"), "/x");
    EXPECT_EQ(platform::joinPath("", "x"), "x");
    EXPECT_EQ(platform::joinPath("rel", "x"), "rel/x");
}

TEST(Helpers, CaseIsIgnoredForAsciiLettersOnly) {
    EXPECT_TRUE(platform::equalsNoCase("ZENTRO1:", "zentro1:"));
    EXPECT_TRUE(platform::equalsNoCase("", ""));
    EXPECT_FALSE(platform::equalsNoCase("ztp_1", "ztp_10"));
    // Latin-1 capital and small E with acute: no locale makes them one letter.
    EXPECT_FALSE(platform::equalsNoCase("\xC9", "\xE9"));
    EXPECT_FALSE(platform::equalsNoCase("[", "{"));   // 0x5B and 0x7B differ by the case bit only
    EXPECT_TRUE(platform::startsWithNoCase("${Currency} per page", "${CURRENCY}"));
    EXPECT_FALSE(platform::startsWithNoCase("${CURR", "${CURRENCY}"));
}

TEST(Helpers, CopyAllMovesEverythingOrUpToALimit) {
    testenv::TempDir dir;
    std::string data(200000, '\0');
    for (std::size_t i = 0; i < data.size(); ++i) data[i] = char(i * 31 % 251);
    testenv::writeFile(dir.file("in"), data);

    for (const std::uint64_t limit : {std::uint64_t(0), std::uint64_t(1), std::uint64_t(65536), std::uint64_t(65537),
                                      std::uint64_t(data.size()), std::uint64_t(data.size() + 1), ~std::uint64_t(0)}) {
        platform::UniqueFd in(::open(dir.file("in").c_str(), O_RDONLY));
        platform::UniqueFd out(::open(dir.file("out").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600));
        const auto copied = platform::copyAll(in.get(), out.get(), limit);
        const std::size_t expected = std::size_t(std::min<std::uint64_t>(limit, data.size()));
        ASSERT_TRUE(copied) << limit;
        EXPECT_EQ(*copied, expected) << limit;
        out.close();
        EXPECT_EQ(testenv::readFile(dir.file("out")), data.substr(0, expected)) << limit;
    }

    // A descriptor that cannot be read or written is an error, not an empty copy.
    platform::UniqueFd in(::open(dir.file("in").c_str(), O_RDONLY));
    platform::UniqueFd readOnly(::open(dir.file("out").c_str(), O_RDONLY));
    errno = 0;
    EXPECT_FALSE(platform::copyAll(in.get(), readOnly.get()));
    EXPECT_EQ(errno, EBADF);
    EXPECT_FALSE(platform::copyAll(-1, readOnly.get()));
}

}  // namespace
