// Temporary files and output files that replace their target only on success.
#include "pipeline_conversion.h"

#include <orlo/orlofunction.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace encdec::detail {

namespace {

[[noreturn]] void raiseSystemError(const std::string& what, const std::string& path, int code) {
    throw StreamError(what + " " + path + ": " + std::strerror(code));
}

std::string resolvedTarget(const std::string& target, struct stat& info, bool& exists) {
    exists = false;
    if (::lstat(target.c_str(), &info) != 0) {
        if (errno != ENOENT) raiseSystemError("cannot inspect", target, errno);
        return target;
    }
    std::string real = target;
    if (S_ISLNK(info.st_mode)) {
        char* resolved = ::realpath(target.c_str(), nullptr);
        if (!resolved) {
            if (errno != ENOENT) raiseSystemError("cannot resolve", target, errno);
            return target;   // a dangling link is replaced like a missing file
        }
        real = resolved;
        std::free(resolved);
        if (::stat(real.c_str(), &info) != 0) raiseSystemError("cannot inspect", real, errno);
    }
    if (!S_ISREG(info.st_mode)) throw StreamError("cannot write " + target + ": not a regular file");
    exists = true;
    return real;
}

}  // namespace

TempFile::TempFile(const std::string& extension) : path_(TOrloFunction::AnsiTempFileName(extension)) {
    if (path_.empty())
        throw StreamError("cannot create a temporary file: " +
                          std::string(std::strerror(errno ? errno : EIO)));
}

TempFile::~TempFile() { ::unlink(path_.c_str()); }

ReplacingFile::ReplacingFile(const std::string& target, bool jobFile) : target_(target) {
    struct stat info {};
    bool exists = false;
    if (jobFile) info.st_mode = S_IFREG | 0600;
    else target_ = resolvedTarget(target, info, exists);

    const auto slash = target_.rfind('/');
    const std::string dir = slash == std::string::npos ? std::string() : target_.substr(0, slash + 1);
    std::string base = slash == std::string::npos ? target_ : target_.substr(slash + 1);
    if (base.size() > 200) base.resize(200);   // room for the suffix within NAME_MAX

    static std::atomic<unsigned> counter{0};
    int fd = -1;
    for (int attempt = 0; fd < 0; ++attempt) {
        partial_ = dir + "." + base + "." + std::to_string(::getpid()) + "-" + std::to_string(counter++) + ".part";
        fd = ::open(partial_.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && (errno != EEXIST || attempt > 1000)) {
            const int code = errno;
            partial_.clear();
            raiseSystemError("cannot create", target, code);
        }
    }
    ::close(fd);
    try {
        if ((exists || jobFile) && ::chmod(partial_.c_str(), info.st_mode & 07777) != 0)
            raiseSystemError("cannot set the permissions of", partial_, errno);
        stream_ = std::make_unique<FileStream>(partial_, FileStream::Mode::ReadWrite);
    } catch (...) {
        ::unlink(partial_.c_str());
        throw;
    }
}

ReplacingFile::~ReplacingFile() {
    stream_.reset();
    if (!committed_ && !partial_.empty()) ::unlink(partial_.c_str());
}

void ReplacingFile::commit() {
    if (::fsync(stream_->fd()) != 0) raiseSystemError("cannot write", target_, errno);
    stream_.reset();
    if (::rename(partial_.c_str(), target_.c_str()) != 0) raiseSystemError("cannot replace", target_, errno);
    committed_ = true;
}

}  // namespace encdec::detail
