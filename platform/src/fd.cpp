#include <zplatform/fd.h>

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

}  // namespace platform
