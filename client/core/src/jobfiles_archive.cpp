// Archiving a delivered job: its data and description are copied into the
// user's save directory under a base name not yet used there. Job numbers are
// reused once a job has gone, so the job's own base name may already belong
// to an earlier archived job: the copy then goes under base + "_1", "_2", ...
// (the first one whose ".ztp" and ".txt" are both free). Nothing there is
// ever overwritten.
#include <zentcore/jobfiles.h>

#include "jobfiles_open.h"

#include <zplatform/fd.h>
#include <zplatform/system.h>

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace zentcore {

namespace {

constexpr int kMaxSuffix = 100000;

using Fd = platform::UniqueFd;

bool exists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 || errno != ENOENT;
}

std::string candidate(const std::string& base, int suffix) {
    return suffix == 0 ? base : base + "_" + std::to_string(suffix);
}

bool pairIsFree(const encdec::JobFiles& files) { return !exists(files.ztp()) && !exists(files.txt()); }

// Moves temp to target unless target exists (then errno is EEXIST).
bool moveIntoPlace(const std::string& temp, const std::string& target) {
    if (::renameat2(AT_FDCWD, temp.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0) return true;
    if (errno != EINVAL && errno != ENOSYS) return false;
    // File systems without RENAME_NOREPLACE: a hard link fails on an existing
    // name just the same.
    if (::link(temp.c_str(), target.c_str()) != 0) return false;
    ::unlink(temp.c_str());
    return true;
}

enum class Copy { Done, TargetTaken, Failed };

// Copies source to target through a temporary file beside the target, so the
// archive never holds half a file and an existing target is left alone.
Copy copyFile(const std::string& source, const std::string& dir, const std::string& target) {
    Fd in(platform::openRegularForReading(source));
    if (!in.ok()) {
        if (platform::notRegularFile(errno)) detail::ReportNotRegular(source, "it is not archived");
        return Copy::Failed;
    }
    const std::string temp = platform::createUniqueTempFile(dir, ".archive-", ".tmp");
    if (temp.empty()) return Copy::Failed;
    Fd out(::open(temp.c_str(), O_WRONLY | O_CLOEXEC));
    const bool written = out.get() >= 0 && platform::copyAll(in.get(), out.get()) && ::fsync(out.get()) == 0 && out.close();
    if (written && moveIntoPlace(temp, target)) return Copy::Done;
    const int error = errno;
    ::unlink(temp.c_str());
    return written && error == EEXIST ? Copy::TargetTaken : Copy::Failed;
}

}  // namespace

void ArchiveJobFiles(const TQueuedJob& job, const std::string& workDir, const std::string& saveDir) {
    if (job.BaseName.empty() || !platform::forceDirectories(saveDir)) return;
    const encdec::JobFiles source = FilesOf(job, workDir);
    for (int suffix = 0; suffix <= kMaxSuffix; ++suffix) {
        const encdec::JobFiles target(saveDir, candidate(job.BaseName, suffix));
        if (!pairIsFree(target)) continue;
        // Another archiver may take the name between the test and the copy:
        // then the next free name is tried.
        const Copy data = copyFile(source.ztp(), saveDir, target.ztp());
        if (data == Copy::TargetTaken) continue;
        const Copy text = copyFile(source.txt(), saveDir, target.txt());
        if (text == Copy::TargetTaken) {
            if (data == Copy::Done) ::unlink(target.ztp().c_str());
            continue;
        }
        return;   // failures of either copy are not reported
    }
}

}  // namespace zentcore
