// Deleting a job's files from the working directory.
#include <zentcore/jobfiles.h>

#include <unistd.h>

namespace zentcore {

void DeleteJobFiles(const TQueuedJob& job, const std::string& workDir) {
    if (job.BaseName.empty()) return;
    // The description first: without it no scan takes the job in again.
    const encdec::JobFiles files = FilesOf(job, workDir);
    for (const std::string& path : {files.txt(), files.ztp(), files.gz()}) ::unlink(path.c_str());
}

}  // namespace zentcore
