// The packing of a queued job's data into its ".gz" file, on a thread of its
// own, with at most a few of them compressing at the same time.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include <zcodec/pipeline.h>

namespace zentcore::detail {

// How many job compressions may run at the same time: the number of cores,
// at least 2.
int compressionSlots();

// Starts packing dataFile into packedFile with transport type 2 (gzip only),
// under the job-file rules: no more than dataBytes are read, a data file that
// is not a regular file is refused, the packed file replaces what is under
// its name. The thread starts at once but waits its turn before it
// compresses; asking it to terminate (or destroying it) while it waits ends
// it at once. Null when no thread can be started.
std::unique_ptr<encdec::EncCmpThread> StartJobCompression(const std::string& dataFile, const std::string& packedFile,
                                                          std::int64_t dataBytes);

}  // namespace zentcore::detail
