// The description file's format as the queue reads and rewrites it.
#pragma once

#include <string>
#include <string_view>

#include <zentcore/queuedjob.h>

namespace zentcore::detail {

// Applies one line of a description file (with its line end, if any) to the
// record: the first key it begins with (any case) takes the trimmed rest of
// the line; a line with nothing after its key, or with no known key, changes
// nothing.
void ApplyDescriptionLine(TQueuedJob& job, std::string_view line);

// The fourteen lines the queue writes, each ended by CR LF.
std::string JobDescriptionText(const TQueuedJob& job);

}  // namespace zentcore::detail
