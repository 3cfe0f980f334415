// A print system job as the job hand-off describes it.
#pragma once

#include "job_options.h"

#include <zcodec/handoff.h>

#include <string>

namespace zentro {

// What the print system hands a backend: argv 1 to 5.
struct BackendJob {
    std::string id;
    std::string user;
    std::string title;
    int copies = 1;
    std::string options;
};

// Parses argv of a job (6 or 7 arguments with the program's name); false
// with errorText when it is no job.
bool ParseBackendArguments(int argc, const char* const* argv, BackendJob& job, std::string& errorText);

encdec::ZTP_JOBDATA DescribeJob(const BackendJob& job, int pages, const PrinterDefaults& defaults);

}  // namespace zentro
