// A file descriptor closed on every path, and moving whole buffers and files
// through descriptors.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace platform {

class UniqueFd {
public:
    explicit UniqueFd(int fd = -1) : fd_(fd) {}
    ~UniqueFd() { close(); }
    UniqueFd(UniqueFd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept {
        if (this != &other) {
            close();
            fd_ = std::exchange(other.fd_, -1);
        }
        return *this;
    }
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;

    int get() const { return fd_; }
    bool ok() const { return fd_ >= 0; }
    // Gives the descriptor to the caller, who closes it.
    int release() { return std::exchange(fd_, -1); }
    // Closes now, reporting what close reports (a late write error included);
    // true when there was nothing to close.
    bool close();

private:
    int fd_;
};

// Writes every byte, going on after interruptions and short writes. False on
// an error (errno set; ENOSPC when the device took nothing).
bool writeAll(int fd, const void* data, std::size_t size);
inline bool writeAll(int fd, std::string_view data) { return writeAll(fd, data.data(), data.size()); }

// Opens an existing regular file for reading, as every file of a directory
// that others may write to is opened: a symbolic link is not followed (errno
// ELOOP) and a pipe or device is refused (EINVAL) before anything could
// block on it. -1 with errno on failure; the descriptor is close-on-exec.
int openRegularForReading(const std::string& path);
// Whether an errno of openRegularForReading means "not a regular file".
bool notRegularFile(int error);

// Copies from one descriptor to another until the end of the input or until
// maxBytes are copied; the number of bytes copied, or nullopt on a read or
// write error (errno set).
std::optional<std::uint64_t> copyAll(int from, int to,
                                     std::uint64_t maxBytes = std::numeric_limits<std::uint64_t>::max());

}  // namespace platform
