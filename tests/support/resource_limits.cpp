#include "resource_limits.h"

#include "test_env.h"

#include <csignal>

namespace testenv {

FileSizeLimit::FileSizeLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &old_);
    oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit = old_;
    limit.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limit);
}

FileSizeLimit::~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &old_);
    std::signal(SIGXFSZ, oldHandler_);
}

int inChildWithoutThreads(const std::function<int()>& body) {
    return inChild([&] {
        // Root is not bound by RLIMIT_NPROC; the calling thread is the one
        // the limit of 1 leaves.
        const rlimit none{1, 1};
        if (!dropRoot() || setrlimit(RLIMIT_NPROC, &none) != 0) return kNoThreadLimit;
        return body();
    });
}

}  // namespace testenv
