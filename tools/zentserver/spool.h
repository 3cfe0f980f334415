// Where delivered jobs are kept: one directory per job, holding "job.bin"
// (the job bytes exactly as they arrived) and "meta.json" (printer, path,
// document name, the 24-byte block as hex and as numbers, session, user,
// peer, time). A job directory appears whole or not at all: it is built as
// ".incoming-XXXXXX", owned (platform::OwnedDirectory) while it is written,
// and renamed into place when complete.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "job_package.h"

namespace zentserver {

struct JobOrigin {
    std::int32_t session = 0;
    std::string user;
    std::string peer;
    int transport = 0;
    std::int64_t receivedAt = 0;   // seconds since 1970, UTC
};

class Spool {
public:
    // Creates the directory when it is missing; raises std::runtime_error
    // when that fails.
    explicit Spool(std::string directory);

    const std::string& directory() const { return directory_; }
    // What the constructor swept: directories of jobs a killed server was
    // still storing (their owner gone); those of a live server stay.
    const std::vector<std::string>& swept() const { return swept_; }

    // Stores the job whose bytes lie in package (deciphered as they are
    // written when it is still enciphered); returns the name of its directory
    // inside the spool, or the empty text (and error) when it could not be
    // stored completely. Returns only once the job is on disk.
    std::string store(const JobPackage& job, const RequestBody& package, const JobOrigin& origin,
                      std::string& error);

private:
    std::string directory_;
    std::vector<std::string> swept_;
    std::mutex mutex_;
    std::uint64_t next_ = 1;
};

}  // namespace zentserver
