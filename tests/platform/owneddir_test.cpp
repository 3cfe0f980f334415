// Owned working directories: what a dead owner left is swept, nothing in use
// and nothing of another kind ever is.
#include <zplatform/owneddir.h>

#include "test_env.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <filesystem>

namespace {

namespace fs = std::filesystem;

// A process that makes an owned directory, reports its path and waits to be killed.
class Owner {
public:
    explicit Owner(const std::string& parent) {
        int report[2];
        EXPECT_EQ(pipe(report), 0);
        pid_ = fork();
        if (pid_ == 0) {
            close(report[0]);
            platform::OwnedDirectory dir(parent, "work-");
            testenv::writeFile(dir.path() + "/data", "half of a job");
            const std::string line = dir.path() + "\n";
            if (write(report[1], line.data(), line.size()) != ssize_t(line.size())) _exit(1);
            for (;;) pause();
        }
        close(report[1]);
        char c;
        while (read(report[0], &c, 1) == 1 && c != '\n') path_ += c;
        close(report[0]);
    }
    ~Owner() { killHard(); }
    void killHard() {
        if (pid_ <= 0) return;
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }
    const std::string& path() const { return path_; }

private:
    pid_t pid_ = -1;
    std::string path_;
};

TEST(OwnedDirectory, IsSweptOnlyOnceItsOwnerIsKilled) {
    testenv::TempDir parent;
    Owner other(parent.path());
    ASSERT_FALSE(other.path().empty());
    platform::OwnedDirectory mine(parent.path(), "work-");
    ASSERT_FALSE(mine.path().empty());
    EXPECT_EQ(fs::status(mine.path()).permissions() & fs::perms::all, fs::perms::owner_all);

    EXPECT_TRUE(platform::sweepAbandonedDirectories(parent.path(), "work-").empty()) << "both owners live";
    EXPECT_TRUE(fs::exists(other.path() + "/data"));

    other.killHard();
    EXPECT_EQ(platform::sweepAbandonedDirectories(parent.path(), "work-"), std::vector<std::string>{other.path()});
    EXPECT_FALSE(fs::exists(other.path()));
    EXPECT_TRUE(fs::is_directory(mine.path()));
}

TEST(OwnedDirectory, SweepsOnlyDirectoriesOfItsOwnKind) {
    testenv::TempDir parent;
    std::string gone;
    {
        platform::OwnedDirectory dead(parent.path(), "work-");
        gone = dead.path();
        // Left as a killed owner leaves it: the lock file stays, the lock goes.
        ASSERT_TRUE(fs::exists(gone + "/.owner"));
        fs::copy(gone, gone + "-copy");
    }
    EXPECT_FALSE(fs::exists(gone)) << "its owner removes it on the way out";
    const std::string abandoned = gone + "-copy";
    fs::copy(abandoned, parent.file("other-abc"));          // another kind of directory
    testenv::writeFile(parent.file("work-file"), "x");      // a file of that name
    fs::create_directory_symlink(abandoned, parent.file("work-link"));
    fs::create_directory(parent.file("work-fresh"));       // no lock file yet: its owner is making it

    fs::create_directory(parent.file("work-stale"));       // no lock file for ten minutes and more
    const timespec old[2] = {{std::time(nullptr) - 601, 0}, {std::time(nullptr) - 601, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, parent.file("work-stale").c_str(), old, 0), 0);

    auto removed = platform::sweepAbandonedDirectories(parent.path(), "work-");
    std::vector<std::string> expected{abandoned, parent.file("work-stale")};
    // The abandoned one's name is random: compare in one order.
    std::sort(removed.begin(), removed.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(removed, expected);
    for (const char* kept : {"other-abc", "work-file", "work-link", "work-fresh"})
        EXPECT_TRUE(fs::exists(fs::symlink_status(parent.file(kept)))) << kept;
}

TEST(OwnedDirectory, ReleasedDirectoryStaysWithoutItsLockFile) {
    testenv::TempDir parent;
    std::string path;
    {
        platform::OwnedDirectory dir(parent.path(), ".incoming-");
        path = dir.path();
        testenv::writeFile(path + "/job", "bytes");
        EXPECT_TRUE(dir.release());
        EXPECT_TRUE(dir.path().empty());
    }
    EXPECT_EQ(testenv::readFile(path + "/job"), "bytes");
    EXPECT_FALSE(fs::exists(path + "/.owner"));
    EXPECT_TRUE(platform::sweepAbandonedDirectories(parent.path(), ".incoming-").empty())
        << "just released, as before a rename into place";
}

TEST(OwnedDirectory, CreationFailsWithErrnoInAMissingParent) {
    testenv::TempDir parent;
    errno = 0;
    platform::OwnedDirectory dir(parent.file("missing"), "work-");
    EXPECT_TRUE(dir.path().empty());
    EXPECT_EQ(errno, ENOENT);
    EXPECT_TRUE(platform::sweepAbandonedDirectories(parent.file("missing"), "work-").empty());
}

}  // namespace
