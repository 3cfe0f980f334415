#include <zplatform/fd.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace platform {

bool UniqueFd::close() {
    const int fd = std::exchange(fd_, -1);
    return fd < 0 || ::close(fd) == 0;
}

bool writeAll(int fd, const void* data, std::size_t size) {
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = ::write(fd, p, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            if (n == 0) errno = ENOSPC;
            return false;
        }
        p += n;
        size -= std::size_t(n);
    }
    return true;
}

int openRegularForReading(const std::string& path) {
    int fd;
    do {
        fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) return -1;
    struct stat st {};
    const int error = ::fstat(fd, &st) != 0 ? errno : S_ISREG(st.st_mode) ? 0 : EINVAL;
    if (error != 0) {
        ::close(fd);
        errno = error;
        return -1;
    }
    // Reads of a regular file never block; the flag only guarded the open.
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

bool notRegularFile(int error) { return error == EINVAL || error == ELOOP; }

std::optional<std::uint64_t> copyAll(int from, int to, std::uint64_t maxBytes) {
    char buffer[64 * 1024];
    std::uint64_t copied = 0;
    while (copied < maxBytes) {
        const auto want = std::size_t(std::min<std::uint64_t>(sizeof buffer, maxBytes - copied));
        const ssize_t n = ::read(from, buffer, want);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return std::nullopt;
        if (n == 0) break;
        if (!writeAll(to, buffer, std::size_t(n))) return std::nullopt;
        copied += std::uint64_t(n);
    }
    return copied;
}

}  // namespace platform
