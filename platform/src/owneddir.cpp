#include <zplatform/owneddir.h>

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>
#include <filesystem>
#include <memory>

#include "system_files.h"

namespace platform {

namespace {

const char kLockFile[] = ".owner";
constexpr std::time_t kUnlockedGraceSeconds = 600;

std::string joinPath(const std::string& dir, const std::string& name) {
    return (dir == "/" ? std::string() : dir) + "/" + name;
}

// Whether the directory (open as dir) has an owner that may still use it;
// when it has none, lock holds its lock (if it has one) for the removal.
bool stillOwned(int dir, UniqueFd& lock) {
    lock = UniqueFd(::openat(dir, kLockFile, O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    if (lock.ok()) return ::flock(lock.get(), LOCK_EX | LOCK_NB) != 0;
    if (errno != ENOENT) return true;   // cannot tell: keep it
    // Made an instant ago and about to get its lock file, or abandoned then.
    struct stat st;
    return ::fstat(dir, &st) != 0 || std::time(nullptr) - st.st_mtime < kUnlockedGraceSeconds;
}

}  // namespace

OwnedDirectory::OwnedDirectory(const std::string& parent, const std::string& prefix) {
    std::string dir = joinPath(parent, prefix) + "XXXXXX";
    if (!::mkdtemp(dir.data())) return;
    // Locked under a name no sweep looks at, then renamed: a sweep never
    // finds the lock file unlocked while its owner lives.
    std::string temp = dir + "/" + kLockFile + "-XXXXXX";
    UniqueFd lock(::mkostemp(temp.data(), O_CLOEXEC));
    const bool ok = lock.ok() && ::flock(lock.get(), LOCK_EX) == 0 &&
                    ::rename(temp.c_str(), (dir + "/" + kLockFile).c_str()) == 0;
    if (!ok) {
        detail::ErrnoKeeper keep;
        std::error_code ignored;
        std::filesystem::remove_all(dir, ignored);
        return;
    }
    path_ = dir;
    lock_ = std::move(lock);
}

OwnedDirectory::~OwnedDirectory() {
    if (path_.empty()) return;
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

bool OwnedDirectory::release() {
    if (path_.empty()) return true;
    const bool removed = ::unlink((path_ + "/" + kLockFile).c_str()) == 0;
    detail::ErrnoKeeper keep;
    lock_.close();
    path_.clear();
    return removed;
}

std::vector<std::string> sweepAbandonedDirectories(const std::string& parent, const std::string& prefix) {
    std::vector<std::string> removed;
    std::unique_ptr<DIR, int (*)(DIR*)> listing(::opendir(parent.c_str()), ::closedir);
    if (!listing) return removed;
    const uid_t me = ::geteuid();
    while (const dirent* entry = ::readdir(listing.get())) {
        const std::string name = entry->d_name;
        if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0) continue;
        struct stat st;
        if (::fstatat(::dirfd(listing.get()), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISDIR(st.st_mode) ||
            st.st_uid != me)
            continue;
        UniqueFd dir(::openat(::dirfd(listing.get()), name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        UniqueFd lock;
        if (!dir.ok() || stillOwned(dir.get(), lock)) continue;
        // Holding the dead owner's lock: no other sweep removes it meanwhile.
        const std::string path = joinPath(parent, name);
        std::error_code ec;
        std::filesystem::remove_all(path, ec);
        if (!ec) removed.push_back(path);
    }
    return removed;
}

}  // namespace platform
