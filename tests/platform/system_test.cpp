#include <zplatform/system.h>

#include "test_env.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <set>

namespace {

namespace fs = std::filesystem;
using testenv::readFile;
using testenv::writeFile;

mode_t modeOf(const std::string& path) {
    struct stat st{};
    stat(path.c_str(), &st);
    return st.st_mode & 07777;
}

TEST(System, SplitsCommandLinesByWindowsRules) {
    struct Row {
        const char* line;
        std::vector<std::string> args;
    } rows[] = {
        {"", {}},
        {"  \t ", {}},
        {"gs -q  -r120\t-sDEVICE=bmp16m", {"gs", "-q", "-r120", "-sDEVICE=bmp16m"}},
        {"\"abc\" d e", {"abc", "d", "e"}},
        {"\"/opt/my dir/gs\" \"-sOutputFile=/tmp/a b/p%d.bmp\"", {"/opt/my dir/gs", "-sOutputFile=/tmp/a b/p%d.bmp"}},
        {"a\\\\\\b d\"e f\"g h", {"a\\\\\\b", "de fg", "h"}},   // backslashes before no quote are literal
        {"a\\\\\\\"b c d", {"a\\\"b", "c", "d"}},               // 2n+1 backslashes: literal quote
        {"a\\\\\\\\\"b c\" d e", {"a\\\\b c", "d", "e"}},       // 2n backslashes: the quote groups
        {"a\"b\"\" c d", {"ab\" c d"}},                          // "" inside quotes: a quote, run goes on
        {"\"\" x \"\"", {"", "x", ""}},                          // empty quoted runs are arguments
        {"\"unterminated arg", {"unterminated arg"}},
        {"trailing\\", {"trailing\\"}},
        {"%COMSPEC% /C copy \"/tmp/x.tmp\" \"/opt/z/file\"", {"%COMSPEC%", "/C", "copy", "/tmp/x.tmp", "/opt/z/file"}},
    };
    for (const auto& r : rows) EXPECT_EQ(platform::splitCommandLine(r.line), r.args) << r.line;
}

TEST(System, QuotedArgumentsSplitBackUnchanged) {
    struct Row {
        std::string argument;
        std::string quoted;
    } rows[] = {
        {"/usr/bin/gs", "\"/usr/bin/gs\""},
        {"/tmp/a b/p%d.bmp", "\"/tmp/a b/p%d.bmp\""},
        {"", "\"\""},
        {"say \"hi\"", "\"say \\\"hi\\\"\""},
        {"dir\\", "\"dir\\\\\""},                 // a trailing backslash must not eat the closing quote
        {"a\\\"b", "\"a\\\\\\\"b\""},         // backslash before a quote: both escaped
        {"a\\b", "\"a\\b\""},                       // backslashes elsewhere stay single
    };
    for (const auto& r : rows) {
        EXPECT_EQ(platform::quoteArgument(r.argument), r.quoted) << r.argument;
        const std::string line = "prog " + platform::quoteArgument(r.argument) + " next";
        EXPECT_EQ(platform::splitCommandLine(line), (std::vector<std::string>{"prog", r.argument, "next"})) << line;
    }
}

TEST(System, SpawnRunsProgramsAndReportsHowTheyEnded) {
    testenv::TempDir dir;
    struct Row {
        std::string commandLine;
        bool started;
        int exitCode;
    } rows[] = {
        {"/bin/sh -c \"exit 3\"", true, 3},
        {"sh -c \"kill -9 $$\"", true, 128 + 9},
        {"true", true, 0},
        {"zentrope-no-such-program --flag", false, -1},
        {"", false, -1},
    };
    for (const auto& r : rows) {
        auto result = platform::spawnAndWait(r.commandLine);
        EXPECT_EQ(result.started, r.started) << r.commandLine;
        EXPECT_EQ(result.exitCode, r.exitCode) << r.commandLine;
        if (!r.started) {
            EXPECT_NE(result.error, 0) << r.commandLine;
        }
    }
    EXPECT_EQ(platform::spawnAndWait({"zentrope-no-such-program"}).error, ENOENT);

    auto inDir = platform::spawnAndWait({"/bin/sh", "-c", "pwd > out.txt; printf '%s' \"$1\" > arg.txt", "sh", "a \"b\" c"},
                                        dir.path());
    ASSERT_TRUE(inDir.started);
    EXPECT_EQ(inDir.exitCode, 0);
    EXPECT_EQ(readFile(dir.file("out.txt")), fs::canonical(dir.path()).string() + "\n");
    EXPECT_EQ(readFile(dir.file("arg.txt")), "a \"b\" c") << "arguments pass untouched, no shell";
    EXPECT_FALSE(platform::spawnAndWait({"true"}, dir.file("missing")).started);
}

TEST(System, UniqueTempFilesAreNewPrivateAndDistinct) {
    testenv::TempDir dir;
    std::set<std::string> names;
    for (int i = 0; i < 20; ++i) {
        std::string name = platform::createUniqueTempFile(dir.path(), "ztp_", ".tmp");
        ASSERT_FALSE(name.empty());
        std::string base = fs::path(name).filename();
        EXPECT_EQ(fs::path(name).parent_path(), dir.path());
        EXPECT_TRUE(base.starts_with("ztp_") && base.ends_with(".tmp") && base.size() == 4 + 6 + 4) << base;
        EXPECT_EQ(fs::file_size(name), 0u);
        EXPECT_EQ(modeOf(name), 0600u);
        names.insert(name);
    }
    EXPECT_EQ(names.size(), 20u);
    EXPECT_EQ(platform::createUniqueTempFile(dir.file("missing"), "x"), "");
}

TEST(System, WriteFileAtomicallyReplacesWholeFiles) {
    testenv::TempDir dir;
    const std::string file = dir.file("settings.txt");
    ASSERT_TRUE(platform::writeFileAtomically(file, "first"));
    mode_t mask = umask(0);
    umask(mask);
    EXPECT_EQ(modeOf(file), 0666u & ~mask);

    chmod(file.c_str(), 0640);
    fs::create_hard_link(file, dir.file("link"));
    ASSERT_TRUE(platform::writeFileAtomically(file, std::string(100000, 'z')));
    EXPECT_EQ(readFile(file), std::string(100000, 'z'));
    EXPECT_EQ(readFile(dir.file("link")), "first") << "written in place";
    EXPECT_EQ(modeOf(file), 0640u) << "permissions kept";

    fs::create_symlink("settings.txt", dir.file("alias"));
    ASSERT_TRUE(platform::writeFileAtomically(dir.file("alias"), "through the link"));
    EXPECT_TRUE(fs::is_symlink(dir.file("alias")));
    EXPECT_EQ(readFile(file), "through the link");

    EXPECT_FALSE(platform::writeFileAtomically(dir.file("missing/x.txt"), "x"));
    EXPECT_EQ(platform::lastError(), ENOENT);
    int entries = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(dir.path())) ++entries;
    EXPECT_EQ(entries, 3) << "a temporary file was left behind";
}

TEST(System, ForceDirectoriesCreatesEveryParent) {
    testenv::TempDir dir;
    writeFile(dir.file("plain"), "");
    EXPECT_TRUE(platform::forceDirectories(dir.file("a/b/c")));
    EXPECT_TRUE(platform::directoryExists(dir.file("a/b/c")));
    EXPECT_TRUE(platform::forceDirectories(dir.file("a/b")));
    EXPECT_FALSE(platform::forceDirectories(dir.file("plain/x")));
    EXPECT_FALSE(platform::forceDirectories(dir.file("plain")));
    EXPECT_FALSE(platform::forceDirectories(""));
    EXPECT_TRUE(platform::fileExists(dir.file("plain")));
    EXPECT_FALSE(platform::fileExists(dir.file("a")));
    EXPECT_FALSE(platform::directoryExists(dir.file("plain")));
}

TEST(System, TempDirectoryFollowsTmpdirWhenItIsADirectory) {
    testenv::TempDir dir;
    writeFile(dir.file("plain"), "");
    struct Row {
        std::optional<std::string> tmpdir;
        std::string expected;
    } rows[] = {
        {dir.path() + "//", dir.path()},
        {dir.path(), dir.path()},
        {dir.file("missing"), "/tmp"},
        {dir.file("plain"), "/tmp"},
        {"", "/tmp"},
        {std::nullopt, "/tmp"},
    };
    for (const auto& r : rows) {
        testenv::ScopedEnv env("TMPDIR", r.tmpdir);
        EXPECT_EQ(platform::tempDirectory(), r.expected) << r.tmpdir.value_or("(unset)");
    }
}

TEST(System, IdentityAgreesWithTheSystemTools) {
    auto id = testenv::run({"id", "-un"});
    ASSERT_EQ(id.exitCode, 0);
    EXPECT_EQ(platform::userName() + "\n", id.out);

    auto uname = testenv::run({"uname", "-r"});
    ASSERT_EQ(uname.exitCode, 0);
    auto v = platform::systemVersion();
    EXPECT_EQ(v.platformId, 2);
    EXPECT_EQ(v.release + "\n", uname.out);
    EXPECT_EQ(uname.out.substr(0, uname.out.find('.')), std::to_string(v.major));
    EXPECT_GE(v.major, 3);

    std::string exe = platform::executablePath();
    EXPECT_EQ(fs::path(exe).filename(), "platform_tests");
    EXPECT_TRUE(fs::path(exe).is_absolute());
}

TEST(System, ErrorTextsAreTheSystemsOwn) {
    EXPECT_EQ(platform::errorText(ENOENT), "No such file or directory");
    EXPECT_EQ(platform::errorText(EACCES), "Permission denied");
    EXPECT_FALSE(platform::errorText(123456).empty());
    errno = ENOTDIR;
    EXPECT_EQ(platform::lastError(), ENOTDIR);
}

}  // namespace
