// Deleting a job's files from the working directory.
#include <zentcore/jobfiles.h>

#include "jobfiles_paths.h"

#include <unistd.h>

namespace zentcore {

void DeleteJobFiles(const TQueuedJob& job, const std::string& workDir) {
    if (job.BaseName.empty()) return;
    // The description first: without it no scan takes the job in again.
    for (const char* extension : {".txt", ".ztp", ".gz"})
        ::unlink(detail::jobFile(workDir, job.BaseName, extension).c_str());
}

}  // namespace zentcore
