#include <zplatform/fd.h>

#include <algorithm>
#include <cerrno>
#include <unistd.h>

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
