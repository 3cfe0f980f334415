// "[Local Export]": a job written into an export file instead of being sent.
// The package (working directory, BaseName + ".zt1") is a signed 32-bit
// little-endian length N, the N bytes of the job's ".txt" description and the
// job's ".gz" data; the export file is that package enciphered (transport
// type 1). "Add new job" reads it back.
#pragma once

#include <string>

#include <zentcore/queuedjob.h>

namespace zentclient {

// How an export ended, and the warning to show when it failed.
struct ExportResult {
    enum class Code {
        Written,
        PackageNotCreated,    // nothing was made
        PackageNotWritten,    // the package was made but is incomplete
        EncryptionNotStarted,
        EncryptionFailed,
    };
    Code code = Code::Written;
    std::string warning;
    bool ok() const { return code == Code::Written; }
};

// Writes the export file; the job's compression must have ended. The package
// never outlives the call, and the target is replaced only by a complete export.
ExportResult WriteLocalExport(const zentcore::TQueuedJob& job, const std::string& workDir, const std::string& target);

// Marks an exported job as delivered, so the queue completes it as it does a
// transmission.
void MarkExported(zentcore::TQueuedJob& job);

}  // namespace zentclient
