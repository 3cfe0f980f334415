// What the job list shows, computed as data: the window only draws it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <zentcore/jobqueue.h>

namespace zentcore {

// Status images of the "Send" column.
enum JobImage : int {
    kImageDueNew = 1,        // "ASAP", no session yet
    kImageAtTimeNew = 2,     // a time today, no session yet
    kImageTomorrowNew = 3,   // "Tomorrow", no session yet
    kImageScheduled = 4,     // has a session, waiting
    kImageUserInput = 5,     // in the wizard
    kImageSending = 6,
};

struct JobRow {
    TQueuedJob* job = nullptr;
    std::string caption;               // "Send" column
    int image = 0;
    std::vector<std::string> columns;  // the ten columns after "Send"
};

struct JobListContents {
    std::vector<JobRow> rows;
    std::string status;                // status bar text
};

// What a job's description shows in the lists, from "Document" to
// "Server": the job list's ten columns after "Send", and the archive's
// between "Filename" and "Confirmed".
std::vector<std::string> JobDescriptionColumns(const TQueuedJob& job);

// Seconds east of UTC of local standard time (no daylight saving).
std::int64_t LocalStandardOffset();

// The rows of the list at the moment now (seconds since 1970, UTC).
JobListContents BuildJobList(const JobQueue& queue, const TQueuedJob* wizardJob, std::int64_t now,
                             std::int64_t standardOffset);

}  // namespace zentcore
