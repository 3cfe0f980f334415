// Reading a job's description into its record, and what follows a read: the
// data size and the packing of the data.
#include <zentcore/jobfiles.h>

#include "jobfiles_compression.h"
#include "jobfiles_description.h"
#include "jobfiles_open.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <optional>
#include <string>

namespace zentcore {

namespace {

class FdCloser {
public:
    explicit FdCloser(int fd) : fd_(fd) {}
    ~FdCloser() { ::close(fd_); }
    FdCloser(const FdCloser&) = delete;
    FdCloser& operator=(const FdCloser&) = delete;

private:
    int fd_;
};

// Feeds every line (each up to and including its LF; a last line without LF
// when it is not empty) to the record. False on a read error.
bool readLines(int fd, TQueuedJob& job) {
    char buffer[8192];
    std::string line;
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        if (n == 0) break;
        for (ssize_t i = 0; i < n; ++i) {
            line += buffer[i];
            if (buffer[i] == '\n') {
                detail::ApplyDescriptionLine(job, line);
                line.clear();
            }
        }
    }
    if (!line.empty()) detail::ApplyDescriptionLine(job, line);
    return true;
}

// What is under a job file's name, never following a link.
enum class Entry { Missing, Regular, Other };

Entry entryAt(const std::string& path, struct stat& st) {
    if (::lstat(path.c_str(), &st) != 0) return Entry::Missing;
    return S_ISREG(st.st_mode) ? Entry::Regular : Entry::Other;
}

std::optional<struct stat> statFile(const std::string& path) {
    struct stat st {};
    if (entryAt(path, st) != Entry::Regular) return std::nullopt;
    return st;
}

// A job whose data or packed file is something else than a regular file is
// not taken in: a link could make another file its data, and a pipe or a
// device would never end.
bool filesAreRegular(const encdec::JobFiles& files) {
    for (const std::string& path : {files.ztp(), files.gz()}) {
        struct stat st {};
        if (entryAt(path, st) == Entry::Other) {
            detail::ReportNotRegular(path, "its job is not queued");
            return false;
        }
    }
    return true;
}

bool notOlder(const struct timespec& a, const struct timespec& b) {
    return a.tv_sec > b.tv_sec || (a.tv_sec == b.tv_sec && a.tv_nsec >= b.tv_nsec);
}

// A packed file is the packing of the present data only when it was written
// after the data: one left behind by an earlier job of the same number would
// otherwise be sent in the new job's place.
bool packedFileIsCurrent(const std::string& dataPath, const std::string& packedPath) {
    const auto packed = statFile(packedPath);
    if (!packed) return false;
    const auto data = statFile(dataPath);
    return !data || notOlder(packed->st_mtim, data->st_mtim);
}

bool afterReading(TQueuedJob& job, const std::string& workDir, bool startCompression) {
    const encdec::JobFiles files = FilesOf(job, workDir);
    if (!filesAreRegular(files)) return false;
    const std::string dataPath = files.ztp();
    if (const auto data = statFile(dataPath)) job.DataSize = std::uint64_t(data->st_size);
    if (!startCompression) return true;

    const std::string packedPath = files.gz();
    if (packedFileIsCurrent(dataPath, packedPath)) {
        UpdatePackedSize(job, workDir);
        return true;
    }
    if (job.CompressThread) return true;   // already packing
    try {
        // No more than the job had when it arrived: data that keeps growing
        // must not keep its packing running.
        job.CompressThread = detail::StartJobCompression(dataPath, packedPath, std::int64_t(job.DataSize));
    } catch (...) {
        // No thread: the job waits without one and the transmission finds no
        // packed file.
    }
    return true;
}

}  // namespace

bool ReadJobDescription(TQueuedJob& job, const std::string& workDir, int openFd, bool startCompression) {
    const int fd = openFd >= 0 ? openFd : detail::OpenDescription(FilesOf(job, workDir).txt());
    if (fd < 0) return false;
    {
        FdCloser closer(fd);
        struct stat st {};
        if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) return false;
        ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
        if (!readLines(fd, job)) return false;
    }
    return afterReading(job, workDir, startCompression);
}

void UpdatePackedSize(TQueuedJob& job, const std::string& workDir) {
    if (const auto packed = statFile(FilesOf(job, workDir).gz()))
        job.PackedSize = std::uint64_t(packed->st_size);
}

}  // namespace zentcore
