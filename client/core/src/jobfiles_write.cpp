// Rewriting a job's description from its record.
#include <zentcore/jobfiles.h>

#include "jobfiles_description.h"

#include <zplatform/system.h>

namespace zentcore {

void WriteJobDescription(const TQueuedJob& job, const std::string& workDir) {
    // Replaced in one step: a scan never reads half a description, and a
    // write that fails leaves the old one whole. Callers are not told.
    platform::replaceFileAtomically(FilesOf(job, workDir).txt(), detail::JobDescriptionText(job),
                                    encdec::JobFiles::kFileMode);
}

}  // namespace zentcore
