// Temporary directory, unique and atomically written files, directories.
#include "system_files.h"

#include <zplatform/system.h>
#include <zplatform/fd.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>

namespace platform {

namespace detail {

ErrnoKeeper::ErrnoKeeper() : saved_(errno) {}
ErrnoKeeper::~ErrnoKeeper() { errno = saved_; }

bool readWholeFile(const std::string& path, std::string& out) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    std::string data;
    char buf[16384];
    for (;;) {
        ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            ErrnoKeeper keep;
            ::close(fd);
            return false;
        }
        if (n == 0) break;
        data.append(buf, size_t(n));
    }
    ::close(fd);
    out = std::move(data);
    return true;
}

std::string parentDirectory(const std::string& path) {
    auto slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    auto end = path.find_last_not_of('/', slash);
    return end == std::string::npos ? "/" : path.substr(0, end + 1);
}

std::string atomicTempPrefix(const std::string& path) {
    auto slash = path.find_last_of('/');
    return "." + (slash == std::string::npos ? path : path.substr(slash + 1)) + ".tmp-";
}

}  // namespace detail

namespace {

using detail::ErrnoKeeper;

// The umask without changing it (umask() itself would, racing other threads).
mode_t currentUmask() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("Umask:", 0) == 0) return mode_t(std::strtoul(line.c_str() + 6, nullptr, 8));
    return 022;
}

// Writes through a symbolic link rather than replacing the link itself.
std::string resolveLink(const std::string& path) {
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
    char resolved[PATH_MAX];
    return ::realpath(path.c_str(), resolved) ? std::string(resolved) : path;
}

}  // namespace

std::string joinPath(std::string_view dir, std::string_view name) {
    std::string path(dir);
    if (!path.empty() && path.back() != '/') path += '/';
    path += name;
    return path;
}

std::string tempDirectory() {
    if (const char* env = std::getenv("TMPDIR"); env && *env && directoryExists(env)) {
        std::string dir = env;
        while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
        return dir;
    }
    return "/tmp";
}

std::string createUniqueTempFile(std::string_view dir, std::string_view prefix, std::string_view suffix) {
    std::string name = joinPath(std::string(dir), prefix) + "XXXXXX" + std::string(suffix);
    int fd = ::mkostemps(name.data(), int(suffix.size()), O_CLOEXEC);
    if (fd < 0) return {};
    ::close(fd);
    return name;
}

bool forceDirectories(const std::string& path) {
    if (path.empty()) {
        errno = ENOENT;
        return false;
    }
    std::error_code ec;
    std::filesystem::create_directories(path, ec);
    if (directoryExists(path)) return true;
    errno = ec ? ec.value() : ENOTDIR;
    return false;
}

bool forcePrivateDirectory(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash != std::string::npos && slash > 0 && !forceDirectories(path.substr(0, slash))) return false;
    if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) return false;
    struct stat st;
    if (::stat(path.c_str(), &st) != 0) return false;
    if (!S_ISDIR(st.st_mode)) {
        errno = ENOTDIR;
        return false;
    }
    if (st.st_uid != ::geteuid()) {
        errno = EPERM;
        return false;
    }
    return (st.st_mode & 077) == 0 || ::chmod(path.c_str(), st.st_mode & 07700) == 0;
}

bool directoryExists(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool fileExists(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

namespace {

// Fills a temporary file in target's directory and renames it over target:
// the name then holds the new file, whatever was there before, and whoever
// still has the old one open (a running program) keeps it.
bool writeInPlaceOf(const std::string& target, const std::function<bool(int)>& fill, mode_t mode,
                    const FileOwner* owner = nullptr, const std::int64_t* mtime = nullptr) {
    const std::string dir = detail::parentDirectory(target);
    std::string temp = joinPath(dir, detail::atomicTempPrefix(target)) + "XXXXXX";
    int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) return false;

    bool ok = (!owner || ::fchown(fd, owner->uid, owner->gid) == 0) && ::fchmod(fd, mode) == 0 && fill(fd) &&
              ::fsync(fd) == 0;
    if (ok && mtime) {
        const struct timespec times[2] = {{0, UTIME_OMIT}, {time_t(*mtime), 0}};
        ok = ::futimens(fd, times) == 0;
    }
    if (!ok) {
        ErrnoKeeper keep;
        ::close(fd);
        ::unlink(temp.c_str());
        return false;
    }
    if (::close(fd) != 0 || ::rename(temp.c_str(), target.c_str()) != 0) {
        ErrnoKeeper keep;
        ::unlink(temp.c_str());
        return false;
    }
    // Make the rename itself durable; some file systems cannot fsync a directory.
    int dirFd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return true;
}

bool writeInPlaceOf(const std::string& target, std::string_view contents, mode_t mode,
                    const FileOwner* owner = nullptr) {
    return writeInPlaceOf(target, [&](int fd) { return writeAll(fd, contents); }, mode, owner);
}

mode_t keptMode(const std::string& target) {
    struct stat st;
    return ::stat(target.c_str(), &st) == 0 ? (st.st_mode & 07777) : (0666 & ~currentUmask());
}

}  // namespace

bool writeFileAtomically(const std::string& path, std::string_view contents) {
    const std::string target = resolveLink(path);
    // The new file keeps the old one's permissions; a new file gets the usual ones.
    return writeInPlaceOf(target, contents, keptMode(target));
}

bool installFileCopy(const std::string& source, const std::string& target, std::int64_t mtime) {
    UniqueFd in(openRegularForReading(source));
    if (!in.ok()) return false;
    const std::string place = resolveLink(target);
    return writeInPlaceOf(
        place, [&](int fd) { return copyAll(in.get(), fd).has_value(); }, keptMode(place), nullptr, &mtime);
}

bool replaceFileAtomically(const std::string& path, std::string_view contents, mode_t mode) {
    return writeInPlaceOf(path, contents, mode & ~currentUmask());
}

bool replaceFileAtomically(const std::string& path, std::string_view contents, mode_t mode, FileOwner owner) {
    return writeInPlaceOf(path, contents, mode & ~currentUmask(), &owner);
}

}  // namespace platform
