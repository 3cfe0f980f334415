// Opening job files in the working directory. Files named like a job's that
// are no regular file (a symbolic link, a pipe, a device) are never opened
// for reading, written through or taken in as a job; each is reported once.
#pragma once

#include <string>

namespace zentcore::detail {

// Notes on stderr and in the client's log, once per path and process, that
// the file is left alone and why (`what` says what was not done).
void ReportNotRegular(const std::string& path, const std::string& what);

// Opens a description for reading (platform::openRegularForReading); one
// that is no regular file is reported. -1 with errno on failure.
int OpenDescription(const std::string& path);

}  // namespace zentcore::detail
