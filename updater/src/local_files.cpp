#include "local_files.h"

#include <zplatform/fd.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <fstream>
#include <sstream>

namespace zsync {

namespace {

// The local file, through a symbolic link too (lib.so -> lib.so.1 is how
// libraries are installed); a pipe or device is never opened.
platform::UniqueFd openLocal(const std::string& path) {
    struct stat st;
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return platform::UniqueFd();
    return platform::UniqueFd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
}

}  // namespace

std::int64_t localFileTime(const std::string& path) {
    platform::UniqueFd fd = openLocal(path);
    struct stat st;
    if (!fd.ok() || ::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) return 0;
    return std::int64_t(st.st_mtime);
}

bool lockedByAnother(const std::string& path) {
    platform::UniqueFd fd = openLocal(path);
    if (!fd.ok()) return false;
    if (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0) return errno == EWOULDBLOCK;
    ::flock(fd.get(), LOCK_UN);
    struct flock probe{};
    probe.l_type = F_WRLCK;
    probe.l_whence = SEEK_SET;
    return ::fcntl(fd.get(), F_GETLK, &probe) == 0 && probe.l_type != F_UNLCK;
}

bool inUseByRunningProgram(const std::string& path) {
    struct stat st;
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
    const int fd = ::open(path.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd >= 0) ::close(fd);
    else if (errno == ETXTBSY) return true;

    // Lines "start-end perms offset major:minor inode path".
    std::ifstream maps("/proc/self/maps");
    std::string line;
    while (std::getline(maps, line)) {
        std::istringstream fields(line);
        std::string range, perms, offset, device;
        unsigned long long inode = 0;
        if (!(fields >> range >> perms >> offset >> device >> inode) || inode == 0) continue;
        unsigned major = 0, minor = 0;
        if (std::sscanf(device.c_str(), "%x:%x", &major, &minor) != 2) continue;
        if (inode == st.st_ino && makedev(major, minor) == st.st_dev) return true;
    }
    return false;
}

}  // namespace zsync
