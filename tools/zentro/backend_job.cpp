#include "backend_job.h"

#include <charconv>
#include <cstring>

namespace zentro {

bool ParseBackendArguments(int argc, const char* const* argv, BackendJob& job, std::string& errorText) {
    if (argc != 6 && argc != 7) {
        errorText = "Usage: zentro job-id user title copies options [file]";
        return false;
    }
    job.id = argv[1];
    job.user = argv[2];
    job.title = argv[3];
    job.options = argv[5];
    const char* copies = argv[4];
    const char* end = copies + std::strlen(copies);
    int n = 0;
    const auto [stop, error] = std::from_chars(copies, end, n);
    if (error != std::errc() || stop != end || n < 1) {
        errorText = std::string("the number of copies \"") + copies + "\" is no positive whole number";
        return false;
    }
    job.copies = n;
    return true;
}

encdec::ZTP_JOBDATA DescribeJob(const BackendJob& job, int pages, const PrinterDefaults& defaults) {
    const JobLayout layout = LayoutOf(job.options, defaults);
    encdec::ZTP_JOBDATA data;   // submitted now
    data.DocName = job.title;
    data.UserName = job.user;
    data.Copies = job.copies;
    data.Pages = pages;
    data.Papersize = layout.paperSize;
    data.Color = layout.color ? 1 : 0;
    data.Orientation = layout.landscape ? "Landscape" : "Portrait";
    return data;
}

}  // namespace zentro
