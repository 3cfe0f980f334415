// Running code under the limits that make the system fail for real: a full
// disk, and no more threads.
#pragma once

#include <sys/resource.h>

#include <functional>

namespace testenv {

// Keeps files from growing past a few bytes for the life of the guard; a
// write beyond fails with EFBIG instead of raising SIGXFSZ.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit old_{};
    void (*oldHandler_)(int) = nullptr;
};

// The exit code a body run without threads gives when the limit could not be
// set up.
inline constexpr int kNoThreadLimit = 99;

// Runs body in a forked child that has dropped root and may not start
// another thread; its exit code, or kNoThreadLimit.
int inChildWithoutThreads(const std::function<int()>& body);

}  // namespace testenv
