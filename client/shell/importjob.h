// "Add new job": takes a job back in from an export file (".zte") that a
// local export wrote. The file is the export package enciphered as a whole
// (transport type 1); the package is a signed 32-bit little-endian length N,
// N bytes of description, then the job data in gzip format.
#pragma once

#include <cstdint>
#include <string>

namespace zentclient {

struct ImportResult {
    bool failed = false;   // a message was shown; the queue need not look
    std::string baseName;  // the new job ("ztp_N"); empty when every number is taken
};

// Unpacks the export file into a new job of workDir ("ztp_N.txt", ".gz" and
// ".ztp", under the smallest free N) whose description has lost its printer,
// server, session and delivery date, so the user decides anew. Every failure
// is shown through the prompter with the application title, and a failed
// import leaves none of its files behind. A package whose length field does
// not fit the file is refused as damaged.
ImportResult ImportExportFile(const std::string& exportFile, const std::string& workDir);

// Job data unpacked from an export beyond this size is refused, so a small
// hostile file cannot fill the disk.
inline constexpr std::int64_t kMaxImportedJobBytes = std::int64_t(4) << 30;

}  // namespace zentclient
