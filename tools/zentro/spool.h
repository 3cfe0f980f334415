// The job's data, read once from the print system into a private temporary
// file while its pages are counted.
#pragma once

#include <zplatform/fd.h>

#include <cstdint>
#include <optional>
#include <string>

namespace zentro {

struct SpooledJob {
    // Already unlinked: it vanishes with the process, however that ends.
    platform::UniqueFd file;
    std::uint64_t bytes = 0;
    int pages = 0;
    // A name under which the file opens again from the start.
    std::string path() const;
};

// Reads in to its end into a new file of tempDir (mode 0600). nullopt with
// errorText set when it could not be read or written.
std::optional<SpooledJob> SpoolInput(int in, const std::string& tempDir, std::string& errorText);

}  // namespace zentro
